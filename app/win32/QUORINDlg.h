#ifndef KESTO_APP_WIN32_QUORINDLG_H
#define KESTO_APP_WIN32_QUORINDLG_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/logic/DeviceListView.h"
#include "app/logic/QUORINPresenter.h"
#include "app/win32/ConfigKestoDlg.h"
#include "discovery/KestoFinder.h"

// The main window from dialog resource 102: the system list view (control 1028)
// showing the presenter's rows and the two command buttons. It owns the finder
// and the presenter. Closing it only raises the quit flag; the start-up loop
// ends the program when it sees it.
class CQUORINDlg : private IDeviceListView {
 public:
  // fnOpenUrl null means the shell's "open" verb.
  explicit CQUORINDlg(std::unique_ptr<CKestoFinder> finder, CQUORINPresenter::OpenUrl fnOpenUrl = {});
  CQUORINDlg(const CQUORINDlg&) = delete;
  CQUORINDlg& operator=(const CQUORINDlg&) = delete;
  ~CQUORINDlg() override;

  // Creates the window modeless from the resource; false when that failed.
  bool Create();
  HWND GetHwnd() const { return m_hWnd; }
  HWND GetList() const { return m_hList; }

  void PollDevices() { m_presenter.PollDevices(); }
  // Waits for an answer at most iMs, or just sleeps when there is no socket.
  void PauseForAnswer(int iMs);
  bool IsQuitRequested() const { return m_bQuit; }

  // Says in a message box why there is no socket (the message box waits).
  void ReportSocketProblem();

  // Called on every turn while the configuration dialog is open.
  void SetConfigTurnHook(CConfigKestoDlg::TurnHook fnTurn) { m_fnConfigTurn = std::move(fnTurn); }

  CQUORINPresenter& GetPresenter() { return m_presenter; }
  HICON GetIcon() const { return m_hIcon; }

  // The text of one cell as the list view holds it, in UTF-8.
  std::string GetCellText(int iRow, int iColumn) const;
  int GetListRowCount() const;
  // A column's title and width as the list view holds them; false past the last.
  bool GetColumn(int iColumn, std::string* psTitle, int* piWidth) const;
  void SelectRow(int iRow);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnPaintIconic();
  void ShowAbout();

  void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) override;
  void SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) override;
  void SetRowShown(DeviceRowKey key, bool bShown) override;
  // This window has no room for marks, a status line or an adapter box.
  void SetRowMarks(DeviceRowKey, bool) override {}
  void DeleteRow(DeviceRowKey key) override;
  bool GetSelectedRow(DeviceRowKey* pKey) const override;
  void SetStatusText(const std::string&) override {}
  void SetAdapterNames(const std::vector<std::string>&) override {}

  // The position of a slot's row in the list view, or -1 when it is hidden.
  int ListIndexOf(size_t nSlot) const;
  // The slot of a key, or m_slots.size() when there is none.
  size_t SlotOf(DeviceRowKey key) const;
  void InsertListRow(int iIndex, const DeviceRowTexts& texts);

  bool RunConfigDialog(CConfigKestoModel& model);

  bool m_bQuit = false;
  HICON m_hIcon;
  HICON m_hSmallIcon;
  std::unique_ptr<CKestoFinder> m_finder;
  HWND m_hWnd = nullptr;
  HWND m_hList = nullptr;
  CConfigKestoDlg::TurnHook m_fnConfigTurn;
  // Every row the presenter keeps, top first; hidden ones are not in the list view.
  struct Slot {
    DeviceRowKey key;
    DeviceRowTexts texts;
    bool bShown;
  };
  std::vector<Slot> m_slots;
  CQUORINPresenter m_presenter;
};

#endif
