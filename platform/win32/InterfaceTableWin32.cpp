#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <string>
#include <vector>

#include "platform/InterfaceTable.h"

namespace platform {

namespace {

std::string Utf8FromWide(const wchar_t* pszWide) {
  if (pszWide == nullptr || *pszWide == L'\0') return {};
  const int nBytes = WideCharToMultiByte(CP_UTF8, 0, pszWide, -1, nullptr, 0, nullptr, nullptr);
  if (nBytes <= 1) return {};
  std::string sText(static_cast<size_t>(nBytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, pszWide, -1, sText.data(), nBytes, nullptr, nullptr);
  sText.resize(static_cast<size_t>(nBytes - 1));
  return sText;
}

uint32_t MaskFromPrefix(unsigned iPrefix) {
  if (iPrefix == 0) return 0;
  if (iPrefix >= 32) return 0xFFFFFFFFu;
  return 0xFFFFFFFFu << (32 - iPrefix);
}

}  // namespace

bool ReadInterfaces(std::vector<NetInterface>* pList) {
  // The size the list needs may grow between calls when an adapter arrives; try a few times.
  const ULONG ulFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG ulSize = 16 * 1024;
  std::vector<unsigned char> byBuffer;
  ULONG ulResult = ERROR_BUFFER_OVERFLOW;
  for (int iTry = 0; iTry < 4 && ulResult == ERROR_BUFFER_OVERFLOW; ++iTry) {
    byBuffer.assign(ulSize, 0);
    ulResult = GetAdaptersAddresses(AF_INET, ulFlags, nullptr,
                                    reinterpret_cast<IP_ADAPTER_ADDRESSES*>(byBuffer.data()), &ulSize);
  }
  if (ulResult == ERROR_NO_DATA) {
    pList->clear();
    return true;
  }
  if (ulResult != NO_ERROR) return false;
  pList->clear();
  for (auto* pAdapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(byBuffer.data()); pAdapter != nullptr;
       pAdapter = pAdapter->Next) {
    const bool bLoopback = pAdapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
    for (auto* pUnicast = pAdapter->FirstUnicastAddress; pUnicast != nullptr; pUnicast = pUnicast->Next) {
      const sockaddr* pAddress = pUnicast->Address.lpSockaddr;
      if (pAddress == nullptr || pAddress->sa_family != AF_INET) continue;
      NetInterface entry;
      entry.sName = Utf8FromWide(pAdapter->FriendlyName);
      entry.dwAddress = ntohl(reinterpret_cast<const sockaddr_in*>(pAddress)->sin_addr.s_addr);
      entry.dwMask = MaskFromPrefix(pUnicast->OnLinkPrefixLength);
      entry.bUp = pAdapter->OperStatus == IfOperStatusUp;
      entry.bLoopback = bLoopback;
      // Windows has no per-adapter broadcast flag; point-to-point and loopback links lack one.
      entry.bBroadcast = !bLoopback && pAdapter->IfType != IF_TYPE_PPP && pAdapter->IfType != IF_TYPE_TUNNEL;
      if (entry.bBroadcast) entry.dwBroadcast = entry.dwAddress | ~entry.dwMask;
      pList->push_back(std::move(entry));
    }
  }
  return true;
}

}  // namespace platform
