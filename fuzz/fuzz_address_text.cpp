// Feeds fuzzer-chosen texts, without a terminator, to the address text parser and
// checks that it changes only separators, and only into blanks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "COMMON/ZNAddressText.h"

namespace {

void Check(bool bCondition) {
  if (!bCondition) std::abort();
}

bool IsSeparator(char c) { return c == '.' || c == ':' || c == '\r' || c == '\n'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  if (nSize < 1) return 0;
  // The first byte picks the marker and whether a port is asked for.
  const uint8_t byMode = pData[0];
  const char* pszMarker = (byMode & 1) != 0 ? "IP=" : "";
  const bool bPort = (byMode & 2) != 0;
  const size_t nText = nSize - 1;
  // Exactly the text's room, so any access beyond it trips the sanitizer.
  auto pText = std::make_unique<char[]>(nText == 0 ? 1 : nText);
  std::memcpy(pText.get(), pData + 1, nText);
  uint8_t by[4] = {};
  int32_t iPort = 0;
  (void)IsAddressText(std::string_view(pText.get(), nText));
  ParseAddressText(pText.get(), nText, pszMarker, &by[0], &by[1], &by[2], &by[3], bPort ? &iPort : nullptr);
  for (size_t i = 0; i < nText; ++i) {
    const char cBefore = static_cast<char>(pData[1 + i]);
    if (pText[i] != cBefore) Check(IsSeparator(cBefore) && pText[i] == ' ');
  }
  return 0;
}
