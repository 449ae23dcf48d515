#ifndef KESTO_APP_QUORINDLG_H
#define KESTO_APP_QUORINDLG_H

#include <QHash>
#include <QIcon>
#include <QWidget>
#include <memory>

#include "app/logic/DeviceListView.h"
#include "app/logic/QUORINPresenter.h"
#include "discovery/KestoFinder.h"

class QComboBox;
class QFileDialog;
class QInputDialog;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// The main window: the device list and its two commands, with the filter box,
// the adapter box, the targets menu and the export command above them and the
// status line below. It owns the
// finder and the presenter and only shows the presenter's rows. Closing it
// raises the quit flag for the start-up loop instead of closing.
class CQUORINDlg : public QWidget, private IDeviceListView {
  Q_OBJECT

 public:
  // The finder's options say how this computer's interface table is read (a fixed one for pictures and tests).
  explicit CQUORINDlg(std::unique_ptr<CKestoFinder> finder, QWidget* pParent = nullptr);
  ~CQUORINDlg() override;

  void PollDevices() { m_presenter.PollDevices(); }
  // Waits for an answer at most iMs, or just sleeps when there is no socket.
  void PauseForAnswer(int iMs);
  bool IsQuitRequested() const { return m_bQuit; }

  // Says in a message box why there is no socket; the window keeps running.
  void ReportSocketProblem();

  // "Add target...": adds A.B.C.D[/prefix] to the finder's destinations, or says
  // in a message box why not.
  bool AddTarget(const QString& sText);

  // Writes the shown rows to a file, CSV or JSON by its suffix; false with a
  // message box when it could not be written.
  bool ExportTo(const QString& sPath);

  CQUORINPresenter& GetPresenter() { return m_presenter; }
  CKestoFinder& GetFinder() { return *m_finder; }
  // The list and the two buttons keep their own panel, laid out as they always were.
  QWidget* GetClassicPanel() const { return m_pPanel; }
  QTreeWidget* GetList() const { return m_ctlList; }
  QPushButton* GetBasicConfigButton() const { return m_pBasicConfig; }
  QPushButton* GetLaunchButton() const { return m_pLaunch; }
  QLineEdit* GetFilterEdit() const { return m_pFilter; }
  QPushButton* GetExportButton() const { return m_pExport; }
  QPushButton* GetAboutButton() const { return m_pAbout; }
  QMessageBox* GetAboutBox() const { return m_pAboutBox; }
  QComboBox* GetAdapterBox() const { return m_pAdapter; }
  QToolButton* GetTargetsButton() const { return m_pTargets; }
  QInputDialog* GetTargetInput() const { return m_pTargetInput; }
  QFileDialog* GetExportDialog() const { return m_pExportDialog; }
  QLabel* GetStatusLabel() const { return m_pStatus; }
  QMessageBox* GetSocketMessage() const { return m_pSocketMessage; }
  QMessageBox* GetLastErrorMessage() const { return m_pErrorMessage; }

 protected:
  void closeEvent(QCloseEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;

 private:
  void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) override;
  void SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) override;
  void SetRowShown(DeviceRowKey key, bool bShown) override;
  void SetRowMarks(DeviceRowKey key, bool bWarning) override;
  void DeleteRow(DeviceRowKey key) override;
  bool GetSelectedRow(DeviceRowKey* pKey) const override;
  void SetStatusText(const std::string& sText) override;
  void SetAdapterNames(const std::vector<std::string>& names) override;

  bool RunConfigDialog(CConfigKestoModel& model);
  void OnExport();
  void OnAddTarget();
  void OnAbout();
  // Window-modal and not waited for, so the loop keeps turning behind it.
  void ShowError(const QString& sText);

  bool m_bQuit = false;
  std::unique_ptr<CKestoFinder> m_finder;
  QWidget* m_pPanel;
  QPushButton* m_pBasicConfig;
  QTreeWidget* m_ctlList;
  QPushButton* m_pLaunch;
  QPushButton* m_pAbout;
  QLineEdit* m_pFilter;
  QPushButton* m_pExport;
  QLabel* m_pAdapterLabel;
  QComboBox* m_pAdapter;
  QToolButton* m_pTargets;
  QInputDialog* m_pTargetInput = nullptr;
  QFileDialog* m_pExportDialog = nullptr;
  QLabel* m_pStatus;
  QMessageBox* m_pSocketMessage = nullptr;
  QMessageBox* m_pErrorMessage = nullptr;
  QMessageBox* m_pAboutBox = nullptr;
  QHash<DeviceRowKey, QTreeWidgetItem*> m_items;
  QIcon m_iconWarning;  // looked up once, not per marked row
  CQUORINPresenter m_presenter;
};

#endif
