#include "app/logic/DeviceExport.h"

#include <algorithm>
#include <cctype>

#include "tools/formats/DeviceCsv.h"
#include "tools/formats/DeviceJson.h"

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
  if (format == ExportFormat::kCsv) {
    std::string sText = DeviceCsvHeader();
    for (const ListedDevice& device : devices) sText += DeviceToCsvRow(device.record, device.bDuplicateIP);
    return sText;
  }
  DeviceJson array = DeviceJson::array();
  for (const ListedDevice& device : devices) {
    DeviceJson object = DeviceToJson(device.record, device.bDuplicateIP);
    if (device.bUnreachable) object["reachable"] = false;
    array.push_back(std::move(object));
  }
  return array.dump(2) + "\n";
}
