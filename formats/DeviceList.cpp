#include "formats/DeviceList.h"

#include "formats/DeviceCsv.h"
#include "formats/DeviceJson.h"

std::string DevicesToCsv(const std::vector<ListedDevice>& devices, bool bForTerminal) {
  std::string sText = DeviceCsvHeader();
  for (const ListedDevice& device : devices)
    sText += DeviceToCsvRow(device.record, device.bDuplicateIP, bForTerminal);
  return sText;
}

void SetListedSenders(ListedDevice* pDevice, const std::vector<KestoSender>& senders, uint64_t nRefused) {
  pDevice->vecSenders.clear();
  for (const KestoSender& sender : senders) pDevice->vecSenders.push_back(FormatEndpoint(sender.endpoint));
  pDevice->bSeveralSenders = senders.size() > 1 || nRefused > 0;
}

void AddSenders(DeviceJson& object, const ListedDevice& device) {
  object["senders"] = device.vecSenders;
  if (device.bSeveralSenders) object["several_senders"] = true;
}

std::string DevicesToJson(const std::vector<ListedDevice>& devices) {
  DeviceJson array = DeviceJson::array();
  for (const ListedDevice& device : devices) {
    DeviceJson object = DeviceToJson(device.record, device.bDuplicateIP);
    if (device.bUnreachable) object["reachable"] = false;
    AddSenders(object, device);
    array.push_back(std::move(object));
  }
  return AsciiJson(array, 2) + "\n";
}
