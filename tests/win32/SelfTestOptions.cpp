#include "tests/win32/SelfTestOptions.h"

#include <charconv>
#include <string_view>

#include "discovery/KestoRecord.h"

namespace {

bool ParseNumber(std::string_view text, uint32_t uMax, uint32_t* puValue) {
  uint32_t uValue = 0;
  const auto [pEnd, ec] = std::from_chars(text.data(), text.data() + text.size(), uValue);
  if (text.empty() || ec != std::errc() || pEnd != text.data() + text.size() || uValue == 0 || uValue > uMax)
    return false;
  *puValue = uValue;
  return true;
}

}  // namespace

bool ParseSelfTestOptions(int argc, char** argv, SelfTestOptions* pOptions, std::string* psError) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const size_t nEquals = arg.find('=');
    const std::string_view name = arg.substr(0, nEquals);
    const std::string_view value = nEquals == std::string_view::npos ? std::string_view() : arg.substr(nEquals + 1);
    uint32_t uNumber = 0;
    if (name == "--self-test" && !value.empty()) {
      pOptions->sReport = value;
    } else if (name == "--expect" && ParseNumber(value, 100000, &uNumber)) {
      pOptions->nExpect = static_cast<int>(uNumber);
    } else if (name == "--timeout" && ParseNumber(value, 600000, &uNumber)) {
      pOptions->dwTimeoutMs = uNumber;
    } else if (name == "--screenshot" && !value.empty()) {
      pOptions->sMainShot = value;
    } else if (name == "--config-screenshot" && !value.empty()) {
      pOptions->sConfigShot = value;
    } else if (name == "--set-ip" && ParseAddress(value, &pOptions->dwSetIP)) {
      pOptions->bSetIP = true;
    } else if (arg == "--share-ip") {
      pOptions->bShareIP = true;
    } else if (name == "--filter" && !value.empty()) {
      pOptions->sFilter = value;
    } else if (name == "--more-screenshots" && !value.empty()) {
      pOptions->sMoreShots = value;
    } else {
      *psError = "unknown or incomplete argument \"" + std::string(arg) + "\"";
      return false;
    }
  }
  if (!pOptions->IsOn() && (!pOptions->sMainShot.empty() || !pOptions->sConfigShot.empty() || pOptions->bSetIP ||
                              pOptions->bShareIP || !pOptions->sFilter.empty() || !pOptions->sMoreShots.empty())) {
    *psError = "--screenshot, --config-screenshot, --more-screenshots, --set-ip, --share-ip and --filter need --self-test=FILE";
    return false;
  }
  return true;
}
