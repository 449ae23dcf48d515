#include "plan/ChangeLogEntry.h"

#include <cstring>
#include <utility>

#include "plan/ChangeLog.h"

CChangeLogEntry CChangeLogEntry::Begin(const KESTO_RECORD& old, const KESTO_RECORD& sent) {
  CChangeLogEntry entry;
  entry.m_sId = CChangeLog::Process().LogSend(old, sent);
  std::memcpy(entry.m_mac.data(), sent.byMAC, entry.m_mac.size());
  return entry;
}

CChangeLogEntry::CChangeLogEntry(CChangeLogEntry&& other) noexcept
    : m_sId(std::exchange(other.m_sId, {})), m_mac(other.m_mac) {}

CChangeLogEntry& CChangeLogEntry::operator=(CChangeLogEntry&& other) noexcept {
  if (this != &other) {
    Finish(ChangeOutcome::kNotConfirmed);
    m_sId = std::exchange(other.m_sId, {});
    m_mac = other.m_mac;
  }
  return *this;
}

CChangeLogEntry::~CChangeLogEntry() {
  try {
    Finish(ChangeOutcome::kNotConfirmed);
  } catch (...) {
    // A line that cannot be built is a line not logged; the send itself is done.
  }
}

void CChangeLogEntry::Finish(ChangeOutcome outcome) {
  if (m_sId.empty()) return;
  CChangeLog::Process().LogOutcome(m_sId, m_mac.data(), outcome);
  m_sId.clear();
}
