#include "app/logic/QUORINPresenter.h"

#include <utility>

CQUORINPresenter::CQUORINPresenter(CKestoFinder& finder, IDeviceListView& view, RunDialog fnRunDialog,
                                   OpenUrl fnOpenUrl)
    : m_finder(finder), m_view(view), m_fnRunDialog(std::move(fnRunDialog)), m_fnOpenUrl(std::move(fnOpenUrl)) {}

void CQUORINPresenter::PollDevices() {
  m_finder.Poll();

  // One tick for the whole pass: the rows and the finder must agree on which
  // entries expired, or a device could lose its entry but keep its row.
  const uint32_t dwNow = m_finder.Now();
  const CZNObList& devices = m_finder.GetDevices();
  for (ZNPOSITION pos = devices.GetHeadPosition(); pos != nullptr;) {
    auto* pEntry = static_cast<CKestoInfo*>(devices.GetNext(pos));
    if (!pEntry->bListed) {
      pEntry->bListed = 1;
      InsertRow(*pEntry);
    }
    if (pEntry->bChanged) {
      const int iRow = FindRowByMAC(*pEntry);
      // An edited copy that the device then applied equals the entry, yet the
      // texts still show the old record: either difference rewrites the row.
      Row* pRow = iRow >= 0 ? &m_rows[iRow] : nullptr;
      if (pRow && (pRow->pCopy->IsDifferent(pEntry->GetRecord()) || !(pRow->shown == pEntry->GetRecord()))) {
        pRow->pCopy->SetRecord(pEntry->GetRecord());
        pRow->shown = pEntry->GetRecord();
        m_view.SetRowTexts(iRow, RowTexts(*pRow->pCopy));
      }
    }
    if (pEntry->IsAged(dwNow)) {
      const int iRow = FindRowByMAC(*pEntry);
      if (iRow >= 0) {
        m_view.DeleteRow(iRow);
        m_rows.erase(m_rows.begin() + iRow);
      }
    }
  }
  m_finder.RemoveAged(dwNow);
}

void CQUORINPresenter::PollWhileModal() { m_finder.Poll(); }

void CQUORINPresenter::OnBasicConfig() {
  CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr || !m_fnRunDialog) return;
  CConfigKestoModel model(*pCopy);
  if (!m_fnRunDialog(model) || !model.IsConfirmed()) return;
  CConfigKestoModel::WriteValues(model.GetValues(), pCopy->GetRecord());
  // The row's texts stay until the device answers with its new record.
  m_finder.SendConfig(pCopy->GetRecord());
}

void CQUORINPresenter::OnLaunchConfigurator() {
  const CKestoInfo* pCopy = GetSelectedRecord();
  if (pCopy == nullptr || !m_fnOpenUrl) return;
  m_fnOpenUrl(ConfiguratorUrl(pCopy->GetIPAddress()));
}

CKestoInfo* CQUORINPresenter::GetSelectedRecord() {
  const int iRow = m_view.GetSelectedRow();
  if (iRow < 0 || iRow >= GetRowCount()) return nullptr;
  return m_rows[iRow].pCopy.get();
}

DeviceRowTexts CQUORINPresenter::RowTexts(const CKestoInfo& info) {
  return {info.GetName(), info.GetMACText(), info.GetIPText(), info.GetPortText(), info.GetVersion()};
}

std::string CQUORINPresenter::ConfiguratorUrl(uint32_t dwIPAddress) {
  return "http://" + CKestoInfo::FormatAddress(dwIPAddress) + "/config.htm";
}

int CQUORINPresenter::FindRowByMAC(const CKestoInfo& entry) const {
  const int nRows = GetRowCount();
  for (int i = 0; i < nRows; ++i) {
    if (m_rows[i].pCopy->IsSameMAC(entry.GetRecord())) return i;
  }
  return -1;
}

void CQUORINPresenter::InsertRow(const CKestoInfo& entry) {
  m_rows.insert(m_rows.begin(), Row{std::unique_ptr<CKestoInfo>(entry.Copy(m_finder.Now())), entry.GetRecord()});
  m_view.InsertRow(0, RowTexts(*m_rows.front().pCopy));
}
