#ifndef KESTO_APP_LOGIC_CONFIGKESTOMODEL_H
#define KESTO_APP_LOGIC_CONFIGKESTOMODEL_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/KestoInfo.h"
#include "discovery/KestoSettingsChange.h"
#include "plan/ConfigAddressCheck.h"

// The configuration dialog's values and rules, without any widgets: what the
// lists hold and select for a record, when the pass-through lists are enabled,
// and the values handed back. The dialog only shows this and forwards input.
class CConfigKestoModel {
 public:
  enum Address { kIPAddress, kNetMask, kGateway, kDNS };

  // Reads the record once; the record itself is never written by the model.
  explicit CConfigKestoModel(const CKestoInfo& record);

  // The name as the record's bytes (Latin-1), and as UTF-8 text for showing.
  const std::string& GetName() const { return m_sName; }
  std::string GetNameText() const;
  // The name typed, as UTF-8, under the one name rule (NameFromText): Latin-1
  // characters only, at most 27 bytes for a new name, while the record's own name
  // (even a full 28 bytes) comes back byte for byte. False with the reason, the
  // name left as it was, when refused.
  bool SetName(std::string_view text, std::string* psError = nullptr);
  // The longest name an edit box should take: 27, or the record's own when longer.
  size_t GetNameLimit() const;

  uint32_t GetAddress(Address which) const { return m_dwAddress[which]; }
  // The address rule on the addresses typed, judging only those that differ from the
  // record's own: what the device already has never blocks a send.
  CConfigAddressCheck::Result CheckAddresses(uint32_t dwIPAddress, uint32_t dwNetMask, uint32_t dwGateway,
                                             const std::vector<CConfigAddressCheck::OtherDevice>& others) const {
    return CConfigAddressCheck::Check({dwIPAddress, dwNetMask, dwGateway}, m_recordAddresses, others);
  }
  void SetAddress(Address which, uint32_t dwAddress) { m_dwAddress[which] = dwAddress; }

  const std::vector<std::string>& GetTypeItems() const { return m_typeItems; }
  // -1 when nothing is selected (a type code outside 1-5).
  int GetTypeSelection() const { return m_iType; }
  // Out-of-range indexes are ignored.
  void SetTypeSelection(int iIndex);
  // The protocol and baud lists are enabled only for "Passthrough".
  bool IsPassThroughEnabled() const { return m_iType == kPassthroughIndex; }

  // What the Type list's tooltip says will be sent for the current selection.
  std::string TypeToolTip() const;

  static const std::vector<std::string>& GetProtocolItems();
  int GetProtocolSelection() const { return m_iProtocolSelection; }
  void SetProtocolSelection(int iIndex);

  static const std::vector<std::string>& GetBaudItems();
  // -1 when no entry matches the record's rate.
  int GetBaudSelection() const { return m_iBaudSelection; }
  void SetBaudSelection(int iIndex);

  // "Set Configuration": fixes the protocol and baud rate from the lists.
  void Confirm();
  bool IsConfirmed() const { return m_bConfirmed; }

  // What the dialog hands back, meaningful after Confirm(): every field it shows,
  // a field the user did not touch as the record holds it, so that written over the
  // record (ApplyTo) it leaves MAC, version, port and the reserved bytes as they are
  // and an untouched name byte for byte.
  CKestoSettingsChange GetChange() const;

 private:
  static constexpr int kPassthroughIndex = 3;

  std::string m_sName;
  std::string m_sRecordName;
  uint32_t m_dwAddress[4] = {};
  CConfigAddressCheck::Addresses m_recordAddresses;
  std::vector<std::string> m_typeItems;
  int m_iType = -1;
  int m_iProtocolSelection = 0;
  int m_iBaudSelection = -1;

  int m_iRecordType;
  uint16_t m_wRecordBaud;
  // A protocol list left as it was sends the record's own code (5 shows as
  // "RS485" but must not come back as 1).
  int16_t m_shRecordProtocol = 0;
  int m_iRecordProtocolSelection = 0;

  bool m_bConfirmed = false;
  int m_iProtocol = 0;
  int m_iBaud = 0;
};

#endif
