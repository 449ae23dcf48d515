#ifndef KESTO_APP_QUORINDLG_H
#define KESTO_APP_QUORINDLG_H

#include <QModelIndex>
#include <QWidget>
#include <memory>

#include "app/logic/DeviceListView.h"
#include "app/logic/DeviceRowStore.h"
#include "app/logic/DeviceSortOrder.h"
#include "app/logic/QUORINPresenter.h"
#include "app/logic/StatusHistory.h"
#include "app/logic/TargetList.h"
#include "discovery/KestoFinder.h"

class CDeviceTableModel;
class CMultiConfigForm;
class CPlanCommands;
class QComboBox;
class QFileDialog;
class QInputDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QPushButton;
class QToolButton;
class QTreeView;

// The main window: the filter box, the adapter box, the targets menu and the
// export command above the device list, its commands below it and the status
// line with the device count at the bottom. It owns the finder and the presenter
// and only shows the presenter's rows, kept in the row store and ordered by the
// sort the user picked (newest first unless one is picked). Size, column widths,
// extra columns and the order are kept in the user's settings. Closing it raises
// the quit flag for the start-up loop instead of closing. Tests find its widgets
// by their object names.
class CQUORINDlg : public QWidget, private IDeviceListView {
  Q_OBJECT

 public:
  // The finder's options say how the interface table is read (a fixed one for pictures and tests).
  explicit CQUORINDlg(std::unique_ptr<CKestoFinder> finder, QWidget* pParent = nullptr);
  ~CQUORINDlg() override;

  // The presenter's pass, then the count, the empty-list message and the commands.
  void PollDevices();
  // Waits for an answer at most iMs, or just sleeps when there is no socket.
  void PauseForAnswer(int iMs);
  bool IsQuitRequested() const { return m_bQuit; }

  // Says in a message box why there is no socket; the window keeps running.
  void ReportSocketProblem();

  // "Add target...": adds A.B.C.D[/prefix] to the finder's destinations; a refused
  // text opens the input again with the text and the reason.
  bool AddTarget(const QString& sText);

  // Writes the shown rows to a file, CSV or JSON by its suffix; false with a
  // message box when it could not be written, a status line entry when it was.
  bool ExportTo(const QString& sPath);

  // The user's settings: window geometry, column widths, extra columns, order.
  void SaveSettings() const;
  void SetSortOrder(const CDeviceSortOrder& order);
  const CDeviceSortOrder& GetSortOrder() const { return m_rows.GetOrder(); }
  void SetColumnShown(int iColumn, bool bShown);
  // Widens or narrows every shown column to its longest text.
  void FitColumns();

  // The context menus, built afresh each time (owned by the caller).
  QMenu* CreateRowMenu();
  // The row menu's commands for the row under the mouse.
  void AddRowCommands(QMenu* pMenu, const KESTO_RECORD& record);
  QMenu* CreateHeaderMenu();
  QMenu* CreateStatusMenu();
  // Ctrl+C: the selected rows in the CSV form, with its header line.
  void CopySelectedRows();
  CQUORINPresenter& GetPresenter() { return m_presenter; }
  CKestoFinder& GetFinder() { return *m_finder; }
  CPlanCommands& GetPlanCommands() { return *m_pPlanCommands; }

 protected:
  void closeEvent(QCloseEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  bool eventFilter(QObject* pObject, QEvent* pEvent) override;

 private:
  void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) override;
  void SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) override;
  void SetRowShown(DeviceRowKey key, bool bShown) override;
  void SetRowMarks(DeviceRowKey key, bool bWarning) override;
  void DeleteRow(DeviceRowKey key) override;
  bool GetSelectedRow(DeviceRowKey* pKey) const override;
  std::vector<DeviceRowKey> GetSelectedRows() const override;
  void SetStatusText(const std::string& sText) override;
  void SetAdapterNames(const std::vector<std::string>& names) override;

  void BuildLayout();
  void SetUpColumns();
  // About 20 rows and uncut columns, within the screen: the size of a first start.
  QSize FirstStartSize() const;
  void LoadSettings();
  // The finder's current record for a row.
  KESTO_RECORD RecordOf(DeviceRowKey key) const;
  uint32_t AgeOf(DeviceRowKey key) const;
  void RefreshLastSeen(uint32_t dwNow);
  // Hands the store's changes to the list, keeping the current row (or the top row) where it stood on screen.
  void SyncList();
  void ShowSortIndicator();
  // The width the first column needs for the longest name shown, with its icon.
  int NameWidthFor(const KESTO_RECORD& record) const;
  // Widens the name column to its longest name while the list has room for it.
  void FitNameColumn();
  // The tooltip a cell shows: its full text when the column cuts it, then the row's marks.
  QString CellToolTip(const QModelIndex& index) const;
  void UpdateState();
  void UpdateCommands();
  void UpdateAdapterTexts();
  void AddStatus(const std::string& sText);
  void OnHeaderClicked(int iColumn);
  void OnRowMenu(const QPoint& pos);

  bool RunConfigDialog(CConfigKestoModel& model);
  bool RunMultiConfigDialog(CMultiConfigForm& form);
  void OnExport();
  // "About...": the program's name and version.
  void OnAbout();
  void OnAddTarget(const QString& sText = QString(), const QString& sReason = QString());
  void FillTargetsMenu();
  // Window-modal and not waited for, so the loop keeps turning behind it.
  void ShowError(const QString& sText);

  bool m_bQuit = false;
  std::unique_ptr<CKestoFinder> m_finder;
  QLineEdit* m_pFilter;
  QLabel* m_pAdapterLabel;
  QComboBox* m_pAdapter;
  QToolButton* m_pTargets;
  QPushButton* m_pExport;
  CDeviceRowStore m_rows;
  CDeviceTableModel* m_pModel;
  QTreeView* m_ctlList;
  QLabel* m_pEmpty;
  QPushButton* m_pBasicConfig;
  QPushButton* m_pLaunch;
  QToolButton* m_pPlans;
  QPushButton* m_pNewestFirst;
  QPushButton* m_pAbout;
  QLabel* m_pStatus;
  QLabel* m_pCount;
  QInputDialog* m_pTargetInput = nullptr;
  QFileDialog* m_pExportDialog = nullptr;
  QMessageBox* m_pSocketMessage = nullptr;
  QMessageBox* m_pErrorMessage = nullptr;
  QMessageBox* m_pAboutBox = nullptr;
  bool m_bAnyAnswer = false;
  uint32_t m_dwLastSeenShown = 0;
  // The widest name met so far, in pixels with the icon, and whether the user sized the column.
  int m_iNameNeed = 0;
  bool m_bNameSized = false;
  bool m_bSizingName = false;
  CStatusHistory m_history;
  // The interface table's version the adapter texts were drawn from, and whether it had no usable adapter.
  uint64_t m_qwAdapterTableVersion = ~uint64_t{0};
  bool m_bNoUsableAdapter = false;
  CQUORINPresenter m_presenter;
  CTargetList m_targets{m_presenter};
  CPlanCommands* m_pPlanCommands;
};

#endif
