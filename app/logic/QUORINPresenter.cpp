#include "app/logic/QUORINPresenter.h"

#include <algorithm>
#include <iterator>
#include <utility>

CQUORINPresenter::CQUORINPresenter(CKestoFinder& finder, IDeviceListView& view, RunDialog fnRunDialog,
                                   OpenUrl fnOpenUrl, ReadInterfaces fnReadInterfaces)
    : m_finder(finder),
      m_view(view),
      m_fnRunDialog(std::move(fnRunDialog)),
      m_fnOpenUrl(std::move(fnOpenUrl)),
      m_fnReadInterfaces(std::move(fnReadInterfaces)) {}

void CQUORINPresenter::PollDevices() {
  m_finder.Poll();

  // One tick for the whole pass: the rows and the finder must agree on which
  // entries expired, or a device could lose its entry but keep its row.
  const uint32_t dwNow = m_finder.Now();
  // Sweeps of single addresses come round more slowly than a probe, so the
  // finder may keep entries longer; the rows go by the same limit.
  const uint32_t dwAgeLimit = m_finder.GetAgeLimitMs();
  bool bRowsChanged = false;
  const CZNObList& devices = m_finder.GetDevices();
  for (ZNPOSITION pos = devices.GetHeadPosition(); pos != nullptr;) {
    auto* pEntry = static_cast<CKestoInfo*>(devices.GetNext(pos));
    if (!pEntry->bListed) {
      pEntry->bListed = 1;
      InsertRow(*pEntry);
      bRowsChanged = true;
    }
    if (pEntry->bChanged) {
      // An edited copy that the device then applied equals the entry, yet the
      // texts still show the old record: either difference rewrites the row.
      Row* pRow = FindRow(*pEntry);
      if (pRow && (pRow->pCopy->IsDifferent(pEntry->GetRecord()) || !(pRow->shown == pEntry->GetRecord()))) {
        pRow->pCopy->SetRecord(pEntry->GetRecord());
        pRow->shown = pEntry->GetRecord();
        pRow->texts = RowTexts(*pRow->pCopy);
        m_view.SetRowTexts(pRow->key, pRow->texts);
        ApplyFilter(*pRow);
        bRowsChanged = true;
      }
    }
    if (pEntry->IsAged(dwNow, dwAgeLimit)) {
      if (Row* pRow = FindRow(*pEntry)) {
        DeleteRow(pRow);
        bRowsChanged = true;
      }
    }
  }
  m_finder.RemoveAged(dwNow, dwAgeLimit);

  const bool bInterfacesChanged = RefreshInterfaces(dwNow);
  const bool bApplyChanged = m_apply.Update(m_finder, dwNow);
  if (bRowsChanged || bInterfacesChanged) m_check.Rebuild(m_finder.GetDevices());
  if (bRowsChanged || bInterfacesChanged || bApplyChanged) RefreshMarks();
}

void CQUORINPresenter::PollWhileModal() { m_finder.Poll(); }

void CQUORINPresenter::OnBasicConfig() {
  CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr || !m_fnRunDialog) return;
  CConfigKestoModel model(*pCopy);
  if (!m_fnRunDialog(model) || !model.IsConfirmed()) return;
  CConfigKestoModel::WriteValues(model.GetValues(), pCopy->GetRecord());
  // The row's texts stay until the device answers with its new record; the
  // status line and the row's tooltip follow the outcome meanwhile.
  const int iSent = m_finder.SendConfig(pCopy->GetRecord());
  m_apply.OnSent(pCopy->GetRecord(), m_finder.Now(), iSent >= 0);
  RefreshMarks();
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
  for (Row& row : m_rows) ApplyFilter(row);
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
  const auto found = m_rowByKey.find(key);
  if (found == m_rowByKey.end() || !found->second->bShown) return nullptr;
  return found->second->pCopy.get();
}

const CKestoInfo& CQUORINPresenter::GetRow(int iIndex) const { return *std::next(m_rows.begin(), iIndex)->pCopy; }

int CQUORINPresenter::GetShownRowCount() const {
  int nShown = 0;
  for (const Row& row : m_rows) nShown += row.bShown ? 1 : 0;
  return nShown;
}

std::vector<ListedDevice> CQUORINPresenter::ShownDevices() const {
  std::vector<ListedDevice> devices;
  for (auto it = m_rows.rbegin(); it != m_rows.rend(); ++it)
    if (it->bShown) devices.push_back({it->shown, it->bDuplicateIP, it->bUnreachable});
  return devices;
}

std::string CQUORINPresenter::GetRowToolTip(const KESTO_RECORD& record) const {
  const auto found = m_rowByKey.find(RowKeyOf(record));
  return found == m_rowByKey.end() ? std::string() : found->second->sToolTip;
}

DeviceRowTexts CQUORINPresenter::RowTexts(const CKestoInfo& info) {
  return {info.GetName(), info.GetMACText(), info.GetIPText(), info.GetPortText(), info.GetVersion()};
}

std::string CQUORINPresenter::ConfiguratorUrl(uint32_t dwIPAddress) { return ConfigPageUrl(dwIPAddress); }
CQUORINPresenter::Row* CQUORINPresenter::FindRow(const CKestoInfo& entry) {
  const auto found = m_rowByKey.find(RowKeyOf(entry.GetRecord()));
  return found == m_rowByKey.end() ? nullptr : &*found->second;
}

void CQUORINPresenter::InsertRow(const CKestoInfo& entry) {
  // One row per MAC: a row left over from an entry the pass never saw go is replaced.
  if (Row* pOld = FindRow(entry)) DeleteRow(pOld);
  Row row;
  row.key = RowKeyOf(entry.GetRecord());
  row.pCopy.reset(entry.Copy(m_finder.Now()));
  row.shown = entry.GetRecord();
  row.texts = RowTexts(*row.pCopy);
  row.bShown = m_filter.Matches(row.texts);
  m_rows.push_front(std::move(row));
  m_rowByKey[m_rows.front().key] = m_rows.begin();
  m_view.InsertTopRow(m_rows.front().key, m_rows.front().texts, m_rows.front().bShown);
}

void CQUORINPresenter::DeleteRow(Row* pRow) {
  const auto found = m_rowByKey.find(pRow->key);
  if (found == m_rowByKey.end()) return;
  m_view.DeleteRow(pRow->key);
  m_rows.erase(found->second);
  m_rowByKey.erase(found);
}

void CQUORINPresenter::ApplyFilter(Row& row) {
  const bool bShown = m_filter.Matches(row.texts);
  if (bShown == row.bShown) return;
  row.bShown = bShown;
  m_view.SetRowShown(row.key, bShown);
}

bool CQUORINPresenter::RefreshInterfaces(uint32_t dwNow) {
  if (!m_fnReadInterfaces) return false;
  if (m_bInterfacesTried && static_cast<uint32_t>(dwNow - m_dwInterfacesRead) < kInterfaceReadMs) return false;
  m_bInterfacesTried = true;
  m_dwInterfacesRead = dwNow;
  std::vector<platform::NetInterface> table;
  const bool bKnown = m_fnReadInterfaces(&table);
  if (!bKnown) table.clear();
  if (bKnown == m_bInterfacesKnown && table == m_vecInterfaces) return false;
  m_bInterfacesKnown = bKnown;
  m_vecInterfaces = std::move(table);
  UpdateAdapterNames();
  return true;
}

void CQUORINPresenter::UpdateAdapterNames() {
  std::vector<std::string> names = UsableInterfaceNames(m_vecInterfaces);
  if (!m_sAdapter.empty() && std::find(names.begin(), names.end(), m_sAdapter) == names.end())
    names.push_back(m_sAdapter);
  if (names == m_vecAdapters) return;
  m_vecAdapters = std::move(names);
  m_view.SetAdapterNames(m_vecAdapters);
}

void CQUORINPresenter::RefreshMarks() {
  for (Row& row : m_rows) {
    const bool bWasDuplicateIP = row.bDuplicateIP;
    row.bDuplicateIP = m_check.IsDuplicateIP(row.shown);
    row.bUnreachable = CanJudgeSubnets() && !CKestoAddressCheck::IsOnLocalSubnet(row.shown.dwIPAddress, m_vecInterfaces);
    std::string sToolTip = ToolTipFor(row);
    // The warning icon stands for a shared address.
    if (row.bDuplicateIP != bWasDuplicateIP || sToolTip != row.sToolTip) {
      row.sToolTip = std::move(sToolTip);
      m_view.SetRowMarks(row.key, row.bDuplicateIP, row.sToolTip);
    }
  }
  std::string sStatus = m_apply.StatusText();
  if (sStatus != m_sStatus) {
    m_sStatus = std::move(sStatus);
    m_view.SetStatusText(m_sStatus);
  }
}

std::string CQUORINPresenter::ToolTipFor(const Row& row) const {
  std::vector<std::string> lines;
  if (row.bDuplicateIP) {
    std::string sLine = "IP address " + FormatAddress(row.shown.dwIPAddress) + " is also used by ";
    const auto others = m_check.OtherMACsWithIP(row.shown);
    for (size_t i = 0; i < others.size(); ++i) sLine += (i > 0 ? ", " : "") + FormatMAC(others[i].data());
    lines.push_back(std::move(sLine));
  }
  if (row.bUnreachable) lines.emplace_back(kUnreachableText);
  if (const ApplyState* pState = m_apply.Find(row.shown.byMAC))
    lines.push_back(std::string("Settings ") + ApplyStateText(*pState));
  std::string sToolTip;
  for (const std::string& sLine : lines) sToolTip += (sToolTip.empty() ? "" : "\n") + sLine;
  return sToolTip;
}

void CQUORINPresenter::ClearApplyOutcomes() {
  m_apply.Clear();
  RefreshMarks();
}
