// The main window's menus and file commands: the header, row, status and
// targets menus, copying rows, and the export.
#include "app/qt/QUORINDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

#include "app/qt/ChangeLogMenu.h"
#include "app/qt/DeviceTableModel.h"
#include "app/qt/SerialTerminalDlg.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceExport.h"
#include "app/logic/WindowTexts.h"
#include "formats/DeviceCsv.h"

QMenu* CQUORINDlg::CreateHeaderMenu() {
  auto* pMenu = new QMenu(this);
  for (int i = CDeviceColumnSet::kDefaultCount; i < CDeviceColumnSet::kCount; ++i) {
    QAction* pAction = pMenu->addAction(QString::fromLatin1(CDeviceColumnSet::Get(i).pszTitle));
    pAction->setCheckable(true);
    pAction->setChecked(!m_ctlList->isColumnHidden(i));
    connect(pAction, &QAction::toggled, this, [this, i](bool bOn) { SetColumnShown(i, bOn); });
  }
  pMenu->addSeparator();
  pMenu->addAction(QStringLiteral("Fit columns to contents"), this, [this] { FitColumns(); });
  QAction* pNewest = pMenu->addAction(QStringLiteral("Sort newest first"), this, [this] { SetSortOrder({}); });
  pNewest->setEnabled(!m_rows.GetOrder().IsNewestFirst());
  return pMenu;
}

QMenu* CQUORINDlg::CreateRowMenu() {
  auto* pMenu = new QMenu(this);
  DeviceRowKey key = 0;
  const CDeviceRowStore::Row* pItem = GetSelectedRow(&key) ? m_rows.Find(key) : nullptr;
  const bool bRow = pItem != nullptr && m_presenter.GetSelectedRecord() != nullptr;
  pMenu->addAction(QStringLiteral("&Basic Config..."), this, [this] { m_presenter.OnBasicConfig(); })->setEnabled(bRow);
  pMenu->addAction(QStringLiteral("&Open web page"), this, [this] { m_presenter.OnLaunchConfigurator(); })->setEnabled(bRow);
  pMenu->addSeparator();
  if (bRow) AddRowCommands(pMenu, pItem->record);
  // Where the row commands' history comes from, and whether it is kept: a choice even with no row.
  AddChangeLogSwitch(pMenu, this, [this](const std::string& sText) { AddStatus(sText); });
  return pMenu;
}

void CQUORINDlg::AddRowCommands(QMenu* pMenu, const KESTO_RECORD& record) {
  const QString sMAC = QString::fromStdString(FormatMAC(record.byMAC));
  const QString sIP = QString::fromStdString(FormatAddress(record.dwIPAddress));
  pMenu->addAction(QStringLiteral("Copy &MAC address"), this, [sMAC] { QApplication::clipboard()->setText(sMAC); });
  pMenu->addAction(QStringLiteral("Copy &IP address"), this, [sIP] { QApplication::clipboard()->setText(sIP); });
  pMenu->addAction(QStringLiteral("&Copy row as CSV"), this, [this] { CopySelectedRows(); });
  pMenu->addSeparator();
  // Opens beside the window and closes its connection when closed.
  QAction* pSerial = pMenu->addAction(QStringLiteral("&Serial terminal..."), this,
                                      [this, record] { (new CSerialTerminalDlg(record, this))->show(); });
  pSerial->setEnabled(record.iPort > 0);
  pSerial->setToolTip(record.iPort > 0 ? QStringLiteral("The device's serial line, at its port %1").arg(record.iPort)
                                       : QStringLiteral("The device has no serial port"));
  AddChangeLogActions(pMenu, m_presenter, this);
  pMenu->addSeparator();
}

QMenu* CQUORINDlg::CreateStatusMenu() {
  auto* pMenu = new QMenu(this);
  QAction* pClear = pMenu->addAction(QStringLiteral("Clear status history"), this, [this] {
    m_history.Clear();
    m_presenter.ClearApplyOutcomes();
    m_history.Clear();  // clearing the outcomes may have reported once more
    AddStatus(std::string());
  });
  pClear->setEnabled(!m_history.IsEmpty());
  return pMenu;
}

void CQUORINDlg::OnRowMenu(const QPoint& pos) {
  // A click on a row outside the selection selects it alone; inside, the selection stays.
  if (const QModelIndex index = m_ctlList->indexAt(pos);
      index.isValid() && !m_ctlList->selectionModel()->isRowSelected(index.row(), QModelIndex()))
    m_ctlList->setCurrentIndex(index);
  std::unique_ptr<QMenu> menu(CreateRowMenu());
  menu->exec(m_ctlList->viewport()->mapToGlobal(pos));
}

void CQUORINDlg::CopySelectedRows() {
  std::string sText;
  for (DeviceRowKey key : GetSelectedRows())
    if (const CDeviceRowStore::Row* pRow = m_rows.Find(key))
      sText += DeviceToCsvRow(pRow->record, pRow->mark == CDeviceRowStore::kWarning);
  if (sText.empty()) return;
  QApplication::clipboard()->setText(QString::fromUtf8(DeviceCsvHeader() + sText));
}

void CQUORINDlg::OnExport() {
  // Window-modal and not waited for: the loop keeps the list alive while the user
  // picks a name, so no device ages out behind the dialog.
  if (m_pExportDialog == nullptr) {
    m_pExportDialog = new QFileDialog(this, QStringLiteral("Export"), QString(),
                                      QStringLiteral("CSV files (*.csv);;JSON files (*.json)"));
    m_pExportDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_pExportDialog->setObjectName(QStringLiteral("exportDialog"));
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
    ShowError(QString::fromStdString(CWindowTexts::ExportNameRefused(sPath.toStdString())));
    return false;
  }
  const std::vector<ListedDevice> devices = m_presenter.ShownDevices();
  const std::string sText = ExportDevices(devices, format);
  std::string sReason;
  if (!WriteChosenFile(sPath.toStdString(), sText, &sReason)) {
    ShowError(QString::fromStdString(CWindowTexts::NotWritten("The device list", sPath.toStdString(), sReason)));
    return false;
  }
  AddStatus(CWindowTexts::Exported(devices.size(), QFileInfo(sPath).fileName().toStdString()));
  return true;
}

void CQUORINDlg::FillTargetsMenu() {
  QMenu* pMenu = m_pTargets->menu();
  pMenu->clear();
  pMenu->addAction(QString::fromLatin1(CTargetList::kAddCommand), this, [this] { OnAddTarget(); });
  pMenu->addSeparator();
  const std::vector<std::string>& targets = m_targets.Get();
  if (targets.empty()) pMenu->addAction(QString::fromLatin1(CTargetList::kNoTargets))->setEnabled(false);
  for (size_t i = 0; i < targets.size(); ++i)
    pMenu->addAction(QString::fromStdString(CTargetList::RemoveText(targets[i])), this, [this, i] { m_targets.Remove(i); });
  pMenu->addSeparator();
  pMenu->addAction(QString::fromLatin1(CTargetList::kClearCommand), this, [this] { m_targets.Clear(); })
      ->setEnabled(!targets.empty());
}

void CQUORINDlg::OnAddTarget(const QString& sText, const QString& sReason) {
  // Not waited for, so the polling loop keeps the list alive while the user types.
  if (m_pTargetInput == nullptr) {
    m_pTargetInput = new QInputDialog(this);
    m_pTargetInput->setWindowTitle(QString::fromLatin1(CTargetList::kInputCaption));
    m_pTargetInput->setObjectName(QStringLiteral("targetInput"));
    connect(m_pTargetInput, &QInputDialog::textValueSelected, this, [this](const QString& s) { AddTarget(s); });
  }
  m_pTargetInput->setLabelText(QString::fromStdString(CTargetList::PromptText(sReason.toStdString())));
  m_pTargetInput->setTextValue(sText);
  m_pTargetInput->open();
}

bool CQUORINDlg::AddTarget(const QString& sText) {
  std::string sError;
  if (!m_targets.Add(sText.toStdString(), &sError)) {
    // The input comes back with the text, so a typo is mended rather than typed again.
    OnAddTarget(sText, QString::fromStdString(sError));
    return false;
  }
  return true;
}
