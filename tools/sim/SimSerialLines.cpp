#include "tools/sim/SimSerialLines.h"

#include <ostream>


struct CSimSerialLines::Line {
  std::unique_ptr<platform::TcpListener> pListener;
  std::string sMAC;
  std::atomic<bool> bBusy{false};
  std::thread client;
};

namespace {

// A reply line longer than this is answered in pieces: the buffer stays bounded.
constexpr size_t kMaxLineBytes = 4096;

}  // namespace

CSimSerialLines::CSimSerialLines(std::string sReply, std::ostream& log) : m_sReply(std::move(sReply)), m_log(log) {}

CSimSerialLines::~CSimSerialLines() {
  if (m_acceptThread.joinable()) m_acceptThread.join();
  for (auto& pLine : m_lines)
    if (pLine->client.joinable()) pLine->client.join();
}

bool CSimSerialLines::Open(uint32_t dwAddress, bool bKeepPorts, std::vector<KESTO_RECORD>* pDevices,
                           std::string* psError) {
  for (size_t i = 0; i < pDevices->size() && i < kMaxLines; ++i) {
    KESTO_RECORD& record = (*pDevices)[i];
    const int32_t iPort = bKeepPorts && record.iPort > 0 && record.iPort <= 65535 ? record.iPort : 0;
    auto pLine = std::make_unique<Line>();
    pLine->pListener = platform::TcpListener::Listen({dwAddress, static_cast<uint16_t>(iPort)}, psError);
    if (!pLine->pListener) {
      *psError = "serial line of device " + std::to_string(i + 1) + " at " + FormatAddress(dwAddress) + ":" +
                 std::to_string(iPort) + ": " + *psError;
      return false;
    }
    record.dwIPAddress = dwAddress;
    record.iPort = pLine->pListener->LocalEndpoint().wPort;
    pLine->sMAC = FormatMAC(record.byMAC);
    m_lines.push_back(std::move(pLine));
  }
  return true;
}

void CSimSerialLines::Start(const volatile std::sig_atomic_t* pbStop) {
  m_acceptThread = std::thread([this, pbStop] { AcceptLoop(pbStop); });
}

void CSimSerialLines::AcceptLoop(const volatile std::sig_atomic_t* pbStop) {
  std::vector<platform::TcpListener*> listeners;
  for (auto& pLine : m_lines) listeners.push_back(pLine->pListener.get());
  while (!*pbStop) {
    for (size_t i : platform::WaitAnyAcceptable(listeners, 100)) {
      Line* pLine = m_lines[i].get();
      std::unique_ptr<platform::TcpStream> pClient = pLine->pListener->Accept();
      if (!pClient) continue;
      const std::string sPeer = FormatAddress(pClient->Peer().dwAddress) + ":" + std::to_string(pClient->Peer().wPort);
      if (pLine->bBusy) {
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_log << "serial " << pLine->sMAC << ": busy, closed " << sPeer << std::endl;
        continue;  // destroying it closes it
      }
      if (pLine->client.joinable()) pLine->client.join();
      {
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_log << "serial " << pLine->sMAC << ": client " << sPeer << std::endl;
      }
      pLine->bBusy = true;
      pLine->client = std::thread(
          [this, pLine, pbStop](std::unique_ptr<platform::TcpStream> p) { Serve(pLine, std::move(p), pbStop); },
          std::move(pClient));
    }
  }
}

void CSimSerialLines::Serve(Line* pLine, std::unique_ptr<platform::TcpStream> pClient,
                            const volatile std::sig_atomic_t* pbStop) {
  uint8_t byBuffer[4096];
  size_t nLineBytes = 0;
  uint64_t ullBytes = 0;
  while (!*pbStop) {
    if (!pClient->WaitReadable(100)) continue;
    const long lGot = pClient->Receive(byBuffer, sizeof byBuffer);
    if (lGot <= 0) break;
    ullBytes += static_cast<uint64_t>(lGot);
    if (m_sReply.empty()) {
      if (!pClient->SendAll(byBuffer, static_cast<size_t>(lGot))) break;
      continue;
    }
    bool bFailed = false;
    for (long i = 0; i < lGot && !bFailed; ++i) {
      if (byBuffer[i] == '\n' || ++nLineBytes >= kMaxLineBytes) {
        nLineBytes = 0;
        const std::string sLine = m_sReply + "\r\n";
        bFailed = !pClient->SendAll(sLine.data(), sLine.size());
      }
    }
    if (bFailed) break;
  }
  {
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_log << "serial " << pLine->sMAC << ": client gone after " << ullBytes << " bytes" << std::endl;
  }
  pLine->bBusy = false;
}
