#include "app/logic/ConfigKestoModel.h"

#include <algorithm>

#include "discovery/KestoName.h"
#include "discovery/KestoRecordRules.h"

namespace {

// The list entry a type code selects; a type-1 device's one entry stands for Master.
int TypeIndexFor(int iType) {
  if (iType == kTypeSolvane) iType = kTypeMaster;
  const auto found = std::find(kDialogTypes.begin(), kDialogTypes.end(), iType);
  return found == kDialogTypes.end() ? -1 : static_cast<int>(found - kDialogTypes.begin());
}

}  // namespace

CConfigKestoModel::CConfigKestoModel(const CKestoInfo& record)
    : m_iRecordType(record.GetRecord().cType), m_wRecordBaud(record.GetRecord().wBaudRate) {
  m_dwAddress[kIPAddress] = record.GetIPAddress();
  m_dwAddress[kNetMask] = record.GetNetMask();
  m_dwAddress[kGateway] = record.GetGateway();
  m_dwAddress[kDNS] = record.GetDNS();
  m_recordAddresses = {record.GetIPAddress(), record.GetNetMask(), record.GetGateway()};

  if (m_iRecordType == kTypeSolvane)
    m_typeItems = {std::string(TypeText(kTypeSolvane))};
  else
    for (int8_t cType : kDialogTypes) m_typeItems.emplace_back(TypeText(cType));
  m_iType = TypeIndexFor(m_iRecordType);

  m_sRecordName = RecordNameBytes(record.GetRecord());
  m_sName = m_sRecordName;

  m_shRecordProtocol = record.GetRecord().shProtocol;
  m_iProtocolSelection = m_shRecordProtocol != kProtocolRS232 ? 1 : 0;
  m_iRecordProtocolSelection = m_iProtocolSelection;

  // The rates are compared as the field holds them, which is how 49664 finds "115200".
  for (size_t i = 0; i < kDialogBaudRates.size() && m_iBaudSelection < 0; ++i)
    if (BaudToWire(kDialogBaudRates[i]) == m_wRecordBaud) m_iBaudSelection = static_cast<int>(i);
}

bool CConfigKestoModel::SetName(std::string_view text, std::string* psError) {
  std::string sBytes;
  if (!NameFromText(text, m_sRecordName, &sBytes, psError)) return false;
  m_sName = std::move(sBytes);
  return true;
}

std::string CConfigKestoModel::GetNameText() const { return Latin1ToUtf8(m_sName); }

size_t CConfigKestoModel::GetNameLimit() const { return std::max(KESTO_NAME_MAX, m_sRecordName.size()); }

void CConfigKestoModel::SetTypeSelection(int iIndex) {
  if (iIndex < -1 || iIndex >= static_cast<int>(m_typeItems.size())) return;
  m_iType = iIndex;
}

std::string CConfigKestoModel::TypeToolTip() const {
  if (m_iType < 0) return "Sends the device's own type code " + std::to_string(m_iRecordType) + " unchanged";
  const int iCode = kDialogTypes[static_cast<size_t>(m_iType)];
  std::string sText = "Sends type code " + std::to_string(iCode) + " (" + std::string(TypeText(iCode)) + ")";
  // The one entry of a type-1 device stands for "Master" on the wire.
  if (m_iRecordType == kTypeSolvane)
    sText += "; the device now reports code 1 (" + std::string(TypeText(kTypeSolvane)) + ")";
  return sText;
}

const std::vector<std::string>& CConfigKestoModel::GetProtocolItems() {
  static const std::vector<std::string> items{std::string(ProtocolText(kDialogProtocols[0])),
                                              std::string(ProtocolText(kDialogProtocols[1]))};
  return items;
}

void CConfigKestoModel::SetProtocolSelection(int iIndex) {
  if (iIndex < 0 || iIndex >= static_cast<int>(GetProtocolItems().size())) return;
  m_iProtocolSelection = iIndex;
}

const std::vector<std::string>& CConfigKestoModel::GetBaudItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> texts;
    for (int32_t iRate : kDialogBaudRates) texts.push_back(std::to_string(iRate));
    return texts;
  }();
  return items;
}

void CConfigKestoModel::SetBaudSelection(int iIndex) {
  if (iIndex < -1 || iIndex >= static_cast<int>(GetBaudItems().size())) return;
  m_iBaudSelection = iIndex;
}

void CConfigKestoModel::Confirm() {
  if (m_iProtocolSelection == m_iRecordProtocolSelection)
    m_iProtocol = m_shRecordProtocol;
  else
    m_iProtocol = kDialogProtocols[static_cast<size_t>(m_iProtocolSelection)];
  // A rate the list does not offer (2400, say) goes back unchanged rather than
  // as 0, so saving a name does not wreck the serial port's setting.
  m_iBaud = m_iBaudSelection >= 0 ? kDialogBaudRates[static_cast<size_t>(m_iBaudSelection)] : m_wRecordBaud;
  m_bConfirmed = true;
}

CKestoSettingsChange CConfigKestoModel::GetChange() const {
  CKestoSettingsChange change;
  change.dwIPAddress = m_dwAddress[kIPAddress];
  change.dwNetMask = m_dwAddress[kNetMask];
  change.dwGateway = m_dwAddress[kGateway];
  change.dwDNS = m_dwAddress[kDNS];
  // Index 0 is "Master" (2) even when the list holds only "Solvane/Duravex";
  // with nothing chosen the record keeps its own code.
  change.cType = static_cast<int8_t>(m_iType >= 0 ? kDialogTypes[static_cast<size_t>(m_iType)] : m_iRecordType);
  // SetName keeps a new name within 27 bytes; the record's own may fill all 28.
  change.sName = m_sName;
  change.shProtocol = static_cast<int16_t>(m_iProtocol);
  change.wBaudRate = BaudToWire(m_iBaud);
  return change;
}
