#ifndef KESTO_TOOLS_SIM_SIMSERIALLINES_H
#define KESTO_TOOLS_SIM_SIMSERIALLINES_H

#include <atomic>
#include <csignal>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "discovery/KestoRecord.h"
#include "platform/TcpStream.h"

// The far end of each played device's serial line: a TCP port per device that
// echoes what it gets (or answers each line with a fixed reply), one client at a
// time; a second client is closed at once, as a busy port is.
class CSimSerialLines {
 public:
  // The most lines one simulator serves: the first devices get one each.
  static constexpr size_t kMaxLines = 256;

  // sReply empty: echo. Each line is a thread while a client is there.
  CSimSerialLines(std::string sReply, std::ostream& log);
  ~CSimSerialLines();

  // Listens for the first kMaxLines devices at dwAddress, at each device's own
  // port when bKeepPorts (devices read from a file) or else at a free one, and
  // makes their records give that address and port. False with the reason when a
  // port cannot be had.
  bool Open(uint32_t dwAddress, bool bKeepPorts, std::vector<KESTO_RECORD>* pDevices, std::string* psError);
  // Takes clients until *pbStop is set; runs on a thread of its own.
  void Start(const volatile std::sig_atomic_t* pbStop);

 private:
  struct Line;
  void AcceptLoop(const volatile std::sig_atomic_t* pbStop);
  void Serve(Line* pLine, std::unique_ptr<platform::TcpStream> pClient, const volatile std::sig_atomic_t* pbStop);

  std::string m_sReply;
  std::ostream& m_log;
  std::mutex m_logMutex;
  std::vector<std::unique_ptr<Line>> m_lines;
  std::thread m_acceptThread;
};

#endif
