#ifndef KESTO_APP_QUORINDLG_H
#define KESTO_APP_QUORINDLG_H

#include <QWidget>
#include <memory>

#include "app/logic/DeviceListView.h"
#include "app/logic/QUORINPresenter.h"
#include "discovery/KestoFinder.h"

class QMessageBox;
class QPushButton;
class QTreeWidget;

// The main window: the device list and its two commands. It owns the finder and
// the presenter and only shows the presenter's rows. Closing it raises the quit
// flag for the start-up loop instead of closing.
class CQUORINDlg : public QWidget, private IDeviceListView {
  Q_OBJECT

 public:
  explicit CQUORINDlg(std::unique_ptr<CKestoFinder> finder, QWidget* pParent = nullptr);
  ~CQUORINDlg() override;

  void PollDevices() { m_presenter.PollDevices(); }
  // Waits for an answer at most iMs, or just sleeps when there is no socket.
  void PauseForAnswer(int iMs);
  bool IsQuitRequested() const { return m_bQuit; }

  // Says in a message box why there is no socket; the window keeps running.
  void ReportSocketProblem();

  CQUORINPresenter& GetPresenter() { return m_presenter; }
  CKestoFinder& GetFinder() { return *m_finder; }
  QTreeWidget* GetList() const { return m_ctlList; }
  QPushButton* GetBasicConfigButton() const { return m_pBasicConfig; }
  QPushButton* GetLaunchButton() const { return m_pLaunch; }
  QMessageBox* GetSocketMessage() const { return m_pSocketMessage; }

 protected:
  void closeEvent(QCloseEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;

 private:
  void InsertRow(int iIndex, const DeviceRowTexts& texts) override;
  void SetRowTexts(int iIndex, const DeviceRowTexts& texts) override;
  void DeleteRow(int iIndex) override;
  int GetSelectedRow() const override;

  bool RunConfigDialog(CConfigKestoModel& model);

  bool m_bQuit = false;
  std::unique_ptr<CKestoFinder> m_finder;
  QPushButton* m_pBasicConfig;
  QTreeWidget* m_ctlList;
  QPushButton* m_pLaunch;
  QMessageBox* m_pSocketMessage = nullptr;
  CQUORINPresenter m_presenter;
};

#endif
