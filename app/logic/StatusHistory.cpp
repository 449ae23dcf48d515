#include "app/logic/StatusHistory.h"

bool CStatusHistory::Add(const std::string& sText) {
  if (sText.empty() || (!m_lines.empty() && m_lines.front() == sText)) return false;
  m_lines.push_front(sText);
  if (m_lines.size() > kMaxLines) m_lines.pop_back();
  return true;
}

std::string CStatusHistory::AllLines() const {
  std::string sText;
  for (const std::string& sLine : m_lines) sText += (sText.empty() ? "" : "\n") + sLine;
  return sText;
}
