#ifndef KESTO_APP_WIN32_QUORINDLG_H
#define KESTO_APP_WIN32_QUORINDLG_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/logic/DeviceListView.h"
#include "app/logic/QUORINPresenter.h"
#include "app/logic/StatusHistory.h"
#include "app/logic/TargetList.h"
#include "app/win32/ConfigKestoDlg.h"
#include "app/win32/DeviceListCtrl.h"
#include "discovery/KestoFinder.h"
#include "platform/Registry.h"

// The main window from dialog resource 102, which gives the list view (control
// 1028) and the two command buttons their places at the starting size. The
// filter box, the adapter box, the Targets menu, Export..., "Newest first" and
// the status line with the device count are added below them; the window is
// resizable and lays its controls out again on every size. It owns the finder
// and the presenter. Its size, the column widths and the order are kept in the
// user's part of the registry. Closing it only raises the quit flag; the start-up
// loop ends the program when it sees it.
class CQUORINDlg : private IDeviceListView {
 public:
  // fnOpenUrl null means the shell's "open" verb; pSettings null the system's registry.
  explicit CQUORINDlg(std::unique_ptr<CKestoFinder> finder, CQUORINPresenter::OpenUrl fnOpenUrl = {},
                      platform::Registry* pSettings = nullptr);
  CQUORINDlg(const CQUORINDlg&) = delete;
  CQUORINDlg& operator=(const CQUORINDlg&) = delete;
  ~CQUORINDlg() override;

  // Creates the window modeless from the resource; false when that failed.
  bool Create();
  HWND GetHwnd() const { return m_hWnd; }

  // The presenter's pass, then the list view, the count and the commands.
  void PollDevices();
  // Waits for an answer at most iMs, or just sleeps when there is no socket.
  void PauseForAnswer(int iMs);
  bool IsQuitRequested() const { return m_bQuit; }

  // Opens the change log unless the user switched it off ("Log changes" in the Plans menu).
  void StartChangeLog();
  bool IsLoggingChanges() const { return m_bLogChanges; }

  // Says in a message box why there is no socket (the message box waits).
  void ReportSocketProblem();

  // Called on every turn while the configuration dialog is open.
  void SetConfigTurnHook(CConfigKestoDlg::TurnHook fnTurn) { m_fnConfigTurn = std::move(fnTurn); }

  // "Add target...": A.B.C.D[/prefix]; false with the reason when refused.
  bool AddTarget(const std::string& sText, std::string* psError);
  // Writes the shown rows, CSV or JSON by the name's ending; false with a message
  // box when it could not be written, a status line entry when it was.
  bool ExportTo(const std::wstring& sPath);
  // "Apply plan..." after its file dialog: reads, previews and, once confirmed, sends the plan.
  bool ApplyPlanFrom(const std::wstring& sPath);
  // "Back up..." after its file dialog: every listed device's record, as `kesto backup` writes it.
  bool BackupTo(const std::wstring& sPath);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // Answers through the dialog's message result.
  INT_PTR Answer(LRESULT lResult);
  void OnInitDialog();
  void CreateControls();
  void Layout();
  void OnCommand(int iId, int iCode);
  void OnPaintIconic();
  void ShowAbout();
  void ShowRowMenu(LPARAM lPoint);
  void ShowHeaderMenu(LPARAM lPoint);
  void ShowTargetsMenu();
  void ShowPlansMenu();
  // Runs the menu (passes keep running meanwhile) and destroys it.
  void TrackMenu(HMENU hMenu, UINT uFlags, POINT point);
  void TrackMenuBelow(HMENU hMenu, int iButton);
  // A message box, passes running meanwhile; a warning unless pszCaption is given.
  void ShowMessage(const std::string& sText, const char* pszCaption = nullptr);
  // A file dialog (passes running meanwhile): *psPath is the name it starts with and
  // the one chosen, *pdwFilter the chosen file type (1-based); false when cancelled.
  struct FileChoice {
    bool bSave;
    const wchar_t* pszTitle;
    const wchar_t* pszFilter;
    const wchar_t* pszDefaultExtension;  // may be null
  };
  bool ChooseFile(const FileChoice& choice, std::wstring* psPath, DWORD* pdwFilter);
  void OnApplyPlan();
  void OnBackup();
  void OnUndo();
  void OnChangeHistory();
  void OnLogChanges();
  // The control a tooltip's tool stands for, and what its tooltip says now.
  int ControlOfTool(UINT_PTR uId, UINT uFlags) const;
  std::string ToolTipOf(int iId) const;
  void ShowStatusMenu(LPARAM lPoint);
  void OnAddTarget();
  void OnExport();
  void CopyRow(int iWhat);
  void RemoveTarget(size_t nIndex);
  void AddStatus(const std::string& sText);
  void UpdateState();
  void UpdateAdapterTexts();
  void Flush();
  void LoadSettings();
  void SaveSettings() const;

  void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) override;
  void SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) override;
  void SetRowShown(DeviceRowKey key, bool bShown) override;
  void SetRowMarks(DeviceRowKey key, bool bWarning) override;
  void DeleteRow(DeviceRowKey key) override;
  bool GetSelectedRow(DeviceRowKey* pKey) const override;
  std::vector<DeviceRowKey> GetSelectedRows() const override;
  void SetStatusText(const std::string& sText) override;
  void SetAdapterNames(const std::vector<std::string>& names) override;

  KESTO_RECORD RecordOf(DeviceRowKey key) const;
  bool RunConfigDialog(CConfigKestoModel& model);

  bool m_bQuit = false;
  bool m_bLogChanges = true;
  platform::Registry& m_settings;
  HICON m_hIcon;
  HICON m_hSmallIcon;
  std::unique_ptr<CKestoFinder> m_finder;
  HWND m_hWnd = nullptr;
  HWND m_hToolTip = nullptr;
  SIZE m_minTrack{};
  CConfigKestoDlg::TurnHook m_fnConfigTurn;
  CDeviceListCtrl m_list;
  CStatusHistory m_history;
  std::wstring m_sStatusTip;
  std::wstring m_sTip;  // the text a tooltip is showing
  std::vector<std::string> m_adapters;  // the adapter box's entries after "All adapters"
  uint64_t m_qwAdapterTableVersion = ~uint64_t{0};
  bool m_bNoUsableAdapter = false;
  bool m_bAnyAnswer = false;
  uint32_t m_dwAgesShown = 0;
  CQUORINPresenter m_presenter;
  CTargetList m_targets;
};

#endif
