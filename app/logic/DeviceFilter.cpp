#include "app/logic/DeviceFilter.h"

#include <algorithm>

namespace {

// ASCII only: record texts are 8-bit and other bytes are compared as they are.
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void CDeviceFilter::SetText(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  m_sNeedle.assign(text);
  std::transform(m_sNeedle.begin(), m_sNeedle.end(), m_sNeedle.begin(), LowerAscii);
}

bool CDeviceFilter::Contains(std::string_view haystack) const {
  if (m_sNeedle.size() > haystack.size()) return false;
  const auto found = std::search(haystack.begin(), haystack.end(), m_sNeedle.begin(), m_sNeedle.end(),
                                 [](char a, char b) { return LowerAscii(a) == b; });
  return found != haystack.end();
}

bool CDeviceFilter::Matches(const DeviceRowTexts& texts) const {
  if (m_sNeedle.empty()) return true;
  const std::string& sMAC = texts[1];
  if (Contains(texts[0]) || Contains(sMAC) || Contains(texts[2]) || Contains(texts[4])) return true;
  std::string sBareMAC;
  sBareMAC.reserve(sMAC.size());
  for (char c : sMAC)
    if (c != '-' && c != ':') sBareMAC += c;
  return Contains(sBareMAC);
}
