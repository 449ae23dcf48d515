#ifndef KESTO_DISCOVERY_KESTOSETTINGSCHANGE_H
#define KESTO_DISCOVERY_KESTOSETTINGSCHANGE_H

#include <cstdint>
#include <optional>
#include <string>

#include "discovery/KestoRecord.h"

// The settings a user changes on a device: the fields the configuration dialog
// writes, each one optional. Only the fields given are written; every other byte
// of the record stays as it was. `kesto set`, the dialog, the bulk plans and the
// check that a device took its settings all use this one type.
class CKestoSettingsChange {
 public:
  // Every field the dialog writes, as the record holds it.
  static CKestoSettingsChange AllOf(const KESTO_RECORD& record);

  // Writes the given fields over the record. The name goes in as its bytes, up to
  // all 28 of them (a full field has no NUL, as devices send it).
  void ApplyTo(KESTO_RECORD& record) const;
  // True when the record already holds every given field.
  bool IsAppliedIn(const KESTO_RECORD& record) const;
  bool IsEmpty() const;

  std::optional<std::string> sName;  // the record's Latin-1 bytes
  std::optional<uint32_t> dwIPAddress;
  std::optional<uint32_t> dwNetMask;
  std::optional<uint32_t> dwGateway;
  std::optional<uint32_t> dwDNS;
  std::optional<int8_t> cType;
  std::optional<int16_t> shProtocol;
  std::optional<uint16_t> wBaudRate;  // as the field holds it (KestoRecordRules.h)
};

#endif
