#include "app/logic/ConfigKestoModel.h"

#include <algorithm>
#include <cstdlib>

#include "discovery/KestoName.h"

namespace {

int TypeIndexFor(int iType) {
  switch (iType) {
    case 1:
    case 2:
      return 0;
    case 3:
      return 1;
    case 4:
      return 2;
    case 5:
      return 3;
    default:
      return -1;
  }
}

}  // namespace

CConfigKestoModel::CConfigKestoModel(const CKestoInfo& record)
    : m_iRecordType(record.GetRecord().cType), m_wRecordBaud(record.GetRecord().wBaudRate) {
  m_dwAddress[kIPAddress] = record.GetIPAddress();
  m_dwAddress[kNetMask] = record.GetNetMask();
  m_dwAddress[kGateway] = record.GetGateway();
  m_dwAddress[kDNS] = record.GetDNS();

  if (m_iRecordType == 1)
    m_typeItems = {std::string(TypeText(1))};
  else
    m_typeItems = {std::string(TypeText(2)), std::string(TypeText(3)), std::string(TypeText(4)),
                   std::string(TypeText(5))};
  m_iType = TypeIndexFor(m_iRecordType);

  m_sRecordName = RecordNameBytes(record.GetRecord());
  m_sName = m_sRecordName;

  m_shRecordProtocol = record.GetRecord().shProtocol;
  m_iProtocolSelection = m_shRecordProtocol != 0 ? 1 : 0;
  m_iRecordProtocolSelection = m_iProtocolSelection;

  // The rates are compared in 16 bits, which is how 49664 finds "115200".
  const auto& baudItems = GetBaudItems();
  for (int i = 0; i < static_cast<int>(baudItems.size()) && m_iBaudSelection < 0; ++i) {
    const int iRate = std::atoi(baudItems[i].c_str());
    if (static_cast<uint16_t>(iRate) == m_wRecordBaud) m_iBaudSelection = i;
  }
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
  const int iCode = m_iType + 2;
  std::string sText = "Sends type code " + std::to_string(iCode) + " (" + std::string(TypeText(iCode)) + ")";
  // The one entry of a type-1 device stands for "Master" on the wire.
  if (m_iRecordType == 1) sText += "; the device now reports code 1 (" + std::string(TypeText(1)) + ")";
  return sText;
}

const std::vector<std::string>& CConfigKestoModel::GetProtocolItems() {
  static const std::vector<std::string> items{"RS232", "RS485"};
  return items;
}

void CConfigKestoModel::SetProtocolSelection(int iIndex) {
  if (iIndex < 0 || iIndex >= static_cast<int>(GetProtocolItems().size())) return;
  m_iProtocolSelection = iIndex;
}

const std::vector<std::string>& CConfigKestoModel::GetBaudItems() {
  static const std::vector<std::string> items{"115200", "57600", "38400", "19200", "9600",
                                              "4800",   "1200",  "600",   "300"};
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
    m_iProtocol = m_iProtocolSelection == 0 ? 0 : 1;
  // A rate the list does not offer (2400, say) goes back unchanged rather than
  // as 0, so saving a name does not wreck the serial port's setting.
  m_iBaud = m_iBaudSelection >= 0 ? std::atoi(GetBaudItems()[m_iBaudSelection].c_str()) : m_wRecordBaud;
  m_bConfirmed = true;
}

KestoConfigValues CConfigKestoModel::GetValues() const {
  KestoConfigValues values;
  values.dwIPAddress = m_dwAddress[kIPAddress];
  values.dwNetMask = m_dwAddress[kNetMask];
  values.dwGateway = m_dwAddress[kGateway];
  values.dwDNS = m_dwAddress[kDNS];
  // Index 0 is "Master" (2) even when the list holds only "Solvane/Duravex";
  // with nothing chosen the record keeps its own code.
  values.iType = m_iType >= 0 ? m_iType + 2 : m_iRecordType;
  values.sName = m_sName;
  values.iProtocol = m_iProtocol;
  values.iBaud = m_iBaud;
  return values;
}

void CConfigKestoModel::WriteValues(const KestoConfigValues& values, KESTO_RECORD& record) {
  // A name left as the record holds it goes back whole, even all 28 bytes; any other
  // keeps room for its NUL.
  if (values.sName == RecordNameBytes(record))
    SetRecordNameField(record, values.sName);
  else
    SetRecordName(record, values.sName);
  record.dwIPAddress = values.dwIPAddress;
  record.dwNetMask = values.dwNetMask;
  record.dwGateway = values.dwGateway;
  record.dwDNS = values.dwDNS;
  record.cType = static_cast<int8_t>(values.iType & 0xFF);
  record.shProtocol = static_cast<int16_t>(values.iProtocol & 0xFFFF);
  // 115200 does not fit in 16 bits and travels as 49664.
  record.wBaudRate = static_cast<uint16_t>(values.iBaud & 0xFFFF);
}
