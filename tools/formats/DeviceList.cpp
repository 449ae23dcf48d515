#include "tools/formats/DeviceList.h"

#include "tools/formats/DeviceCsv.h"
#include "tools/formats/DeviceJson.h"

std::string DevicesToCsv(const std::vector<ListedDevice>& devices, bool bForTerminal) {
  std::string sText = DeviceCsvHeader();
  for (const ListedDevice& device : devices)
    sText += DeviceToCsvRow(device.record, device.bDuplicateIP, bForTerminal);
  return sText;
}

std::string DevicesToJson(const std::vector<ListedDevice>& devices) {
  DeviceJson array = DeviceJson::array();
  for (const ListedDevice& device : devices) {
    DeviceJson object = DeviceToJson(device.record, device.bDuplicateIP);
    if (device.bUnreachable) object["reachable"] = false;
    array.push_back(std::move(object));
  }
  return array.dump(2, ' ', true) + "\n";
}
