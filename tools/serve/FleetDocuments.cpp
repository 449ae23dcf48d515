#include "tools/serve/FleetDocuments.h"

#include <unordered_map>
#include <vector>

#include "discovery/KestoName.h"
#include "discovery/KestoSender.h"
#include "formats/DeviceList.h"

namespace {

std::unordered_map<uint32_t, int> ClaimantsOfUp(const CFleetTable& table) {
  std::unordered_map<uint32_t, int> claimants;
  table.ForEach([&](const FleetDevice& device) {
    if (device.bUp) ++claimants[device.record.dwIPAddress];
  });
  return claimants;
}

std::string Field(const char* pField, size_t nSize) { return FieldText(pField, nSize); }

}  // namespace

std::string HtmlText(std::string_view bytes) {
  const std::string sUtf8 = Latin1ToUtf8(bytes);
  std::string sOut;
  sOut.reserve(sUtf8.size());
  for (char c : sUtf8) {
    switch (c) {
      case '&': sOut += "&amp;"; break;
      case '<': sOut += "&lt;"; break;
      case '>': sOut += "&gt;"; break;
      case '"': sOut += "&quot;"; break;
      case '\'': sOut += "&#39;"; break;
      default: sOut += c;
    }
  }
  return sOut;
}

std::string FleetDevicesJson(const CFleetTable& table) {
  const auto claimants = ClaimantsOfUp(table);
  std::vector<ListedDevice> listed;
  table.ForEach([&](const FleetDevice& device) {
    if (!device.bUp) return;
    ListedDevice& entry = listed.emplace_back();
    entry.record = device.record;
    entry.bDuplicateIP = claimants.at(device.record.dwIPAddress) > 1;
    const std::vector<platform::Ipv4Endpoint> senders = table.Senders(device);
    for (const platform::Ipv4Endpoint& sender : senders) entry.vecSenders.push_back(FormatEndpoint(sender));
    entry.bSeveralSenders = senders.size() > 1 || table.RefusedSenders(device) > 0;
  });
  return DevicesToJson(listed);
}

std::string FleetServiceDiscoveryJson(const CFleetTable& table) {
  DeviceJson groups = DeviceJson::array();
  table.ForEach([&](const FleetDevice& device) {
    const KESTO_RECORD& r = device.record;
    DeviceJson labels = DeviceJson::object();
    labels["__meta_kesto_mac"] = FormatMAC(r.byMAC);
    labels["__meta_kesto_name"] = Latin1ToUtf8(Field(r.szName, sizeof r.szName));
    labels["__meta_kesto_type"] = std::to_string(static_cast<int>(r.cType));
    labels["__meta_kesto_firmware"] = Latin1ToUtf8(Field(r.szVersion, sizeof r.szVersion));
    labels["__meta_kesto_up"] = device.bUp ? "1" : "0";
    groups.push_back({{"targets", {FormatAddress(r.dwIPAddress)}}, {"labels", std::move(labels)}});
  });
  // ASCII only, as the other JSON answers.
  return groups.dump(-1, ' ', true) + "\n";
}

std::string FleetPageHtml(const CFleetTable& table, std::string_view sVersion) {
  const auto claimants = ClaimantsOfUp(table);
  std::string s;
  s += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>kesto serve</title>\n"
       "<style>body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
       "td,th{border:1px solid #aaa;padding:2px 6px;text-align:left}.down{color:#a00}</style></head><body>\n";
  s += "<h1>Kesto devices</h1>\n<p>" + std::to_string(table.UpCount()) + " up, " +
       std::to_string(table.Size()) + " known. Also: <a href=\"/metrics\">/metrics</a>, "
       "<a href=\"/sd\">/sd</a>, <a href=\"/api/devices\">/api/devices</a>. Read-only: nothing here changes a "
       "device.</p>\n<table id=\"devices\"><tr><th>State</th><th>Name</th><th>MAC</th><th>IP</th><th>Firmware</th>"
       "<th>Changes</th><th>Note</th></tr>\n";
  table.ForEach([&](const FleetDevice& device) {
    const KESTO_RECORD& r = device.record;
    const bool bShared = device.bUp && claimants.at(r.dwIPAddress) > 1;
    s += device.bUp ? "<tr><td>up</td>" : "<tr class=\"down\"><td>down</td>";
    s += "<td>" + HtmlText(Field(r.szName, sizeof r.szName)) + "</td><td>" + FormatMAC(r.byMAC) + "</td><td>" +
         FormatAddress(r.dwIPAddress) + "</td><td>" + HtmlText(Field(r.szVersion, sizeof r.szVersion)) +
         "</td><td>" + std::to_string(device.qwChanges) + "</td><td>" + (bShared ? "shared address" : "") +
         "</td></tr>\n";
  });
  s += "</table>\n<p>kesto " + HtmlText(sVersion) + "</p></body></html>\n";
  return s;
}
