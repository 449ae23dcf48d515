#ifndef KESTO_TOOLS_SIM_SOURCEBUDGET_H
#define KESTO_TOOLS_SIM_SOURCEBUDGET_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>

// How many records the simulator may still send to each source address: at most
// dwPerSecond a second to any one (a bucket that fills at that rate and holds one
// second's worth), so a request with a forged source cannot turn it into a
// megabyte firehose aimed at someone else. At most nMaxSources are tracked at once;
// a source beyond them gets nothing until a tracked one has been quiet a second.
class CSourceBudget {
 public:
  // dwPerSecond 0: no bound (and no table).
  CSourceBudget(uint32_t dwPerSecond, size_t nMaxSources);

  // How many of nWanted records may go to dwSource now; takes them from its budget.
  size_t Take(uint32_t dwSource, size_t nWanted, uint32_t dwNow);

  size_t TrackedSources() const { return m_mapBySource.size(); }
  // Requests that got nothing because the table was full.
  uint64_t RefusedSources() const { return m_nRefusedSources; }

 private:
  struct Bucket {
    uint64_t qwMilli;  // records still allowed, in thousandths
    uint32_t dwLast;   // tick of the last refill
  };
  void Refill(Bucket& bucket, uint32_t dwNow) const;
  // Forgets every source whose bucket is full again: it is as good as new.
  void ForgetQuiet(uint32_t dwNow);

  uint32_t m_dwPerSecond;
  size_t m_nMaxSources;
  std::unordered_map<uint32_t, Bucket> m_mapBySource;
  uint64_t m_nRefusedSources = 0;
  uint32_t m_dwLastForget = 0;
  bool m_bForgotOnce = false;
};

#endif
