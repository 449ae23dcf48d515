#include "app/qt/IPAddressEdit.h"

#include <QHBoxLayout>
#include <QLabel>

#include "app/qt/OctetEdit.h"

CIPAddressEdit::CIPAddressEdit(QWidget* pParent) : QFrame(pParent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);

  auto* pLayout = new QHBoxLayout(this);
  pLayout->setContentsMargins(2, 0, 2, 0);
  pLayout->setSpacing(0);
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      auto* pDot = new QLabel(QStringLiteral("."), this);
      pDot->setBackgroundRole(QPalette::Base);
      pLayout->addWidget(pDot);
    }
    auto* pField = new COctetEdit(this);
    // Only the first field takes Tab; the editor counts as one control.
    pField->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
    pLayout->addWidget(pField, 1);
    m_fields[i] = pField;
    connect(pField, &COctetEdit::nextFieldRequested, this, [this, i] {
      if (i < 3) FocusField(i + 1);
    });
    connect(pField, &COctetEdit::fieldFilled, this, [this, i] {
      if (i == 3) return;
      FocusField(i + 1);
      m_fields[i + 1]->markEnteredByFill();
    });
    connect(pField, &COctetEdit::addressPasted, this, [this](quint32 dwAddress) {
      setAddress(dwAddress);
      FocusField(3);
    });
  }
  setFocusProxy(m_fields[0]);
}

quint32 CIPAddressEdit::address() const {
  quint32 dwAddress = 0;
  for (const COctetEdit* pField : m_fields) dwAddress = (dwAddress << 8) | static_cast<quint32>(pField->value() & 0xFF);
  return dwAddress;
}

void CIPAddressEdit::setAddress(quint32 dwAddress) {
  for (int i = 0; i < 4; ++i) m_fields[i]->setValue(static_cast<int>((dwAddress >> (24 - 8 * i)) & 0xFF));
}

void CIPAddressEdit::FocusField(int iIndex) {
  m_fields[iIndex]->setFocus(Qt::OtherFocusReason);
  m_fields[iIndex]->selectAll();
}
