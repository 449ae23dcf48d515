#include "app/qt/OctetEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>
#include <memory>

#include "discovery/KestoRecord.h"

namespace {

// Accepts blank or a decimal number 0-255 of at most three digits.
class COctetValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& sInput, int&) const override {
    if (sInput.isEmpty()) return Acceptable;
    if (sInput.size() > 3) return Invalid;
    for (QChar c : sInput) {
      if (c < u'0' || c > u'9') return Invalid;
    }
    return sInput.toInt() <= 255 ? Acceptable : Invalid;
  }
};

}  // namespace

COctetEdit::COctetEdit(QWidget* pParent) : QLineEdit(pParent) {
  setValidator(new COctetValidator(this));
  setMaxLength(3);
  setAlignment(Qt::AlignCenter);
  setFrame(false);
  // Three digits fill a field; typing goes on in the next one.
  connect(this, &QLineEdit::textEdited, this, [this](const QString& sText) {
    if (sText.size() == 3 && cursorPosition() == 3) emit fieldFilled();
  });
}

void COctetEdit::pasteText(const QString& sText) {
  const QString sTrimmed = sText.trimmed();
  if (sTrimmed.contains(u'.')) {
    uint32_t dwAddress = 0;
    if (ParseAddress(sTrimmed.toStdString(), &dwAddress)) emit addressPasted(dwAddress);
    return;
  }
  insert(sTrimmed);  // the validator refuses what does not fit
}

void COctetEdit::keyPressEvent(QKeyEvent* pEvent) {
  const bool bEnteredByFill = m_bEnteredByFill;
  m_bEnteredByFill = false;
  if (pEvent->text() == QStringLiteral(".")) {
    if (!bEnteredByFill) emit nextFieldRequested();
    return;
  }
  if (pEvent->matches(QKeySequence::Paste)) {
    pasteText(QApplication::clipboard()->text());
    return;
  }
  QLineEdit::keyPressEvent(pEvent);
}

void COctetEdit::focusOutEvent(QFocusEvent* pEvent) {
  m_bEnteredByFill = false;
  QLineEdit::focusOutEvent(pEvent);
}

void COctetEdit::contextMenuEvent(QContextMenuEvent* pEvent) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  // The standard paste would insert a dotted address into one field and fail.
  for (QAction* pAction : menu->actions()) {
    if (pAction->objectName() == QStringLiteral("edit-paste")) {
      pAction->disconnect();
      connect(pAction, &QAction::triggered, this, [this] { pasteText(QApplication::clipboard()->text()); });
    }
  }
  menu->exec(pEvent->globalPos());
}
