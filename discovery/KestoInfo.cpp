#include "discovery/KestoInfo.h"

#include <cstring>

#include "platform/TickCount.h"

CKestoInfo::CKestoInfo(const KESTO_RECORD& record, uint32_t dwNow) : m_record(record), dwLastSeen(dwNow) {}

CKestoInfo::CKestoInfo(const KESTO_RECORD& record) : CKestoInfo(record, platform::GetTickCount32()) {}

CKestoInfo* CKestoInfo::Copy() const { return new CKestoInfo(m_record); }

CKestoInfo* CKestoInfo::Copy(uint32_t dwNow) const { return new CKestoInfo(m_record, dwNow); }

bool CKestoInfo::IsSameMAC(const KESTO_RECORD& record) const {
  return std::memcmp(m_record.byMAC, record.byMAC, sizeof record.byMAC) == 0;
}

bool CKestoInfo::IsAged() const { return IsAged(platform::GetTickCount32()); }
