#ifndef KESTO_DISCOVERY_KESTOINFO_H
#define KESTO_DISCOVERY_KESTOINFO_H

#include <cstdint>
#include <string>

#include "discovery/KestoRecord.h"

// One device as the finder knows it: its record, when it last answered, and two
// flags. The finder keeps one per device; the main window copies one only for the
// row its commands edit.
class CKestoInfo {
 public:
  // dwNow is the tick the entry is made at; the one-argument form reads the system clock.
  CKestoInfo(const KESTO_RECORD& record, uint32_t dwNow);
  explicit CKestoInfo(const KESTO_RECORD& record);

  // A new heap entry with this record, a fresh tick and both flags 0.
  CKestoInfo* Copy() const;
  CKestoInfo* Copy(uint32_t dwNow) const;

  void SetRecord(const KESTO_RECORD& record) { m_record = record; }
  const KESTO_RECORD& GetRecord() const { return m_record; }
  KESTO_RECORD& GetRecord() { return m_record; }

  bool IsSameMAC(const KESTO_RECORD& record) const;
  bool IsDifferent(const KESTO_RECORD& record) const { return !(m_record == record); }

  // More than dwLimitMs (AGE_LIMIT_MS unless given) since dwLastSeen, in wrapping 32-bit arithmetic.
  bool IsAged(uint32_t dwNow, uint32_t dwLimitMs = AGE_LIMIT_MS) const {
    return static_cast<uint32_t>(dwNow - dwLastSeen) > dwLimitMs;
  }
  bool IsAged() const;

  uint32_t GetIPAddress() const { return m_record.dwIPAddress; }
  uint32_t GetNetMask() const { return m_record.dwNetMask; }
  uint32_t GetGateway() const { return m_record.dwGateway; }
  uint32_t GetDNS() const { return m_record.dwDNS; }
  int32_t GetPort() const { return m_record.iPort; }
  std::string GetName() const { return FieldText(m_record.szName, sizeof m_record.szName); }
  std::string GetVersion() const { return FieldText(m_record.szVersion, sizeof m_record.szVersion); }
  std::string GetIPText() const { return ::FormatAddress(m_record.dwIPAddress); }
  std::string GetMACText() const { return FormatMAC(m_record.byMAC); }
  std::string GetPortText() const { return FormatPort(m_record.iPort); }
  static std::string FormatAddress(uint32_t dwAddress) { return ::FormatAddress(dwAddress); }

 private:
  KESTO_RECORD m_record;

 public:
  uint32_t dwLastSeen;
  // Raised by the finder when an answer replaced the record. The finder never lowers it;
  // the main window does once it has shown the change, so a pass looks only at new ones.
  int32_t bChanged = 0;
  int32_t bListed = 0;   // raised by the main window once the entry has a row
};

#endif
