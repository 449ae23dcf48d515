#include "app/logic/TargetList.h"

#include <algorithm>

#include "app/logic/QUORINPresenter.h"

bool CTargetList::Add(const std::string& sText, std::string* psError) {
  const size_t nFirst = sText.find_first_not_of(" \t");
  const std::string sTrimmed =
      nFirst == std::string::npos ? std::string() : sText.substr(nFirst, sText.find_last_not_of(" \t") - nFirst + 1);
  if (std::find(m_targets.begin(), m_targets.end(), sTrimmed) != m_targets.end()) return true;
  if (!m_presenter.AddTarget(sTrimmed, psError)) return false;
  m_targets.push_back(sTrimmed);
  return true;
}

void CTargetList::Remove(size_t nIndex) {
  if (nIndex >= m_targets.size()) return;
  m_targets.erase(m_targets.begin() + static_cast<std::ptrdiff_t>(nIndex));
  // The presenter keeps no list of its own to take one out of: the rest are added again.
  m_presenter.ClearTargets();
  std::string sError;
  for (const std::string& sTarget : m_targets) m_presenter.AddTarget(sTarget, &sError);
}

bool CTargetList::LeavesNothingToProbe(bool bNoUsableAdapter) const {
  return m_presenter.CanChooseDestinations() && m_presenter.AreInterfacesKnown() && bNoUsableAdapter &&
         m_targets.empty();
}

void CTargetList::Clear() {
  m_presenter.ClearTargets();
  m_targets.clear();
}

std::string CTargetList::PromptText(const std::string& sReason) {
  static const std::string kPrompt = "Address or range to probe (A.B.C.D or A.B.C.D/prefix):";
  return sReason.empty() ? kPrompt : sReason + "\n" + kPrompt;
}
