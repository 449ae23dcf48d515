#include "tools/sim/SourceBudget.h"

#include <algorithm>

CSourceBudget::CSourceBudget(uint32_t dwPerSecond, size_t nMaxSources)
    : m_dwPerSecond(dwPerSecond), m_nMaxSources(std::max<size_t>(1, nMaxSources)) {}

void CSourceBudget::Refill(Bucket& bucket, uint32_t dwNow) const {
  const uint64_t qwFull = static_cast<uint64_t>(m_dwPerSecond) * 1000;
  // A record a second is a thousandth of a record a millisecond.
  const uint64_t qwElapsed = static_cast<uint32_t>(dwNow - bucket.dwLast);
  bucket.qwMilli = std::min(qwFull, bucket.qwMilli + qwElapsed * m_dwPerSecond);
  bucket.dwLast = dwNow;
}

void CSourceBudget::ForgetQuiet(uint32_t dwNow) {
  // At most one sweep of the table per tick, however many new sources knock.
  if (m_bForgotOnce && m_dwLastForget == dwNow) return;
  m_bForgotOnce = true;
  m_dwLastForget = dwNow;
  const uint64_t qwFull = static_cast<uint64_t>(m_dwPerSecond) * 1000;
  for (auto it = m_mapBySource.begin(); it != m_mapBySource.end();) {
    Refill(it->second, dwNow);
    it = it->second.qwMilli >= qwFull ? m_mapBySource.erase(it) : std::next(it);
  }
}

size_t CSourceBudget::Take(uint32_t dwSource, size_t nWanted, uint32_t dwNow) {
  if (m_dwPerSecond == 0) return nWanted;
  auto found = m_mapBySource.find(dwSource);
  if (found == m_mapBySource.end()) {
    if (m_mapBySource.size() >= m_nMaxSources) ForgetQuiet(dwNow);
    if (m_mapBySource.size() >= m_nMaxSources) {
      ++m_nRefusedSources;
      return 0;
    }
    found = m_mapBySource.emplace(dwSource, Bucket{static_cast<uint64_t>(m_dwPerSecond) * 1000, dwNow}).first;
  }
  Bucket& bucket = found->second;
  Refill(bucket, dwNow);
  const size_t nTaken = static_cast<size_t>(std::min<uint64_t>(nWanted, bucket.qwMilli / 1000));
  bucket.qwMilli -= static_cast<uint64_t>(nTaken) * 1000;
  return nTaken;
}
