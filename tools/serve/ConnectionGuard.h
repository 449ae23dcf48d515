#ifndef KESTO_TOOLS_SERVE_CONNECTIONGUARD_H
#define KESTO_TOOLS_SERVE_CONNECTIONGUARD_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

// What the HTTP library of this Debian release leaves unbounded: how many header lines
// a request may carry and how long a connection may last. This thread looks at the
// agent's own accepted TCP connections on its port every 50 ms and cuts those
// that received more than kMaxConnectionBytes or lived longer than kMaxConnectionMs; the
// library then ends them. Linux only (/proc/self/fd and TCP_INFO).
// While *pnOpen (the connections the server has taken and not finished) is 0 it
// does not look: between scrapes an agent mostly has none.
class CConnectionGuard {
 public:
  static constexpr uint64_t kMaxConnectionBytes = 64 * 1024;
  static constexpr int64_t kMaxConnectionMs = 90000;  // beyond the longest /probe (60 s)

  CConnectionGuard(int iPort, const std::atomic<size_t>* pnOpen)
      : m_iPort(iPort), m_pnOpen(pnOpen), m_thread([this] { Run(); }) {}
  ~CConnectionGuard() {
    m_bStop = true;
    m_thread.join();
  }
  CConnectionGuard(const CConnectionGuard&) = delete;
  CConnectionGuard& operator=(const CConnectionGuard&) = delete;

  uint64_t Cut() const { return m_nCut; }

 private:
  void Run();
  bool IsServedConnection(int fd) const;

  int m_iPort;
  const std::atomic<size_t>* m_pnOpen;
  std::atomic<bool> m_bStop{false};
  std::atomic<uint64_t> m_nCut{0};
  std::thread m_thread;
};

#endif
