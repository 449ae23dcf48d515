#include "discovery/KestoRecord.h"

#include <cstdio>
#include <cstring>

void SetRecordName(KESTO_RECORD& record, std::string_view name) {
  std::memset(record.szName, 0, sizeof record.szName);
  std::memcpy(record.szName, name.data(), name.size() < KESTO_NAME_MAX ? name.size() : KESTO_NAME_MAX);
}

std::string FieldText(const char* pField, size_t nSize) {
  const void* pNul = std::memchr(pField, 0, nSize);
  size_t n = pNul ? static_cast<size_t>(static_cast<const char*>(pNul) - pField) : nSize;
  return std::string(pField, n);
}

std::string FormatAddress(uint32_t dwAddress) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (dwAddress >> 24) & 255u, (dwAddress >> 16) & 255u,
                (dwAddress >> 8) & 255u, dwAddress & 255u);
  return text;
}

bool ParseAddress(std::string_view text, uint32_t* pdwAddress) {
  uint32_t dwValue = 0;
  size_t i = 0;
  for (int iOctet = 0; iOctet < 4; ++iOctet) {
    if (iOctet > 0) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
    const size_t iStart = i;
    uint32_t dwNumber = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - iStart < 3) {
      dwNumber = dwNumber * 10 + static_cast<uint32_t>(text[i] - '0');
      ++i;
    }
    if (i == iStart || dwNumber > 255) return false;
    dwValue = (dwValue << 8) | dwNumber;
  }
  if (i != text.size()) return false;
  *pdwAddress = dwValue;
  return true;
}

std::string FormatMAC(const uint8_t byMAC[6]) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", byMAC[0], byMAC[1], byMAC[2], byMAC[3],
                byMAC[4], byMAC[5]);
  return text;
}

std::string FormatPort(int32_t iPort) { return iPort >= 1 ? std::to_string(iPort) : std::string("-"); }

std::string ConfigPageUrl(uint32_t dwIPAddress) { return "http://" + FormatAddress(dwIPAddress) + "/config.htm"; }
