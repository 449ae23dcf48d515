#ifndef KESTO_APP_LOGIC_QUORINPRESENTER_H
#define KESTO_APP_LOGIC_QUORINPRESENTER_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/logic/ApplyTracker.h"
#include "app/logic/ConfigKestoModel.h"
#include "app/logic/DeviceFilter.h"
#include "app/logic/DeviceListView.h"
#include "app/logic/MultiConfigForm.h"
#include "app/logic/PlanApplyJob.h"
#include "app/logic/UndoLastChange.h"
#include "formats/ListedDevice.h"
#include "discovery/KestoAddressCheck.h"
#include "discovery/KestoDestinations.h"
#include "discovery/KestoFinder.h"
#include "discovery/KestoInfo.h"
#include "platform/InterfaceTable.h"

// The main window without its widgets: the polling pass that keeps the device
// list in line with the finder's entries, the rows' marks, the filter, the two
// commands on the selected row and what became of the settings they sent.
class CQUORINPresenter {
 public:
  // Runs the configuration dialog modally on the model; true when confirmed.
  using RunDialog = std::function<bool(CConfigKestoModel&)>;
  // Opens an address in the user's browser.
  using OpenUrl = std::function<void(const std::string&)>;
  // Runs the form for several devices modally; true when confirmed.
  using RunMultiDialog = std::function<bool(CMultiConfigForm&)>;
  static constexpr const char* kUnreachableText = "not reachable from this computer: its web page may not open";
  // A pass stops taking waiting answers after this long (looking at the clock every
  // kReadsPerClockLook reads) or this many, so the window never freezes under a flood;
  // what is left waits in the socket for the next pass.
  static constexpr uint32_t kMaxReadMsPerPass = 10;
  static constexpr int kMaxReadsPerPass = 20000;
  static constexpr int kReadsPerClockLook = 16;
  // A row's tooltip names at most this many other devices sharing its address.
  static constexpr size_t kMaxNamedSharers = 8;
  static constexpr const char* kSeveralSendersText = "Answers from several addresses";

  // The interface table is the finder's (CKestoFinder::GetInterfaceSnapshot), read
  // at most every 5 s for the probes, the adapter box and the subnet marks alike.
  CQUORINPresenter(CKestoFinder& finder, IDeviceListView& view, RunDialog fnRunDialog, OpenUrl fnOpenUrl);
  CQUORINPresenter(const CQUORINPresenter&) = delete;
  CQUORINPresenter& operator=(const CQUORINPresenter&) = delete;

  // One polling pass: the finder's Poll, every waiting answer (bounded in time),
  // the walk over its entries, RemoveAged, then the follow-up of sent settings and
  // the marks of the rows that changed.
  void PollDevices();
  // The pass while the configuration dialog is open: probes and answers (every waiting one) only,
  // so the row copy being edited stays where it is.
  void PollWhileModal();

  // "Basic Config...": edit the selected row's copy and broadcast it.
  void OnBasicConfig();
  // "Undo last change": the selected device's latest change in the change log,
  // and sending back what it altered, followed as "Basic Config..." is.
  CUndoLastChange GetUndoForSelected();
  void SendUndo(const CUndoLastChange& undo);
  // "Change history...": the selected device's changes, newest first.
  std::vector<std::string> GetHistoryForSelected();
  // "Lauch Configurator...": open the selected device's web page.
  void OnLaunchConfigurator();

  // "Basic Config..." with several rows selected: the form for them all, whose
  // plan is then sent as StartPlan sends one.
  void SetMultiConfigDialog(RunMultiDialog fnRunMultiDialog) { m_fnRunMultiDialog = std::move(fnRunMultiDialog); }
  void OnMultiConfig();
  // The selected rows' records in the order the list shows them, hidden rows left out.
  std::vector<KESTO_RECORD> SelectedRecords() const;
  // Every row's record as shown, oldest device first.
  std::vector<KESTO_RECORD> ListedRecords() const;
  // "Apply plan...": a plan as `kesto apply` reads it (CSV or JSON) or a backup
  // as `kesto restore` reads it, previewed against the listed devices. False
  // with every problem when it is refused.
  bool PreviewPlanText(std::string_view text, PlanPreview* pPreview, std::vector<std::string>* pErrors) const;
  // Sends a previewed plan a few devices at a time from the passes, each
  // confirmed as `kesto apply` confirms it. False with the reason when it is
  // refused: one still running, nothing to change, an address it would share, or
  // addresses the address rule refuses unless the user chose to send them anyway.
  bool StartPlan(const PlanPreview& preview, std::string* psError, bool bSendAnyway = false);
  // The plan being sent or last sent, or null.
  const CPlanApplyJob* GetPlanJob() const { return m_pPlan.get(); }
  // "Back up...": every listed device's full record as `kesto backup` writes it.
  std::string BackupText(const std::string& sTime) const;
  // Whether a row's last settings (one device's or a plan's) did not take.
  bool IsRowUnsettled(DeviceRowKey key) const;

  // The filter box: shows only the matching rows; every row is kept.
  void SetFilterText(std::string_view text);

  // The selected row's copy, or null; a row the filter hides counts as not selected.
  CKestoInfo* GetSelectedRecord();

  // Every row, shown or not, top first. GetRow walks the rows: for tests and tools.
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  const CKestoInfo& GetRow(int iIndex) const;
  int GetShownRowCount() const;

  // What the export writes: the rows the filter shows, with the records they show
  // (the devices' last answers, not unsent edits) and their flags, in the order
  // the devices were found, oldest first, as `kesto list` prints them.
  std::vector<ListedDevice> ShownDevices() const;

  // The adapter box: the usable adapters of the last table read (and the chosen
  // one, even while it is gone); "" chooses every adapter.
  const std::string& GetSelectedAdapter() const { return m_sAdapter; }
  void SelectAdapter(const std::string& sName);
  // "Add target...": A.B.C.D or A.B.C.D/prefix, probed one address at a time
  // besides the broadcasts; false with the reason when the text is refused.
  bool AddTarget(const std::string& sText, std::string* psError);
  void ClearTargets();
  // Whether the finder may be pointed elsewhere: not while it probes one explicit
  // host (KESTO_TARGET), which stays the only destination.
  bool CanChooseDestinations() const;

  const CApplyTracker& GetApplyTracker() const { return m_apply; }
  // "Clear status history": forgets what became of sent settings.
  void ClearApplyOutcomes();
  // The interface table as last read (the finder's), and whether a read succeeded.
  const std::vector<platform::NetInterface>& GetInterfaces() const { return m_finder.GetInterfaces(); }
  bool AreInterfacesKnown() const { return m_finder.HasInterfaceTable(); }
  // The tooltip the row of this device carries, or empty; built when asked (the view
  // asks when it shows one), never kept.
  std::string GetRowToolTip(const KESTO_RECORD& record) const;
  std::string GetRowToolTip(DeviceRowKey key) const;
  // An empty list says after this long, by the finder's clock, why it may be empty.
  static constexpr uint32_t kEmptyHintMs = 5000;
  // Whether the list has had no row for kEmptyHintMs, counted from the start or from
  // the pass that took its last row away (DeviceListFacts::bEmptyForLong).
  bool IsEmptyForLong() const;
  // The line under the list: settings' outcomes, a full list, a sweep falling behind.
  const std::string& GetStatusText() const { return m_sStatus; }

  static std::string ConfiguratorUrl(uint32_t dwIPAddress);

 private:
  // A row holds no record: what it shows is its finder entry's record, which every pass
  // brings the row in line with (until the next pass the row keeps the texts it had).
  struct Row {
    uint32_t dwIP = 0;  // the address the row is counted under in m_check
    bool bShown = true;
    // The marks last handed to the view.
    bool bDuplicateIP = false;
    bool bUnreachable = false;
    bool bSeveralSenders = false;
    bool bUnsettled = false;  // its settings were not confirmed or not sent
  };
  using RowMap = std::unordered_map<DeviceRowKey, Row>;

  Row* FindRow(DeviceRowKey key);
  // The record a row shows: its finder entry's; null when the entry is gone.
  const KESTO_RECORD* RecordOf(DeviceRowKey key) const;
  // Calls visit(key, row, entry) for every row in the order the devices were found, oldest first.
  template <typename Visit>
  void VisitRows(Visit visit) const;
  void InsertRow(CKestoInfo& entry);
  void RewriteRow(DeviceRowKey key, Row& row, const KESTO_RECORD& record);
  void DeleteRow(DeviceRowKey key);
  // Forgets the commands' copies that hold nothing but their entry's record, except the selected row's.
  void DropPlainCopies(bool bSelected, DeviceRowKey selected);
  // The texts are the row's, made from its shown record: kept nowhere, made when matched.
  void ApplyFilter(DeviceRowKey key, Row& row, const DeviceRowTexts& texts);
  // Reads the answers waiting after the finder's Poll, within the pass's bounds.
  void TakeWaitingAnswers(uint32_t dwPassStart);
  // Takes the finder's interface table when it changed; true when it did.
  bool RefreshInterfaces();
  void UpdateAdapterNames();
  // Subnets are judged only from a readable table and only when the finder
  // broadcasts: a single explicit host says nothing about this computer's networks.
  bool CanJudgeSubnets() const { return m_finder.HasInterfaceTable() && CanChooseDestinations(); }
  // Marks the rows of this pass's changes: the rows inserted or rewritten, and the
  // other holders of an address whose sharing began or ended, and the rows whose
  // devices' senders changed. bAll redoes every row
  // (the interface table changed). The view hears only of changed flags.
  void UpdateMarks(bool bAll);
  void UpdateRowMarks(DeviceRowKey key, Row& row);
  void NoteAddressChange(uint32_t dwIP, size_t nHolders);
  // Queues the rows whose several-senders mark may have changed: those the finder
  // now holds several addresses for, and those marked so far.
  void NoteSenderChanges();
  // Queues the rows whose outcome of sent settings may have changed.
  void NoteApplyChanges();
  // Writes the change over the row's copy, logs it, sends it and follows the outcome.
  void SendSettings(CKestoInfo* pCopy, const CKestoSettingsChange& change);
  void UpdateStatus(bool bApplyChanged);
  // Drives the plan being sent; true when an outcome was settled.
  bool PumpPlan();
  std::string PlanStatusText() const;
  std::string ToolTipFor(DeviceRowKey key, const Row& row) const;

  CKestoFinder& m_finder;
  IDeviceListView& m_view;
  RunDialog m_fnRunDialog;
  OpenUrl m_fnOpenUrl;
  RunMultiDialog m_fnRunMultiDialog;
  std::unique_ptr<CPlanApplyJob> m_pPlan;
  // Devices whose plan outcome was settled since the marks were last redone.
  std::vector<uint64_t> m_vecPlanSettled;
  // Why the last plan from the form was not sent, for the status line.
  std::string m_sPlanRefusal;
  CDeviceFilter m_filter;
  CApplyTracker m_apply;
  // Kept in line with the rows' shown records, one holder per row.
  CKestoAddressCheck m_check;
  uint64_t m_qwInterfacesVersion = 0;
  std::vector<std::string> m_vecAdapters;
  std::string m_sAdapter;
  // The rows by MAC key; their order is the finder's (newest on top).
  RowMap m_rows;
  // The copies the commands act on and "Basic Config..." edits, made for a selected row
  // when asked; an edit stays until the device's record changes or its row goes.
  std::unordered_map<DeviceRowKey, std::unique_ptr<CKestoInfo>> m_copies;
  // The finder's GetRecordChanges at the last walk over its entries.
  uint64_t m_nRecordChangesSeen = ~uint64_t{0};
  // This pass's changes, for UpdateMarks: rows to mark again, and addresses whose
  // holders went from one to two or from two to one (both sides' flags flip).
  std::vector<DeviceRowKey> m_vecDirtyRows;
  std::vector<uint32_t> m_vecFlippedIPs;
  std::string m_sStatus;
  // What the status line last said about the list and the sweep.
  uint64_t m_qwStatusRefused = 0;
  bool m_bStatusFull = false;
  bool m_bStatusBehind = false;
  size_t m_nStatusSweepSent = 0;
  std::string m_sStatusLogError;
  // Shown while the status line has nothing else to say: the receive buffer is short.
  std::string m_sRoomNotice;
  bool m_bRoomRead = false;
  // The finder's count of sender changes last seen, and the rows now marked for several senders.
  uint64_t m_nSenderChanges = 0;
  std::unordered_set<DeviceRowKey> m_setSeveralShown;
  // The rows now marked for settings that did not take, so a cleared history unmarks them.
  std::unordered_set<DeviceRowKey> m_setUnsettled;
  // Since when the list has had no row; timed from the start.
  uint32_t m_dwEmptySince = 0;
  bool m_bEmptyTimed = true;
};

#endif
