#include "app/logic/DeviceExport.h"

#include "platform/WholeFile.h"

#include <algorithm>
#include <cctype>

#include "formats/DeviceList.h"

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char cSuffix, char c) { return std::tolower(static_cast<unsigned char>(c)) == cSuffix; });
}

}  // namespace

bool ExportFormatForPath(std::string_view path, ExportFormat* pFormat) {
  if (EndsWithNoCase(path, ".csv")) {
    *pFormat = ExportFormat::kCsv;
    return true;
  }
  if (EndsWithNoCase(path, ".json")) {
    *pFormat = ExportFormat::kJson;
    return true;
  }
  return false;
}

std::string ExportDevices(const std::vector<ListedDevice>& devices, ExportFormat format) {
  return format == ExportFormat::kCsv ? DevicesToCsv(devices) : DevicesToJson(devices);
}

bool WriteChosenFile(const std::string& sPath, const std::string& sText, std::string* psReason) {
  return platform::WriteWholeFile(sPath, sText, true, psReason) == platform::FileWriteResult::kWritten;
}
