#include "app/logic/DeviceSortOrder.h"

#include <charconv>

void CDeviceSortOrder::Click(int iColumn) {
  if (iColumn != m_iColumn)
    Set(iColumn, true);
  else if (m_bAscending)
    m_bAscending = false;
  else
    SetNewestFirst();
}

void CDeviceSortOrder::Set(int iColumn, bool bAscending) {
  m_iColumn = iColumn < 0 ? -1 : iColumn;
  m_bAscending = bAscending;
}

bool CDeviceSortOrder::Before(const std::string& sKeyA, uint64_t nSeqA, const std::string& sKeyB,
                              uint64_t nSeqB) const {
  if (!IsNewestFirst() && sKeyA != sKeyB) return m_bAscending ? sKeyA < sKeyB : sKeyB < sKeyA;
  return nSeqA > nSeqB;
}

std::string CDeviceSortOrder::ToText() const {
  if (IsNewestFirst()) return "newest";
  return std::to_string(m_iColumn) + (m_bAscending ? " asc" : " desc");
}

bool CDeviceSortOrder::FromText(std::string_view text, int iColumns) {
  if (text == "newest") {
    SetNewestFirst();
    return true;
  }
  int iColumn = -1;
  const auto [pEnd, ec] = std::from_chars(text.data(), text.data() + text.size(), iColumn);
  if (ec != std::errc() || iColumn < 0 || iColumn >= iColumns) return false;
  const std::string_view rest(pEnd, static_cast<size_t>(text.data() + text.size() - pEnd));
  if (rest != " asc" && rest != " desc") return false;
  Set(iColumn, rest == " asc");
  return true;
}
