#include "app/QUORINDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "app/ConfigKestoDlg.h"
#include "app/DialogUnits.h"
#include "app/ProgramIcon.h"
#include "app/logic/DeviceColumns.h"
#include "app/logic/PollingLoop.h"
#include "app/logic/DeviceExport.h"

namespace {

QStringList ToStringList(const DeviceRowTexts& texts) {
  QStringList list;
  for (const std::string& s : texts) list << QString::fromLocal8Bit(s.c_str());
  return list;
}

// The strip above the classic panel and the status line below it, in dialog units.
constexpr int kTopStrip = 20;
constexpr int kPanelHeight = 113;
constexpr int kStatusLine = 12;

}  // namespace

CQUORINDlg::CQUORINDlg(std::unique_ptr<CKestoFinder> finder, QWidget* pParent,
                       CQUORINPresenter::ReadInterfaces fnReadInterfaces)
    : QWidget(pParent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_finder(std::move(finder)),
      m_pPanel(new QWidget(this)),
      m_pBasicConfig(new QPushButton(QStringLiteral("Basic Config..."), m_pPanel)),
      m_ctlList(new QTreeWidget(m_pPanel)),
      m_pLaunch(new QPushButton(QStringLiteral("Lauch Configurator..."), m_pPanel)),
      m_pFilter(new QLineEdit(this)),
      m_pExport(new QPushButton(QStringLiteral("Export..."), this)),
      m_pAdapterLabel(new QLabel(QStringLiteral("Adapter:"), this)),
      m_pAdapter(new QComboBox(this)),
      m_pTargets(new QToolButton(this)),
      m_pStatus(new QLabel(this)),
      m_presenter(
          *m_finder, *this, [this](CConfigKestoModel& model) { return RunConfigDialog(model); },
          [](const std::string& sUrl) { QDesktopServices::openUrl(QUrl(QString::fromStdString(sUrl))); },
          std::move(fnReadInterfaces)) {
  const CDialogUnits du;
  setWindowTitle(QStringLiteral("Tamrel Kesto Manager"));
  setWindowIcon(ProgramIcon());
  setFixedSize(du.Size(387, kTopStrip + kPanelHeight + kStatusLine));

  // The list and its two buttons sit on their own panel at their usual places;
  // what was added goes around it.
  m_pPanel->setGeometry(du.Rect(0, kTopStrip, 387, kPanelHeight));
  m_pFilter->setGeometry(du.Rect(4, 4, 118, 14));
  m_pFilter->setPlaceholderText(QStringLiteral("Filter"));
  m_pFilter->setClearButtonEnabled(true);
  m_pAdapterLabel->setGeometry(du.Rect(127, 4, 34, 14));
  m_pAdapterLabel->setBuddy(m_pAdapter);
  m_pAdapter->setGeometry(du.Rect(161, 4, 101, 14));
  m_pAdapter->addItem(QStringLiteral("All adapters"), QString());
  m_pTargets->setGeometry(du.Rect(266, 4, 60, 14));
  m_pTargets->setText(QStringLiteral("Targets"));
  m_pTargets->setPopupMode(QToolButton::InstantPopup);
  auto* pMenu = new QMenu(m_pTargets);
  pMenu->addAction(QStringLiteral("Add target..."), this, [this] { OnAddTarget(); });
  pMenu->addAction(QStringLiteral("Clear targets"), this, [this] { m_presenter.ClearTargets(); });
  m_pTargets->setMenu(pMenu);
  // One explicit host (KESTO_TARGET) stays the only destination.
  if (!m_presenter.CanChooseDestinations()) {
    for (QWidget* pWidget : {static_cast<QWidget*>(m_pAdapter), static_cast<QWidget*>(m_pTargets)}) {
      pWidget->setEnabled(false);
      pWidget->setToolTip(QStringLiteral("Probing one host only (KESTO_TARGET)"));
    }
  }
  m_pExport->setGeometry(du.Rect(330, 4, 53, 14));
  m_pStatus->setGeometry(du.Rect(4, kTopStrip + kPanelHeight, 379, kStatusLine - 2));
  m_pStatus->setTextFormat(Qt::PlainText);

  m_pBasicConfig->setGeometry(du.Rect(4, 95, 119, 14));
  m_ctlList->setGeometry(du.Rect(4, 4, 379, 86));
  m_pLaunch->setGeometry(du.Rect(129, 95, 139, 14));
  // Enter means nothing here: no button is the default.
  for (QPushButton* pButton : {m_pBasicConfig, m_pLaunch, m_pExport}) {
    pButton->setAutoDefault(false);
    pButton->setDefault(false);
  }
  setTabOrder(m_pBasicConfig, m_ctlList);
  setTabOrder(m_ctlList, m_pLaunch);
  setTabOrder(m_pLaunch, m_pFilter);
  setTabOrder(m_pFilter, m_pAdapter);
  setTabOrder(m_pAdapter, m_pTargets);
  setTabOrder(m_pTargets, m_pExport);

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
  connect(m_pFilter, &QLineEdit::textChanged, this,
          [this](const QString& sText) { m_presenter.SetFilterText(sText.toLatin1().toStdString()); });
  connect(m_pExport, &QPushButton::clicked, this, [this] { OnExport(); });
  connect(m_pAdapter, &QComboBox::activated, this,
          [this](int iIndex) { m_presenter.SelectAdapter(m_pAdapter->itemData(iIndex).toString().toStdString()); });
  m_pBasicConfig->setFocus(Qt::OtherFocusReason);
}

CQUORINDlg::~CQUORINDlg() = default;

void CQUORINDlg::PauseForAnswer(int iMs) { CPollingLoop::PauseForAnswer(*m_finder, iMs); }

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

void CQUORINDlg::InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) {
  auto* pItem = new QTreeWidgetItem(ToStringList(texts));
  pItem->setData(0, Qt::UserRole, QVariant::fromValue<quint64>(key));
  m_ctlList->insertTopLevelItem(0, pItem);
  pItem->setHidden(!bShown);
  m_items.insert(key, pItem);
}

void CQUORINDlg::SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) {
  QTreeWidgetItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  // Record texts are Latin-1, one character per byte, whatever the locale.
  for (int i = 0; i < static_cast<int>(texts.size()); ++i)
    pItem->setText(i, QString::fromLatin1(texts[i].data(), static_cast<qsizetype>(texts[i].size())));
}

void CQUORINDlg::SetRowShown(DeviceRowKey key, bool bShown) {
  QTreeWidgetItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  if (!bShown) pItem->setSelected(false);
  pItem->setHidden(!bShown);
}

void CQUORINDlg::SetRowMarks(DeviceRowKey key, bool bWarning, const std::string& sToolTip) {
  QTreeWidgetItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  pItem->setIcon(0, bWarning ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
  const QString sText = QString::fromLocal8Bit(sToolTip.c_str());
  for (int i = 0; i < m_ctlList->columnCount(); ++i) pItem->setToolTip(i, sText);
}

void CQUORINDlg::DeleteRow(DeviceRowKey key) { delete m_items.take(key); }

bool CQUORINDlg::GetSelectedRow(DeviceRowKey* pKey) const {
  const QList<QTreeWidgetItem*> selected = m_ctlList->selectedItems();
  if (selected.isEmpty()) return false;
  *pKey = selected.front()->data(0, Qt::UserRole).value<quint64>();
  return true;
}

void CQUORINDlg::SetAdapterNames(const std::vector<std::string>& names) {
  const QString sSelected = QString::fromStdString(m_presenter.GetSelectedAdapter());
  while (m_pAdapter->count() > 1) m_pAdapter->removeItem(1);
  for (const std::string& sName : names) {
    const QString sItem = QString::fromStdString(sName);
    m_pAdapter->addItem(sItem, sItem);
  }
  m_pAdapter->setCurrentIndex(std::max(0, m_pAdapter->findData(sSelected)));
}

void CQUORINDlg::SetStatusText(const std::string& sText) { m_pStatus->setText(QString::fromLocal8Bit(sText.c_str())); }

bool CQUORINDlg::RunConfigDialog(CConfigKestoModel& model) {
  CConfigKestoDlg dialog(model, this);
  return dialog.RunModal([this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
}

void CQUORINDlg::OnExport() {
  // Window-modal and not waited for: the loop keeps the list alive while the user
  // picks a name, so no device ages out behind the dialog.
  if (m_pExportDialog == nullptr) {
    m_pExportDialog = new QFileDialog(this, QStringLiteral("Export"), QString(),
                                      QStringLiteral("CSV files (*.csv);;JSON files (*.json)"));
    m_pExportDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_pExportDialog->selectFile(QStringLiteral("kesto-devices.csv"));
    connect(m_pExportDialog, &QFileDialog::fileSelected, this, [this](const QString& sChosen) {
      QString sPath = sChosen;
      // A name without a known suffix takes the one of the chosen file type.
      ExportFormat format;
      if (!ExportFormatForPath(sPath.toStdString(), &format))
        sPath += m_pExportDialog->selectedNameFilter().contains(QStringLiteral("json")) ? QStringLiteral(".json")
                                                                                       : QStringLiteral(".csv");
      ExportTo(sPath);
    });
  }
  m_pExportDialog->open();
}

bool CQUORINDlg::ExportTo(const QString& sPath) {
  ExportFormat format;
  if (!ExportFormatForPath(sPath.toStdString(), &format)) {
    ShowError(QStringLiteral("Choose a file name ending in .csv or .json:\n%1").arg(sPath));
    return false;
  }
  const std::string sText = ExportDevices(m_presenter.ShownDevices(), format);
  // Written beside the target and renamed over it, so a failed write leaves the old file whole.
  QSaveFile file(sPath);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(sText.data(), static_cast<qint64>(sText.size())) != static_cast<qint64>(sText.size()) ||
      !file.commit()) {
    ShowError(QStringLiteral("The device list could not be written to %1:\n%2").arg(sPath, file.errorString()));
    return false;
  }
  return true;
}

void CQUORINDlg::ShowError(const QString& sText) {
  if (m_pErrorMessage != nullptr) m_pErrorMessage->deleteLater();
  m_pErrorMessage = new QMessageBox(QMessageBox::Warning, windowTitle(), sText, QMessageBox::Ok, this);
  m_pErrorMessage->setAttribute(Qt::WA_DeleteOnClose, false);
  m_pErrorMessage->open();
}

void CQUORINDlg::OnAddTarget() {
  // Not waited for, so the polling loop keeps the list alive while the user types.
  if (m_pTargetInput == nullptr) {
    m_pTargetInput = new QInputDialog(this);
    m_pTargetInput->setWindowTitle(QStringLiteral("Add target"));
    m_pTargetInput->setLabelText(QStringLiteral("Address or range to probe (A.B.C.D or A.B.C.D/prefix):"));
    connect(m_pTargetInput, &QInputDialog::textValueSelected, this, [this](const QString& sText) { AddTarget(sText); });
  }
  m_pTargetInput->setTextValue(QString());
  m_pTargetInput->open();
}

bool CQUORINDlg::AddTarget(const QString& sText) {
  std::string sError;
  if (!m_presenter.AddTarget(sText.trimmed().toStdString(), &sError)) {
    ShowError(QString::fromStdString(sError));
    return false;
  }
  return true;
}
