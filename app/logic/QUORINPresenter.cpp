#include "app/logic/QUORINPresenter.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "discovery/KestoDeviceDiff.h"
#include "discovery/ReceiveRoomNotice.h"
#include "plan/DeviceBackup.h"
#include "plan/PlanReader.h"
#include "plan/ChangeLog.h"
#include "formats/TerminalText.h"
#include "formats/DeviceList.h"

CQUORINPresenter::CQUORINPresenter(CKestoFinder& finder, IDeviceListView& view, RunDialog fnRunDialog,
                                   OpenUrl fnOpenUrl)
    : m_finder(finder),
      m_view(view),
      m_fnRunDialog(std::move(fnRunDialog)),
      m_fnOpenUrl(std::move(fnOpenUrl)),
      m_dwEmptySince(finder.Now()) {}

bool CQUORINPresenter::IsEmptyForLong() const {
  return m_rows.empty() && m_bEmptyTimed && m_finder.Now() - m_dwEmptySince >= kEmptyHintMs;
}

void CQUORINPresenter::PollDevices() {
  const uint32_t dwPassStart = m_finder.Now();
  // The device last selected keeps its place even when a flood fills the list, also
  // after a lost answer took its row (and with it the selection) away.
  DeviceRowKey selected = 0;
  const bool bSelected = m_view.GetSelectedRow(&selected);
  if (bSelected) m_finder.SetKeptMAC(selected);
  m_finder.Poll();
  TakeWaitingAnswers(dwPassStart);

  // One tick for the whole pass: the rows and the finder must agree on which
  // entries expired, or a device could lose its entry but keep its row.
  const uint32_t dwNow = m_finder.Now();
  // Sweeps of single addresses come round more slowly than a probe, so the
  // finder may keep entries longer; the rows go by the same limit.
  const uint32_t dwAgeLimit = m_finder.GetAgeLimitMs();
  // Answers that changed nothing leave the rows as they are: the walk over every entry
  // is needed only for a new entry, a replaced record or an entry that may have aged.
  if (m_finder.GetRecordChanges() != m_nRecordChangesSeen || m_finder.MayHaveAged(dwNow, dwAgeLimit)) {
    m_nRecordChangesSeen = m_finder.GetRecordChanges();
    CKestoDeviceDiff::Pass(m_finder, dwNow, dwAgeLimit, false, [this](CKestoDeviceDiff::Event event, CKestoInfo& entry) {
      const DeviceRowKey key = RowKeyOf(entry.GetRecord());
      switch (event) {
        case CKestoDeviceDiff::Event::kAdded:
          InsertRow(entry);
          break;
        case CKestoDeviceDiff::Event::kChanged:
          // The flag is lowered once the row shows the change, so only new changes come again.
          entry.bChanged = 0;
          if (Row* pRow = FindRow(key)) RewriteRow(key, *pRow, entry.GetRecord());
          break;
        case CKestoDeviceDiff::Event::kRemoved:
          DeleteRow(key);
          break;
      }
    });
  } else {
    // A device's second address may fall silent while the device still answers.
    m_finder.RemoveAged(dwNow, dwAgeLimit);
  }
  if (!m_copies.empty()) DropPlainCopies(bSelected, selected);
  if (!m_rows.empty()) {
    m_bEmptyTimed = false;
  } else if (!m_bEmptyTimed) {
    m_bEmptyTimed = true;
    m_dwEmptySince = dwNow;
  }

  const bool bInterfacesChanged = RefreshInterfaces();
  const bool bApplyChanged = m_apply.Update(m_finder, dwNow);
  const bool bPlanChanged = PumpPlan();
  // A device answering from another address changes no row, only its mark.
  if (m_finder.GetSenderChanges() != m_nSenderChanges) {
    m_nSenderChanges = m_finder.GetSenderChanges();
    NoteSenderChanges();
  }
  // The receive buffer's size is read back once, at the first pass.
  const bool bFirstPass = !m_bRoomRead;
  if (bFirstPass) {
    m_bRoomRead = true;
    m_sRoomNotice = ReceiveRoomNotice(m_finder.GetSocket(), m_finder.GetMaxEntries());
  }
  if (bApplyChanged) NoteApplyChanges();
  if (bPlanChanged) {
    for (uint64_t key : m_vecPlanSettled) m_vecDirtyRows.push_back(key);
    m_vecPlanSettled.clear();
  }
  UpdateMarks(bInterfacesChanged);
  UpdateStatus(bApplyChanged || bPlanChanged || bFirstPass);
}

void CQUORINPresenter::TakeWaitingAnswers(uint32_t dwPassStart) {
  for (int n = 1; n <= kMaxReadsPerPass && m_finder.WaitForAnswer(0); ++n) {
    m_finder.Receive();
    if (n % kReadsPerClockLook == 0 && static_cast<uint32_t>(m_finder.Now() - dwPassStart) >= kMaxReadMsPerPass)
      break;
  }
}

void CQUORINPresenter::PollWhileModal() {
  const uint32_t dwPassStart = m_finder.Now();
  m_finder.Poll();
  TakeWaitingAnswers(dwPassStart);
  // A plan keeps going behind a dialog; its marks follow at the next full pass.
  if (m_pPlan) m_pPlan->Pump(m_finder, &m_vecPlanSettled);
}

bool CQUORINPresenter::PumpPlan() {
  if (!m_pPlan) return false;
  m_pPlan->Pump(m_finder, &m_vecPlanSettled);
  return !m_vecPlanSettled.empty();
}

void CQUORINPresenter::OnMultiConfig() {
  std::vector<KESTO_RECORD> chosen = SelectedRecords();
  if (chosen.empty() || !m_fnRunMultiDialog) return;
  CMultiConfigForm form(std::move(chosen), ListedRecords());
  if (!m_fnRunMultiDialog(form) || !form.IsConfirmed()) return;
  std::string sError;
  if (!StartPlan(form.GetPreview(), &sError, form.IsSentAnyway())) {
    m_sPlanRefusal = "Nothing sent: " + sError;
    UpdateStatus(true);
  }
}

std::vector<KESTO_RECORD> CQUORINPresenter::SelectedRecords() const {
  std::vector<KESTO_RECORD> records;
  for (DeviceRowKey key : m_view.GetSelectedRows()) {
    const auto found = m_rows.find(key);
    const KESTO_RECORD* pRecord = found != m_rows.end() && found->second.bShown ? RecordOf(key) : nullptr;
    if (pRecord != nullptr) records.push_back(*pRecord);
  }
  return records;
}

std::vector<KESTO_RECORD> CQUORINPresenter::ListedRecords() const {
  std::vector<KESTO_RECORD> records;
  records.reserve(m_rows.size());
  VisitRows([&](DeviceRowKey, const Row&, const CKestoInfo& entry) { records.push_back(entry.GetRecord()); });
  return records;
}

bool CQUORINPresenter::PreviewPlanText(std::string_view text, PlanPreview* pPreview,
                                       std::vector<std::string>* pErrors) const {
  DevicePlan plan;
  std::vector<std::string> errors;
  const size_t nFirst = text.find_first_not_of(" \t\r\n");
  if (nFirst != std::string_view::npos && text[nFirst] == '{') {
    // An object is a backup: restoring it is a plan with every field of each record.
    std::vector<KESTO_RECORD> records;
    std::string sError;
    if (!ReadBackup(text, &records, &sError)) errors.push_back(sError);
    else if (records.empty()) errors.push_back("the backup holds no device");
    else plan = RestorePlan(records);
  } else {
    ReadPlan(text, &plan, &errors);
  }
  if (errors.empty()) {
    PlanPreview preview = PreviewPlan(plan, ListedRecords());
    errors = preview.Errors();
    if (errors.empty()) *pPreview = std::move(preview);
  }
  if (errors.empty()) return true;
  *pErrors = std::move(errors);
  return false;
}

bool CQUORINPresenter::StartPlan(const PlanPreview& preview, std::string* psError, bool bSendAnyway) {
  if (m_pPlan && !m_pPlan->IsDone()) {
    *psError = "a plan is still being sent (" + std::to_string(m_pPlan->GetDoneCount()) + " of " +
               std::to_string(m_pPlan->GetStepCount()) + " devices done)";
    return false;
  }
  if (!preview.Errors().empty()) {
    *psError = preview.Errors().front();
    return false;
  }
  if (PlanMakesSharedIP(preview)) {
    *psError = "the plan would give an address to more than one device";
    return false;
  }
  if (const std::vector<std::string> problems = preview.AddressProblems(); !problems.empty() && !bSendAnyway) {
    *psError = problems.front();
    return false;
  }
  if (preview.CountChanged() == 0) {
    *psError = "every planned device already holds these settings";
    return false;
  }
  if (m_pPlan)
    for (uint64_t key : m_pPlan->Keys()) m_vecDirtyRows.push_back(key);
  m_pPlan = std::make_unique<CPlanApplyJob>(preview);
  m_sPlanRefusal.clear();
  for (uint64_t key : m_pPlan->Keys()) {
    uint8_t byMAC[6];
    MacFromKey(key, byMAC);
    m_apply.Forget(byMAC);
    m_vecDirtyRows.push_back(key);
  }
  PumpPlan();
  m_vecPlanSettled.clear();
  UpdateMarks(false);
  UpdateStatus(true);
  return true;
}

std::string CQUORINPresenter::BackupText(const std::string& sTime) const {
  return BackupToJson(ListedRecords(), sTime);
}

bool CQUORINPresenter::IsRowUnsettled(DeviceRowKey key) const {
  uint8_t byMAC[6];
  MacFromKey(key, byMAC);
  if (const ApplyState* pState = m_apply.Find(byMAC))
    return *pState == ApplyState::kNotConfirmed || *pState == ApplyState::kNotSent;
  if (!m_pPlan || m_pPlan->IsWaiting(key)) return false;
  const ReportLine* pLine = m_pPlan->Find(key);
  return pLine != nullptr && (pLine->outcome == DeviceOutcome::kNotConfirmed ||
                              pLine->outcome == DeviceOutcome::kNotSent || pLine->outcome == DeviceOutcome::kRefused);
}

std::string CQUORINPresenter::PlanStatusText() const {
  if (!m_sPlanRefusal.empty()) return m_sPlanRefusal;
  if (!m_pPlan) return {};
  if (!m_pPlan->IsDone())
    return "Sending plan: " + std::to_string(m_pPlan->GetDoneCount()) + " of " +
           std::to_string(m_pPlan->GetStepCount()) + " devices done";
  const std::vector<ReportLine>& lines = m_pPlan->Report();
  std::string sText = "Plan:";
  bool bFirst = true;
  for (DeviceOutcome outcome : {DeviceOutcome::kConfirmed, DeviceOutcome::kUnchanged, DeviceOutcome::kNotConfirmed,
                                DeviceOutcome::kNotFound, DeviceOutcome::kNotSent, DeviceOutcome::kRefused}) {
    const size_t n = CountOutcome(lines, outcome);
    if (n == 0) continue;
    sText += (bFirst ? " " : ", ") + std::to_string(n) + " " + DeviceOutcomeText(outcome);
    bFirst = false;
  }
  // The devices that did not take their settings, by name, the first few of them.
  std::string sNamed;
  size_t nUnsettled = 0;
  for (const ReportLine& line : lines) {
    if (line.outcome == DeviceOutcome::kConfirmed || line.outcome == DeviceOutcome::kUnchanged) continue;
    if (++nUnsettled > CApplyTracker::kStatusItems) continue;
    const std::string sName = TerminalText(line.sName);
    sNamed += (sNamed.empty() ? "" : ", ") + (sName.empty() ? FormatMAC(line.mac.data())
                                                             : sName + " (" + FormatMAC(line.mac.data()) + ")");
  }
  if (nUnsettled > CApplyTracker::kStatusItems)
    sNamed += " (+" + std::to_string(nUnsettled - CApplyTracker::kStatusItems) + " more)";
  return sNamed.empty() ? sText : sText + " - " + sNamed;
}

void CQUORINPresenter::OnBasicConfig() {
  if (m_view.GetSelectedRows().size() > 1) {
    OnMultiConfig();
    return;
  }
  CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr || !m_fnRunDialog) return;
  CConfigKestoModel model(*pCopy);
  if (!m_fnRunDialog(model) || !model.IsConfirmed()) return;
  SendSettings(pCopy, model.GetChange());
}

void CQUORINPresenter::SendSettings(CKestoInfo* pCopy, const CKestoSettingsChange& change) {
  const KESTO_RECORD old = pCopy->GetRecord();
  change.ApplyTo(pCopy->GetRecord());
  // The row's texts stay until the device answers with its new record; the
  // status line and the row's tooltip follow the outcome meanwhile.
  CChangeLogEntry logEntry = CChangeLogEntry::Begin(old, pCopy->GetRecord());
  std::vector<platform::Ipv4Endpoint> vecSentTo;
  const int iSent = m_finder.SendConfig(pCopy->GetRecord(), &vecSentTo);
  m_apply.OnSent(pCopy->GetRecord(), m_finder.Now(), iSent >= 0, std::move(vecSentTo), std::move(logEntry));
  NoteApplyChanges();
  UpdateMarks(false);
  UpdateStatus(true);
}

CUndoLastChange CQUORINPresenter::GetUndoForSelected() {
  const CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr) return {};
  return CUndoLastChange::ForDevice(CChangeHistory::Read(CChangeLog::DefaultPath()), pCopy->GetRecord().byMAC);
}

void CQUORINPresenter::SendUndo(const CUndoLastChange& undo) {
  CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr || !undo.IsAvailable()) return;
  CChangeLog::Process().SetUndoOf(undo.ChangeId());
  SendSettings(pCopy, undo.Request());
  CChangeLog::Process().SetUndoOf({});
}

std::vector<std::string> CQUORINPresenter::GetHistoryForSelected() {
  const CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr) return {};
  return CUndoLastChange::HistoryLines(CChangeHistory::Read(CChangeLog::DefaultPath()), pCopy->GetRecord().byMAC);
}

void CQUORINPresenter::OnLaunchConfigurator() {
  const CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr || !m_fnOpenUrl) return;
  m_fnOpenUrl(ConfiguratorUrl(pCopy->GetIPAddress()));
}

void CQUORINPresenter::SetFilterText(std::string_view text) {
  CDeviceFilter next;
  next.SetText(text);
  if (next.GetText() == m_filter.GetText()) return;
  m_filter = std::move(next);
  for (auto& [key, row] : m_rows)
    if (const KESTO_RECORD* pRecord = RecordOf(key)) ApplyFilter(key, row, RowTextsOf(*pRecord));
}

void CQUORINPresenter::SelectAdapter(const std::string& sName) {
  if (!CanChooseDestinations()) return;
  KestoDestinations destinations = m_finder.GetDestinations();
  destinations.vecInterfaces.clear();
  if (!sName.empty()) destinations.vecInterfaces.push_back(sName);
  m_sAdapter = sName;
  m_finder.SetDestinations(destinations);
  UpdateAdapterNames();
}

bool CQUORINPresenter::AddTarget(const std::string& sText, std::string* psError) {
  if (!CanChooseDestinations()) {
    *psError = "The finder probes one host only (KESTO_TARGET); no other targets can be added.";
    return false;
  }
  KestoDestinations destinations = m_finder.GetDestinations();
  if (!AddTargetRange(sText, &destinations.vecUnicast, psError)) return false;
  m_finder.SetDestinations(destinations);
  return true;
}

void CQUORINPresenter::ClearTargets() {
  KestoDestinations destinations = m_finder.GetDestinations();
  destinations.vecUnicast.clear();
  m_finder.SetDestinations(destinations);
}

bool CQUORINPresenter::CanChooseDestinations() const {
  return m_finder.GetTarget().dwAddress == platform::kLimitedBroadcast;
}

CKestoInfo* CQUORINPresenter::GetSelectedRecord() {
  DeviceRowKey key = 0;
  if (!m_view.GetSelectedRow(&key)) return nullptr;
  const auto found = m_rows.find(key);
  if (found == m_rows.end() || !found->second.bShown) return nullptr;
  std::unique_ptr<CKestoInfo>& pCopy = m_copies[key];
  if (!pCopy) {
    const CKestoInfo* pEntry = m_finder.FindByKey(key);
    if (pEntry == nullptr) {
      m_copies.erase(key);
      return nullptr;
    }
    pCopy.reset(pEntry->Copy(m_finder.Now()));
  }
  return pCopy.get();
}

void CQUORINPresenter::DropPlainCopies(bool bSelected, DeviceRowKey selected) {
  std::erase_if(m_copies, [&](const auto& copy) {
    if (bSelected && copy.first == selected) return false;
    const KESTO_RECORD* pRecord = RecordOf(copy.first);
    return pRecord == nullptr || !copy.second->IsDifferent(*pRecord);
  });
}

const KESTO_RECORD* CQUORINPresenter::RecordOf(DeviceRowKey key) const {
  const CKestoInfo* pEntry = m_finder.FindByKey(key);
  return pEntry != nullptr ? &pEntry->GetRecord() : nullptr;
}

template <typename Visit>
void CQUORINPresenter::VisitRows(Visit visit) const {
  // The rows came in the order the finder's entries were listed, which is the list's own order.
  m_finder.VisitDevices([&](const CKestoInfo& entry) {
    if (!entry.bListed) return;
    const DeviceRowKey key = RowKeyOf(entry.GetRecord());
    if (const auto found = m_rows.find(key); found != m_rows.end()) visit(key, found->second, entry);
  });
}

const CKestoInfo& CQUORINPresenter::GetRow(int iIndex) const {
  // Top row first: the newest entry is the finder's last.
  std::vector<DeviceRowKey> keys;
  keys.reserve(m_rows.size());
  VisitRows([&](DeviceRowKey key, const Row&, const CKestoInfo&) { keys.push_back(key); });
  const DeviceRowKey key = keys.at(keys.size() - 1 - static_cast<size_t>(iIndex));
  if (const auto found = m_copies.find(key); found != m_copies.end()) return *found->second;
  return *m_finder.FindByKey(key);
}

int CQUORINPresenter::GetShownRowCount() const {
  int nShown = 0;
  for (const auto& entry : m_rows) nShown += entry.second.bShown ? 1 : 0;
  return nShown;
}

std::vector<ListedDevice> CQUORINPresenter::ShownDevices() const {
  std::vector<ListedDevice> devices;
  VisitRows([&](DeviceRowKey, const Row& row, const CKestoInfo& entry) {
    if (!row.bShown) return;
    ListedDevice& device = devices.emplace_back();
    device.record = entry.GetRecord();
    device.bDuplicateIP = row.bDuplicateIP;
    device.bUnreachable = row.bUnreachable;
    SetListedSenders(&device, m_finder.GetSenders(device.record.byMAC), m_finder.GetRefusedSenders(device.record.byMAC));
  });
  return devices;
}

std::string CQUORINPresenter::GetRowToolTip(const KESTO_RECORD& record) const {
  return GetRowToolTip(RowKeyOf(record));
}

std::string CQUORINPresenter::GetRowToolTip(DeviceRowKey key) const {
  const auto found = m_rows.find(key);
  return found == m_rows.end() ? std::string() : ToolTipFor(key, found->second);
}

std::string CQUORINPresenter::ConfiguratorUrl(uint32_t dwIPAddress) { return ConfigPageUrl(dwIPAddress); }
CQUORINPresenter::Row* CQUORINPresenter::FindRow(DeviceRowKey key) {
  const auto found = m_rows.find(key);
  return found == m_rows.end() ? nullptr : &found->second;
}

namespace {
// What the address check needs of a row: its MAC and the address it is counted under.
KESTO_RECORD HolderOf(DeviceRowKey key, uint32_t dwIP) {
  KESTO_RECORD record{};
  MacFromKey(key, record.byMAC);
  record.dwIPAddress = dwIP;
  return record;
}
}  // namespace

void CQUORINPresenter::InsertRow(CKestoInfo& entry) {
  const DeviceRowKey key = RowKeyOf(entry.GetRecord());
  // One row per MAC: a row left over from an entry the pass never saw go is replaced.
  if (FindRow(key) != nullptr) DeleteRow(key);
  // The new row shows the record as it is now, which is no change to show again.
  entry.bChanged = 0;
  Row& row = m_rows[key];
  row.dwIP = entry.GetIPAddress();
  const DeviceRowTexts texts = RowTextsOf(entry.GetRecord());
  row.bShown = m_filter.Matches(texts);
  m_view.InsertTopRow(key, texts, row.bShown);
  NoteAddressChange(row.dwIP, m_check.AddHolder(entry.GetRecord()));
  m_vecDirtyRows.push_back(key);
}

void CQUORINPresenter::RewriteRow(DeviceRowKey key, Row& row, const KESTO_RECORD& record) {
  if (const auto found = m_copies.find(key); found != m_copies.end()) found->second->SetRecord(record);
  const DeviceRowTexts texts = RowTextsOf(record);
  m_view.SetRowTexts(key, texts);
  ApplyFilter(key, row, texts);
  if (row.dwIP != record.dwIPAddress) {
    NoteAddressChange(row.dwIP, m_check.RemoveHolder(HolderOf(key, row.dwIP)));
    row.dwIP = record.dwIPAddress;
    NoteAddressChange(row.dwIP, m_check.AddHolder(record));
    m_vecDirtyRows.push_back(key);
  }
}

void CQUORINPresenter::DeleteRow(DeviceRowKey key) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end()) return;
  NoteAddressChange(found->second.dwIP, m_check.RemoveHolder(HolderOf(key, found->second.dwIP)));
  m_setSeveralShown.erase(key);
  m_setUnsettled.erase(key);
  m_copies.erase(key);
  m_view.DeleteRow(key);
  m_rows.erase(found);
}

void CQUORINPresenter::ApplyFilter(DeviceRowKey key, Row& row, const DeviceRowTexts& texts) {
  const bool bShown = m_filter.Matches(texts);
  if (bShown == row.bShown) return;
  row.bShown = bShown;
  m_view.SetRowShown(key, bShown);
}

bool CQUORINPresenter::RefreshInterfaces() {
  const CKestoInterfaceSnapshot& snapshot = m_finder.GetInterfaceSnapshot();
  if (snapshot.GetVersion() == m_qwInterfacesVersion) return false;
  m_qwInterfacesVersion = snapshot.GetVersion();
  UpdateAdapterNames();
  return true;
}

void CQUORINPresenter::UpdateAdapterNames() {
  std::vector<std::string> names = UsableInterfaceNames(m_finder.GetInterfaces());
  if (!m_sAdapter.empty() && std::find(names.begin(), names.end(), m_sAdapter) == names.end())
    names.push_back(m_sAdapter);
  if (names == m_vecAdapters) return;
  m_vecAdapters = std::move(names);
  m_view.SetAdapterNames(m_vecAdapters);
}

void CQUORINPresenter::NoteAddressChange(uint32_t dwIP, size_t nHolders) {
  // Only a change between one holder and two flips anyone else's flag; beyond that
  // the others stay shared and only their tooltips (built when shown) differ.
  if (nHolders == 1 || nHolders == 2) m_vecFlippedIPs.push_back(dwIP);
}

void CQUORINPresenter::UpdateMarks(bool bAll) {
  if (bAll) {
    for (auto& [key, row] : m_rows) UpdateRowMarks(key, row);
  } else {
    std::sort(m_vecFlippedIPs.begin(), m_vecFlippedIPs.end());
    m_vecFlippedIPs.erase(std::unique(m_vecFlippedIPs.begin(), m_vecFlippedIPs.end()), m_vecFlippedIPs.end());
    for (uint32_t dwIP : m_vecFlippedIPs) {
      for (const CKestoAddressCheck::MacAddress& mac : m_check.MACsWithIP(dwIP))
        if (Row* pRow = FindRow(MacKey(mac.data()))) UpdateRowMarks(MacKey(mac.data()), *pRow);
    }
    for (DeviceRowKey key : m_vecDirtyRows)
      if (Row* pRow = FindRow(key)) UpdateRowMarks(key, *pRow);
  }
  m_vecFlippedIPs.clear();
  m_vecDirtyRows.clear();
}

void CQUORINPresenter::NoteSenderChanges() {
  for (uint64_t key : m_finder.GetSeveralSenderKeys()) m_vecDirtyRows.push_back(key);
  for (DeviceRowKey key : m_setSeveralShown) m_vecDirtyRows.push_back(key);
}

void CQUORINPresenter::NoteApplyChanges() {
  for (uint64_t key : m_apply.Keys()) m_vecDirtyRows.push_back(key);
  for (DeviceRowKey key : m_setUnsettled) m_vecDirtyRows.push_back(key);
}

void CQUORINPresenter::UpdateRowMarks(DeviceRowKey key, Row& row) {
  uint8_t byMAC[6];
  MacFromKey(key, byMAC);
  row.bUnreachable = CanJudgeSubnets() && !CKestoAddressCheck::IsOnLocalSubnet(row.dwIP, m_finder.GetInterfaces());
  // The warning icon stands for a shared address or a MAC answered for from several addresses.
  const bool bWasWarning = row.bDuplicateIP || row.bSeveralSenders;
  row.bDuplicateIP = m_check.CountHolders(row.dwIP) > 1;
  row.bSeveralSenders = m_finder.GetSenders(byMAC).size() > 1 || m_finder.GetRefusedSenders(byMAC) > 0;
  if (row.bSeveralSenders)
    m_setSeveralShown.insert(key);
  else
    m_setSeveralShown.erase(key);
  const bool bUnsettled = IsRowUnsettled(key);
  if (bUnsettled)
    m_setUnsettled.insert(key);
  else
    m_setUnsettled.erase(key);
  const bool bWarning = row.bDuplicateIP || row.bSeveralSenders;
  if (bWarning == bWasWarning && bUnsettled == row.bUnsettled) return;
  row.bUnsettled = bUnsettled;
  m_view.SetRowMarks(key, bWarning);
}

void CQUORINPresenter::UpdateStatus(bool bApplyChanged) {
  const uint64_t qwRefused = m_finder.GetRefusedDevices();
  const bool bFull = m_finder.IsFull();
  const bool bBehind = m_finder.IsSweepBehind();
  // Progress of a late sweep is shown in steps of a hundred addresses, not at every datagram.
  const size_t nSweepSent = bBehind ? m_finder.GetSweepSent() / 100 : 0;
  const std::string& sLogError = CChangeLog::Process().LastError();
  if (!bApplyChanged && qwRefused == m_qwStatusRefused && bFull == m_bStatusFull && bBehind == m_bStatusBehind &&
      nSweepSent == m_nStatusSweepSent && sLogError == m_sStatusLogError)
    return;
  m_sStatusLogError = sLogError;
  m_qwStatusRefused = qwRefused;
  m_bStatusFull = bFull;
  m_bStatusBehind = bBehind;
  m_nStatusSweepSent = nSweepSent;
  std::vector<std::string> parts;
  if (std::string sApply = m_apply.StatusText(); !sApply.empty()) parts.push_back(std::move(sApply));
  if (std::string sPlan = PlanStatusText(); !sPlan.empty()) parts.push_back(std::move(sPlan));
  // Said while it lasts: whoever sends from the window sees no stderr.
  if (!sLogError.empty()) parts.push_back("Not logged (" + sLogError + "): settings are sent without the change log");
  if (qwRefused > 0) {
    const std::string sCount = std::to_string(qwRefused) + (qwRefused == 1 ? " new device" : " new devices");
    parts.push_back(bFull ? "List full (" + std::to_string(m_finder.GetMaxEntries()) + " devices): " + sCount +
                                " refused"
                          : sCount + " refused while the list was full");
  }
  if (bBehind) {
    parts.push_back("Target sweep falling behind: " + std::to_string(m_finder.GetSweepSent()) + " of " +
                    std::to_string(m_finder.GetSweepSize()) + " addresses sent in " +
                    std::to_string(m_finder.GetSweepElapsedMs() / 1000) + " s");
  }
  // The short receive buffer is said while nothing else is.
  if (parts.empty() && !m_sRoomNotice.empty()) parts.push_back(m_sRoomNotice);
  std::string sStatus;
  for (const std::string& sPart : parts) sStatus += (sStatus.empty() ? "" : "   ") + sPart;
  if (sStatus == m_sStatus) return;
  m_sStatus = std::move(sStatus);
  m_view.SetStatusText(m_sStatus);
}

std::string CQUORINPresenter::ToolTipFor(DeviceRowKey key, const Row& row) const {
  const KESTO_RECORD holder = HolderOf(key, row.dwIP);
  const uint8_t* byMAC = holder.byMAC;
  std::vector<std::string> lines;
  if (row.bDuplicateIP) {
    std::string sLine = "IP address " + FormatAddress(row.dwIP) + " is also used by ";
    const auto others = m_check.OtherMACsWithIP(holder);
    const size_t nNamed = std::min(others.size(), kMaxNamedSharers);
    for (size_t i = 0; i < nNamed; ++i) sLine += (i > 0 ? ", " : "") + FormatMAC(others[i].data());
    if (others.size() > nNamed) sLine += " (+" + std::to_string(others.size() - nNamed) + " more)";
    lines.push_back(std::move(sLine));
  }
  if (row.bSeveralSenders) {
    std::string sLine = std::string(kSeveralSendersText) + ": " + FormatSenders(m_finder.GetSenders(byMAC));
    if (const uint64_t nRefused = m_finder.GetRefusedSenders(byMAC))
      sLine += " and " + std::to_string(nRefused) + " answers from further addresses";
    lines.push_back(sLine + " (another host may be answering for this device)");
  }
  if (row.bUnreachable) lines.emplace_back(kUnreachableText);
  if (const ApplyState* pState = m_apply.Find(byMAC)) {
    std::string sLine = std::string("Settings ") + ApplyStateText(*pState);
    // With several addresses sent to, say which ones still owe the answer.
    if (*pState == ApplyState::kNotConfirmed || *pState == ApplyState::kSent) {
      const auto unconfirmed = m_apply.Unconfirmed(byMAC);
      if (const std::string sReason = m_apply.Reason(byMAC); !sReason.empty() && row.bSeveralSenders)
        sLine += ": " + sReason;
      else if (!unconfirmed.empty() && row.bSeveralSenders)
        sLine += " (not shown by " + FormatEndpoints(unconfirmed) + ")";
    }
    lines.push_back(std::move(sLine));
  } else if (const ReportLine* pLine = m_pPlan ? m_pPlan->Find(key) : nullptr) {
    std::string sLine = "Plan: ";
    if (m_pPlan->IsWaiting(key)) sLine += "waiting for the device to show its new settings";
    else sLine += DeviceOutcomeText(pLine->outcome);
    if (!pLine->sReason.empty()) sLine += ": " + pLine->sReason;
    lines.push_back(std::move(sLine));
  }
  std::string sToolTip;
  for (const std::string& sLine : lines) sToolTip += (sToolTip.empty() ? "" : "\n") + sLine;
  return sToolTip;
}

void CQUORINPresenter::ClearApplyOutcomes() {
  m_apply.Clear();
  m_sPlanRefusal.clear();
  if (m_pPlan && m_pPlan->IsDone()) {
    for (uint64_t key : m_pPlan->Keys()) m_vecDirtyRows.push_back(key);
    m_pPlan.reset();
  }
  NoteApplyChanges();
  UpdateMarks(false);
  UpdateStatus(true);
}
