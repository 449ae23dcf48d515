#include "plan/PlanPreview.h"

#include <unordered_map>
#include <unordered_set>

#include "discovery/KestoAddressCheck.h"
#include "plan/ConfigAddressCheck.h"
#include "formats/TerminalText.h"

namespace {

std::string NameText(const std::string& sLatin1) { return QuotedTerminalText(sLatin1); }

std::string Plural(size_t n, const char* pszOne, const char* pszMany) {
  return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

std::string TypeValueText(int8_t cType) {
  const std::string_view name = TypeText(cType);
  return name.empty() ? std::to_string(cType) : std::string(name);
}

std::string ProtocolValueText(int16_t shProtocol) {
  const bool bDialogCode = shProtocol == kProtocolRS232 || shProtocol == kProtocolRS485;
  return bDialogCode ? std::string(ProtocolText(shProtocol)) : std::to_string(shProtocol);
}

std::string BaudValueText(uint16_t wBaud) { return std::to_string(BaudFromWire(wBaud)); }

template <typename T, typename Text>
void Compare(const char* pszField, const std::optional<T>& planned, T current, Text text, std::optional<T>* pChange,
             std::vector<FieldChange>* pChanges) {
  if (!planned || *planned == current) return;
  *pChange = planned;
  pChanges->push_back({pszField, text(current), text(*planned)});
}

PreviewDevice Preview(const PlanEntry& entry, const KESTO_RECORD* pRecord) {
  PreviewDevice device;
  device.mac = entry.mac;
  if (pRecord == nullptr) return device;
  device.bFound = true;
  device.current = *pRecord;
  const CKestoSettingsChange& want = entry.request;
  CKestoSettingsChange& change = device.change;
  auto* pChanges = &device.changes;
  const KESTO_RECORD& now = *pRecord;
  auto same = [](const std::string& s) { return s; };
  Compare("name", want.sName, FieldText(now.szName, sizeof now.szName), same, &change.sName, pChanges);
  Compare("ip", want.dwIPAddress, now.dwIPAddress, FormatAddress, &change.dwIPAddress, pChanges);
  Compare("netmask", want.dwNetMask, now.dwNetMask, FormatAddress, &change.dwNetMask, pChanges);
  Compare("gateway", want.dwGateway, now.dwGateway, FormatAddress, &change.dwGateway, pChanges);
  Compare("dns", want.dwDNS, now.dwDNS, FormatAddress, &change.dwDNS, pChanges);
  Compare("type", want.cType, now.cType, TypeValueText, &change.cType, pChanges);
  // The list shows every code but 0 as RS485, so RS485 asks for no change from such a code.
  if (!(want.shProtocol == 1 && now.shProtocol != 0))
    Compare("protocol", want.shProtocol, now.shProtocol, ProtocolValueText, &change.shProtocol, pChanges);
  Compare("baud", want.wBaudRate, now.wBaudRate, BaudValueText, &change.wBaudRate, pChanges);
  for (const auto& [sField, sMessage] : entry.outsideChoices)
    for (const FieldChange& fieldChange : device.changes)
      if (fieldChange.sField == sField)
        device.errors.push_back("row " + std::to_string(entry.nRow) + ": " + sMessage + " (" +
                                FormatMAC(entry.mac.data()) + " holds " + fieldChange.sOld + ")");
  if (change.dwIPAddress || change.dwNetMask || change.dwGateway) {
    KESTO_RECORD after = now;
    change.ApplyTo(after);
    // Shared addresses are judged over the whole plan (PlanMakesSharedIP), not here.
    const CConfigAddressCheck::Result check = CConfigAddressCheck::Check(
        {after.dwIPAddress, after.dwNetMask, after.dwGateway},
        CConfigAddressCheck::Addresses{now.dwIPAddress, now.dwNetMask, now.dwGateway}, {});
    device.sAddressProblem = check.sText;
  }
  return device;
}

}  // namespace

std::vector<std::string> PlanPreview::Errors() const {
  std::vector<std::string> all;
  for (const PreviewDevice& device : devices) all.insert(all.end(), device.errors.begin(), device.errors.end());
  return all;
}

std::vector<std::string> PlanPreview::AddressProblems() const {
  std::vector<std::string> problems;
  for (const PreviewDevice& device : devices)
    if (!device.sAddressProblem.empty()) problems.push_back(FormatMAC(device.mac.data()) + ": " + device.sAddressProblem);
  return problems;
}

size_t PlanPreview::CountChanged() const {
  size_t n = 0;
  for (const PreviewDevice& device : devices) n += device.HasChanges() ? 1 : 0;
  return n;
}

size_t PlanPreview::CountNotFound() const {
  size_t n = 0;
  for (const PreviewDevice& device : devices) n += device.bFound ? 0 : 1;
  return n;
}

PlanPreview PreviewPlan(const DevicePlan& plan, const std::vector<KESTO_RECORD>& records) {
  std::unordered_map<uint64_t, size_t> indexByMAC;
  for (size_t i = 0; i < records.size(); ++i) indexByMAC.emplace(MacKey(records[i].byMAC), i);
  PlanPreview preview;
  std::vector<KESTO_RECORD> after = records;
  for (const PlanEntry& entry : plan.entries) {
    const auto found = indexByMAC.find(MacKey(entry.mac.data()));
    preview.devices.push_back(Preview(entry, found == indexByMAC.end() ? nullptr : &records[found->second]));
    if (found != indexByMAC.end()) preview.devices.back().change.ApplyTo(after[found->second]);
  }
  CKestoAddressCheck check;
  check.Rebuild(after);
  for (uint32_t dwIP : check.GetSharedIPs()) preview.shared.push_back({dwIP, check.MACsWithIP(dwIP)});
  return preview;
}

bool PlanMakesSharedIP(const PlanPreview& preview) {
  std::unordered_set<uint64_t> readdressed;
  for (const PreviewDevice& device : preview.devices)
    if (device.change.dwIPAddress) readdressed.insert(MacKey(device.mac.data()));
  for (const PlanPreview::SharedIP& shared : preview.shared)
    for (const auto& mac : shared.macs)
      if (readdressed.count(MacKey(mac.data())) > 0) return true;
  return false;
}

std::string FormatPreview(const PlanPreview& preview) {
  std::string sText;
  // The changes first, so one among many unchanged devices is not buried.
  for (const PreviewDevice& device : preview.devices) {
    if (!device.HasChanges()) continue;
    sText += FormatMAC(device.mac.data()) + "  ";
    for (size_t i = 0; i < device.changes.size(); ++i) {
      const FieldChange& change = device.changes[i];
      const bool bName = change.sField == "name";
      sText += (i > 0 ? ", " : "") + change.sField + ": " + (bName ? NameText(change.sOld) : change.sOld) + " -> " +
               (bName ? NameText(change.sNew) : change.sNew);
    }
    sText += "\n";
  }
  for (const PreviewDevice& device : preview.devices)
    if (!device.bFound) sText += FormatMAC(device.mac.data()) + "  not found (no answer)\n";
  for (const std::string& sProblem : preview.AddressProblems()) sText += "warning: " + sProblem + "\n";
  for (const PlanPreview::SharedIP& shared : preview.shared) {
    sText += "warning: " + FormatAddress(shared.dwIP) + " would be held by more than one device:";
    for (const auto& mac : shared.macs) sText += " " + FormatMAC(mac.data());
    sText += "\n";
  }
  const size_t nChanged = preview.CountChanged(), nNotFound = preview.CountNotFound();
  const size_t nUnchanged = preview.devices.size() - nChanged - nNotFound;
  if (nChanged == 0)
    sText += "nothing to change: " + Plural(nUnchanged, "device already holds", "devices already hold") +
             " these settings";
  else
    sText += std::to_string(nChanged) + " to change, " + std::to_string(nUnchanged) + " unchanged" +
             (nUnchanged > 0 ? " (not shown)" : "");
  sText += ", " + std::to_string(nNotFound) + " not found\n";
  return sText;
}

DeviceJson PreviewToJson(const PlanPreview& preview) {
  DeviceJson devices = DeviceJson::array();
  for (const PreviewDevice& device : preview.devices) {
    DeviceJson object = {{"mac", FormatMAC(device.mac.data())},
                         {"state", !device.bFound ? "not found" : device.HasChanges() ? "change" : "unchanged"}};
    if (!device.sAddressProblem.empty()) object["address_problem"] = device.sAddressProblem;
    if (device.HasChanges()) {
      DeviceJson changes = DeviceJson::object();
      for (const FieldChange& change : device.changes) changes[change.sField] = {Latin1ToUtf8(change.sOld), Latin1ToUtf8(change.sNew)};
      object["changes"] = std::move(changes);
    }
    devices.push_back(std::move(object));
  }
  DeviceJson shared = DeviceJson::array();
  for (const PlanPreview::SharedIP& entry : preview.shared) {
    DeviceJson macs = DeviceJson::array();
    for (const auto& mac : entry.macs) macs.push_back(FormatMAC(mac.data()));
    shared.push_back({{"ip", FormatAddress(entry.dwIP)}, {"macs", std::move(macs)}});
  }
  return {{"devices", std::move(devices)},
          {"shared_ip", std::move(shared)},
          {"changed", preview.CountChanged()},
          {"not_found", preview.CountNotFound()}};
}
