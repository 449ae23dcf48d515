#include "app/QUORINDlg.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include "app/ConfigKestoDlg.h"
#include "app/DialogUnits.h"
#include "app/ProgramIcon.h"
#include "app/logic/DeviceColumns.h"
#include "platform/SleepMs.h"

namespace {

QStringList ToStringList(const DeviceRowTexts& texts) {
  QStringList list;
  for (const std::string& s : texts) list << QString::fromLocal8Bit(s.c_str());
  return list;
}

}  // namespace

CQUORINDlg::CQUORINDlg(std::unique_ptr<CKestoFinder> finder, QWidget* pParent)
    : QWidget(pParent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_finder(std::move(finder)),
      m_pBasicConfig(new QPushButton(QStringLiteral("Basic Config..."), this)),
      m_ctlList(new QTreeWidget(this)),
      m_pLaunch(new QPushButton(QStringLiteral("Lauch Configurator..."), this)),
      m_presenter(
          *m_finder, *this, [this](CConfigKestoModel& model) { return RunConfigDialog(model); },
          [](const std::string& sUrl) { QDesktopServices::openUrl(QUrl(QString::fromStdString(sUrl))); }) {
  const CDialogUnits du;
  setWindowTitle(QStringLiteral("Tamrel Kesto Manager"));
  setWindowIcon(ProgramIcon());
  setFixedSize(du.Size(387, 113));

  m_pBasicConfig->setGeometry(du.Rect(4, 95, 119, 14));
  m_ctlList->setGeometry(du.Rect(4, 4, 379, 86));
  m_pLaunch->setGeometry(du.Rect(129, 95, 139, 14));
  // Enter means nothing here: no button is the default.
  for (QPushButton* pButton : {m_pBasicConfig, m_pLaunch}) {
    pButton->setAutoDefault(false);
    pButton->setDefault(false);
  }
  setTabOrder(m_pBasicConfig, m_ctlList);
  setTabOrder(m_ctlList, m_pLaunch);

  m_ctlList->setColumnCount(static_cast<int>(kDeviceColumns.size()));
  QStringList titles;
  for (const DeviceColumn& column : kDeviceColumns) titles << QString::fromLatin1(column.pszTitle);
  m_ctlList->setHeaderLabels(titles);
  m_ctlList->header()->setStretchLastSection(false);
  m_ctlList->header()->setSectionsMovable(false);
  m_ctlList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (size_t i = 0; i < kDeviceColumns.size(); ++i)
    m_ctlList->setColumnWidth(static_cast<int>(i), kDeviceColumns[i].iWidth);
  m_ctlList->setRootIsDecorated(false);
  m_ctlList->setItemsExpandable(false);
  m_ctlList->setUniformRowHeights(true);
  m_ctlList->setSortingEnabled(false);
  m_ctlList->setSelectionMode(QAbstractItemView::SingleSelection);
  m_ctlList->setSelectionBehavior(QAbstractItemView::SelectRows);

  connect(m_pBasicConfig, &QPushButton::clicked, this, [this] { m_presenter.OnBasicConfig(); });
  connect(m_pLaunch, &QPushButton::clicked, this, [this] { m_presenter.OnLaunchConfigurator(); });
  m_pBasicConfig->setFocus(Qt::OtherFocusReason);
}

CQUORINDlg::~CQUORINDlg() = default;

void CQUORINDlg::PauseForAnswer(int iMs) {
  // Without a socket the wait would return at once and the loop would spin.
  if (m_finder->IsSocketOpen())
    m_finder->WaitForAnswer(iMs);
  else
    platform::SleepMs(static_cast<uint32_t>(iMs));
}

void CQUORINDlg::ReportSocketProblem() {
  if (m_finder->IsSocketOpen() || m_pSocketMessage != nullptr) return;
  // Window-modal and not waited for, so the loop keeps turning behind it.
  m_pSocketMessage = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                     QStringLiteral("The network socket for finding devices could not be opened:\n%1\n\n"
                                                    "No devices will be listed.")
                                         .arg(QString::fromLocal8Bit(m_finder->GetSocketError().c_str())),
                                     QMessageBox::Ok, this);
  m_pSocketMessage->open();
}

void CQUORINDlg::closeEvent(QCloseEvent* pEvent) {
  // The start-up loop ends the program when it sees the flag.
  m_bQuit = true;
  pEvent->ignore();
}

void CQUORINDlg::keyPressEvent(QKeyEvent* pEvent) {
  // Esc does not close the main window and Enter does nothing.
  switch (pEvent->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      pEvent->accept();
      return;
    default:
      QWidget::keyPressEvent(pEvent);
  }
}

void CQUORINDlg::InsertRow(int iIndex, const DeviceRowTexts& texts) {
  m_ctlList->insertTopLevelItem(iIndex, new QTreeWidgetItem(ToStringList(texts)));
}

void CQUORINDlg::SetRowTexts(int iIndex, const DeviceRowTexts& texts) {
  QTreeWidgetItem* pItem = m_ctlList->topLevelItem(iIndex);
  if (pItem == nullptr) return;
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) pItem->setText(i, QString::fromLocal8Bit(texts[i].c_str()));
}

void CQUORINDlg::DeleteRow(int iIndex) { delete m_ctlList->takeTopLevelItem(iIndex); }

int CQUORINDlg::GetSelectedRow() const {
  const int nRows = m_ctlList->topLevelItemCount();
  for (int i = 0; i < nRows; ++i) {
    if (m_ctlList->topLevelItem(i)->isSelected()) return i;
  }
  return -1;
}

bool CQUORINDlg::RunConfigDialog(CConfigKestoModel& model) {
  CConfigKestoDlg dialog(model, this);
  return dialog.RunModal([this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
}
