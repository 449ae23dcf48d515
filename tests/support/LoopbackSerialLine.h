#ifndef KESTO_TESTS_SUPPORT_LOOPBACKSERIALLINE_H
#define KESTO_TESTS_SUPPORT_LOOPBACKSERIALLINE_H

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "discovery/KestoRecord.h"
#include "platform/TcpStream.h"
#include "support/RecordBuilder.h"

// A device's line on loopback: echoes what it gets, or closes each client at once.
class LoopbackSerialLine {
 public:
  explicit LoopbackSerialLine(bool bCloseAtOnce) {
    std::string sError;
    m_pListener = platform::TcpListener::Listen({platform::kLoopback, 0}, &sError);
    if (!m_pListener) throw std::runtime_error("cannot listen on loopback: " + sError);
    m_thread = std::thread([this, bCloseAtOnce] {
      while (!m_bStop) {
        if (!m_pListener->WaitAcceptable(20)) continue;
        auto pClient = m_pListener->Accept();
        if (!pClient || bCloseAtOnce) continue;
        uint8_t by[256];
        while (!m_bStop) {
          if (!pClient->WaitReadable(20)) continue;
          const long lGot = pClient->Receive(by, sizeof by);
          if (lGot <= 0 || !pClient->SendAll(by, static_cast<size_t>(lGot))) break;
        }
      }
    });
  }
  ~LoopbackSerialLine() {
    m_bStop = true;
    m_thread.join();
  }
  KESTO_RECORD Device() const {
    KESTO_RECORD record = MakeRecord(1);
    record.dwIPAddress = platform::kLoopback;
    record.iPort = m_pListener->LocalEndpoint().wPort;
    return record;
  }

 private:
  std::unique_ptr<platform::TcpListener> m_pListener;
  std::atomic<bool> m_bStop{false};
  std::thread m_thread;
};

#endif
