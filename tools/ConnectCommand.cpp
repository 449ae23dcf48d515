#include "tools/ConnectCommand.h"

#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

#include "discovery/KestoName.h"
#include "formats/MacText.h"
#include "formats/SerialLineText.h"
#include "formats/SerialView.h"
#include "formats/TerminalText.h"
#include "platform/PseudoTerminal.h"
#include "platform/StandardStreams.h"
#include "platform/TcpStream.h"
#include "platform/Terminal.h"
#include "platform/TickCount.h"
#include "tools/CommonOptions.h"
#include "tools/DecimalOption.h"
#include "tools/DecimalText.h"
#include "tools/ExitCodes.h"

namespace {

constexpr const char* kPrefix = "kesto connect";
// Ctrl+] ends a session on a terminal, where Ctrl-C goes to the device.
constexpr uint8_t kExitKey = 0x1D;
constexpr size_t kChunkBytes = 4096;

// The matches for what the user named: one device, several, or none.
std::vector<KESTO_RECORD> Matches(const CKestoFinder& finder, const std::string& sDevice) {
  uint8_t byMAC[6];
  uint32_t dwIP = 0;
  const bool bMAC = ParseMAC(sDevice, byMAC);
  const bool bIP = !bMAC && ParseAddress(sDevice, &dwIP);
  std::string sName;
  if (!bMAC && !bIP && !Utf8ToLatin1(sDevice, &sName)) sName.clear();
  std::vector<KESTO_RECORD> matches;
  finder.VisitDevices([&](const CKestoInfo& entry) {
    const KESTO_RECORD& record = entry.GetRecord();
    const bool bMatch = bMAC  ? std::equal(byMAC, byMAC + 6, record.byMAC)
                        : bIP ? record.dwIPAddress == dwIP
                              : !sName.empty() && entry.GetName() == sName;
    if (bMatch) matches.push_back(record);
  });
  return matches;
}

// The --log file, written from both directions' threads.
class CLineLog {
 public:
  bool Open(const std::string& sPath, std::string* psError) {
    m_file.open(sPath, std::ios::binary | std::ios::app);
    if (!m_file) *psError = "cannot open the log " + sPath;
    return static_cast<bool>(m_file);
  }
  void Write(char cDirection, const uint8_t* pData, size_t nSize) {
    if (!m_file.is_open()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_file << SerialLogLine(SerialLogTimeNow(), cDirection, pData, nSize) << std::flush;
  }

 private:
  std::mutex m_mutex;
  std::ofstream m_file;
};

// One local end of the line: where what the device sends goes, and where what
// goes to the device comes from (read on a thread of its own).
class CLocalEnd {
 public:
  virtual ~CLocalEnd() = default;
  // Delivers bytes from the device; false when the local end is gone for good.
  virtual bool Deliver(const uint8_t* pData, size_t nSize) = 0;
  // One read towards the device, waiting at most about 100 ms: the count, 0 for
  // nothing yet, -1 when the local end has ended.
  virtual long Read(uint8_t* pBuffer, size_t nSize) = 0;
};

class CStandardEnd : public CLocalEnd {
 public:
  CStandardEnd(std::ostream& out, SerialShow show) : m_out(out), m_view(show) {}
  bool Deliver(const uint8_t* pData, size_t nSize) override {
    const std::string sShown = m_view.Show(pData, nSize);
    m_out.write(sShown.data(), static_cast<std::streamsize>(sShown.size()));
    m_out.flush();
    return static_cast<bool>(m_out);
  }
  // Blocks: standard input cannot be waited on everywhere, so its thread is left behind at the end.
  long Read(uint8_t* pBuffer, size_t nSize) override {
    const long lGot = platform::ReadStandardInput(pBuffer, nSize);
    return lGot <= 0 ? -1 : lGot;
  }

 private:
  std::ostream& m_out;
  CSerialView m_view;
};

class CPtyEnd : public CLocalEnd {
 public:
  explicit CPtyEnd(std::unique_ptr<platform::PseudoTerminal> pPty) : m_pPty(std::move(pPty)) {}
  bool Deliver(const uint8_t* pData, size_t nSize) override { return m_pPty->WriteAll(pData, nSize); }
  long Read(uint8_t* pBuffer, size_t nSize) override {
    if (!m_pPty->WaitReadable(100)) return 0;
    const long lGot = m_pPty->Read(pBuffer, nSize);
    return lGot < 0 ? 0 : lGot;  // a program closing the link ends nothing: the next one may open it
  }

 private:
  std::unique_ptr<platform::PseudoTerminal> m_pPty;
};

// One local client at a time; what the device sends while none is there is dropped.
class CListenEnd : public CLocalEnd {
 public:
  CListenEnd(std::unique_ptr<platform::TcpListener> pListener, std::ostream& err)
      : m_pListener(std::move(pListener)), m_err(err) {}
  bool Deliver(const uint8_t* pData, size_t nSize) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pClient && !m_pClient->SendAll(pData, nSize)) m_pClient.reset();
    return true;
  }
  long Read(uint8_t* pBuffer, size_t nSize) override {
    platform::TcpStream* pClient = nullptr;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_pClient) {
        if (!m_pListener->WaitAcceptable(100)) return 0;
        m_pClient = m_pListener->Accept();
        if (m_pClient) m_err << kPrefix << ": client " << FormatAddress(m_pClient->Peer().dwAddress) << ":"
                             << m_pClient->Peer().wPort << " connected" << std::endl;
        return 0;
      }
      pClient = m_pClient.get();
      // A second client is turned away while the first is there.
      if (m_pListener->WaitAcceptable(0)) m_pListener->Accept();
    }
    if (!pClient->WaitReadable(100)) return 0;
    const long lGot = pClient->Receive(pBuffer, nSize);
    if (lGot <= 0) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_pClient.reset();
      m_err << kPrefix << ": client gone; waiting for the next" << std::endl;
      return 0;
    }
    return lGot;
  }

 private:
  std::unique_ptr<platform::TcpListener> m_pListener;
  std::ostream& m_err;
  std::mutex m_mutex;
  std::unique_ptr<platform::TcpStream> m_pClient;
};

bool ParseListen(const std::string& sText, platform::Ipv4Endpoint* pEndpoint, std::string* psError) {
  const size_t nColon = sText.rfind(':');
  long long llPort = 0;
  if (nColon == std::string::npos || !ParseAddress(sText.substr(0, nColon), &pEndpoint->dwAddress) ||
      !ParseDecimal(sText.substr(nColon + 1), 0, 65535, &llPort, psError)) {
    *psError = "\"" + TerminalText(sText) + "\" is not ADDR:PORT such as 127.0.0.1:4001 (port 0: a free one)";
    return false;
  }
  pEndpoint->wPort = static_cast<uint16_t>(llPort);
  return true;
}

}  // namespace

int RunConnect(const ConnectOptions& options, std::ostream& out, std::ostream& err,
               const volatile std::sig_atomic_t* pbStop) {
  if (options.bRaw && options.bHex) {
    err << kPrefix << ": --raw and --hex exclude each other\n";
    return kExitBadInput;
  }
  platform::Ipv4Endpoint listenAt;
  std::string sError;
  if (!options.sListen.empty()) {
    if (!ParseListen(options.sListen, &listenAt, &sError)) {
      err << kPrefix << ": --listen: " << sError << "\n";
      return kExitBadInput;
    }
    if ((listenAt.dwAddress >> 24) != 127 && !options.bListenAny) {
      err << kPrefix << ": --listen: " << FormatAddress(listenAt.dwAddress)
          << " is not a loopback address; anyone who reaches it drives the device: add --listen-any to mean it\n";
      return kExitBadInput;
    }
  }

  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  CKestoFinder& finder = pSession->Finder();
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, options.bWaitGiven);
  pSession->RunPasses(dwWaitMs, [&] { return !Matches(finder, options.sDevice).empty(); }, pbStop);
  // Others with the same name or address answer the same probe a little later.
  if (!Matches(finder, options.sDevice).empty()) pSession->RunPasses(kSenderSettleMs, {}, pbStop);
  const std::vector<KESTO_RECORD> matches = Matches(finder, options.sDevice);
  if (matches.empty()) {
    err << kPrefix << ": no device named or at \"" << TerminalText(options.sDevice) << "\" answered within "
        << dwWaitMs << " ms\n";
    return kExitNotFound;
  }
  if (matches.size() > 1) {
    err << kPrefix << ": " << matches.size() << " devices match \"" << TerminalText(options.sDevice)
        << "\"; name one by its MAC:";
    for (const KESTO_RECORD& record : matches) err << " " << FormatMAC(record.byMAC);
    err << "\n";
    return kExitBadInput;
  }
  const KESTO_RECORD device = matches.front();
  const std::string sWho = SerialDeviceText(device);
  if (const std::string sNoPort = NoSerialPortText(device); !sNoPort.empty()) {
    err << kPrefix << ": " << sNoPort << " (kesto open " << FormatMAC(device.byMAC) << ")\n";
    return kExitBadInput;
  }
  WarnSeveralSenders(finder, device.byMAC, kPrefix, err);

  const platform::Ipv4Endpoint to{device.dwIPAddress, static_cast<uint16_t>(device.iPort)};
  const std::string sWhere = FormatAddress(to.dwAddress) + ":" + std::to_string(to.wPort);
  platform::TcpConnectError connectError = platform::TcpConnectError::kNone;
  std::unique_ptr<platform::TcpStream> pDevice =
      platform::TcpStream::Connect(to, options.iConnectTimeoutMs, &connectError, &sError);
  if (!pDevice) {
    err << kPrefix << ": " << ConnectFailureText(device, connectError, options.iConnectTimeoutMs, sError) << "\n";
    return kExitNetwork;
  }

  CLineLog log;
  if (!options.sLog.empty() && !log.Open(options.sLog, &sError)) {
    err << kPrefix << ": " << sError << "\n";
    return kExitFailed;
  }
  std::unique_ptr<CLocalEnd> pLocal;
  bool bTerminal = false;
  if (!options.sListen.empty()) {
    auto pListener = platform::TcpListener::Listen(listenAt, &sError);
    if (!pListener) {
      err << kPrefix << ": cannot listen at " << options.sListen << ": " << sError << "\n";
      return kExitNetwork;
    }
    err << kPrefix << ": " << sWho << " at " << sWhere << " is shared at "
        << FormatAddress(pListener->LocalEndpoint().dwAddress) << ":" << pListener->LocalEndpoint().wPort
        << ", one client at a time; Ctrl-C ends" << std::endl;
    pLocal = std::make_unique<CListenEnd>(std::move(pListener), err);
  } else if (!options.sPty.empty()) {
    auto pPty = platform::PseudoTerminal::Open(options.sPty, &sError);
    if (!pPty) {
      err << kPrefix << ": --pty: " << sError << "\n";
      return kExitBadInput;
    }
    err << kPrefix << ": " << sWho << " at " << sWhere << " is at " << options.sPty << " (" << pPty->DeviceName()
        << "); line settings made there are not sent to the device (use kesto set --baud); Ctrl-C ends"
        << std::endl;
    pLocal = std::make_unique<CPtyEnd>(std::move(pPty));
  } else {
    platform::UseBinaryStandardStreams();
    bTerminal = options.bInputTerminal && platform::EnterRawTerminalInput();
    // Piped output is data for another program: only a terminal gets the escapes.
    const SerialShow show = options.bHex                                ? SerialShow::kHex
                            : options.bRaw || !options.bOutputTerminal ? SerialShow::kRaw
                                                                        : SerialShow::kEscaped;
    pLocal = std::make_unique<CStandardEnd>(out, show);
    if (bTerminal)
      err << kPrefix << ": connected to " << sWho << " at " << sWhere << "; Ctrl+] ends\r" << std::endl;
  }

  // Towards the device, on a thread of its own.
  std::atomic<bool> bInputEnded{false};
  std::atomic<bool> bExitKey{false};
  std::atomic<bool> bQuit{false};
  std::atomic<bool> bSendFailed{false};
  platform::TcpStream* pDeviceStream = pDevice.get();
  CLocalEnd* pLocalEnd = pLocal.get();
  auto pump = [&, bTerminal] {
    uint8_t byBuffer[kChunkBytes];
    while (!bQuit) {
      long lGot = pLocalEnd->Read(byBuffer, sizeof byBuffer);
      if (lGot < 0) {
        bInputEnded = true;
        return;
      }
      if (lGot == 0) continue;
      if (bTerminal) {
        for (long i = 0; i < lGot; ++i)
          if (byBuffer[i] == kExitKey) {
            lGot = i;
            bExitKey = true;
          }
      }
      if (lGot > 0) {
        log.Write('>', byBuffer, static_cast<size_t>(lGot));
        if (!pDeviceStream->SendAll(byBuffer, static_cast<size_t>(lGot))) {
          bSendFailed = true;
          return;
        }
      }
      if (bExitKey) return;
    }
  };
  std::thread toDevice(pump);
  const bool bStandardInput = options.sListen.empty() && options.sPty.empty();

  // From the device, here, until something ends the session.
  const uint32_t dwStart = platform::GetTickCount32();
  uint32_t dwInputEndedAt = 0;
  bool bInputEndSeen = false;
  uint64_t ullReceived = 0;
  int iResult = kExitOk;
  uint8_t byBuffer[kChunkBytes];
  while (!*pbStop && !bExitKey) {
    if (bSendFailed) {
      err << kPrefix << ": the connection to " << sWho << " was lost while sending\n";
      iResult = kExitNetwork;
      break;
    }
    if (bInputEnded && !bInputEndSeen) {
      bInputEndSeen = true;
      dwInputEndedAt = platform::GetTickCount32();
    }
    if (bInputEndSeen && platform::GetTickCount32() - dwInputEndedAt >= static_cast<uint32_t>(options.iLingerMs))
      break;
    if (!pDeviceStream->WaitReadable(50)) continue;
    const long lGot = pDeviceStream->Receive(byBuffer, sizeof byBuffer);
    if (lGot <= 0) {
      const uint32_t dwAfterMs = platform::GetTickCount32() - dwStart;
      if (ullReceived == 0 && dwAfterMs < kSerialBusyCloseMs) {
        err << kPrefix << ": " << SerialBusyText(device) << "\n";
        iResult = kExitNetwork;
      } else if (!bInputEndSeen) {
        err << kPrefix << ": the connection to " << sWho << " was lost (closed by the device after " << ullReceived
            << " bytes)\n";
        iResult = kExitNetwork;
      }
      break;
    }
    ullReceived += static_cast<uint64_t>(lGot);
    log.Write('<', byBuffer, static_cast<size_t>(lGot));
    if (!pLocalEnd->Deliver(byBuffer, static_cast<size_t>(lGot))) break;
  }
  bQuit = true;
  if (bTerminal) {
    platform::LeaveRawTerminalInput();
    err << "\n" << kPrefix << ": closed\n";
  }
  // Standard input cannot be woken from its read: that thread ends with the program.
  if (bStandardInput && !bInputEnded && !bExitKey && !bSendFailed)
    toDevice.detach();
  else
    toDevice.join();
  return iResult;
}

void AddConnectCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<ConnectOptions>();
  CLI::App* pConnect = pApp->add_subcommand(
      "connect", "Connect to a device's serial pass-through port and pass every byte both ways");
  pConnect->footer(
      "DEVICE is found by discovery, so a device whose address changed is still reached by its MAC or name.\n"
      "On a terminal: raw keys go to the device (Ctrl-C too) and Ctrl+] ends; control bytes received show as\n"
      "\\xHH unless --raw. Piped: standard input goes to the device and its answers to standard output; when the\n"
      "input ends, the answers of the next --linger ms still come, then it exits 0.\n" +
      std::string(kExitCodeHelp) + "\nA refused, timed-out or lost connection, or a busy port, is exit 5.");
  pConnect->add_option("DEVICE", pOptions->sDevice, "The device: its MAC, IP address or name")->required();
  CLI::Option* pWait = AddWaitOption(pConnect, "--wait", &pOptions->iWaitMs,
                                     "Bound in ms for finding the device (default 3000, plus the --target sweep)");
  AddDecimalOption(pConnect, "--connect-timeout", &pOptions->iConnectTimeoutMs, 1, 600000,
                   "Bound in ms for the TCP connection (default 3000)");
  AddWaitOption(pConnect, "--linger", &pOptions->iLingerMs,
                "After standard input ends, how long to wait for the last answers, in ms (default 500)");
  CLI::Option* pRaw = pConnect->add_flag("--raw", pOptions->bRaw, "Write what the device sends unchanged");
  pConnect->add_flag("--hex", pOptions->bHex, "Show what the device sends as a hex dump")->excludes(pRaw);
  pConnect->add_option("--log", pOptions->sLog, "Append both directions with times (in hex) to this file");
  CLI::Option* pListen = pConnect->add_option(
      "--listen", pOptions->sListen, "Share the line at ADDR:PORT (e.g. 127.0.0.1:4001), one client at a time");
  pConnect->add_flag("--listen-any", pOptions->bListenAny, "Allow --listen on an address other than loopback")
      ->needs(pListen);
  pConnect->add_option("--pty", pOptions->sPty,
                       "Linux: carry the line on a pseudo-terminal reached at this link name; line settings made "
                       "on it are not forwarded (use kesto set --baud)")
      ->excludes(pListen);
  AddTargetOptions(pConnect, &pOptions->target);
  pCommands->push_back({pConnect, [pOptions, pWait](const CommandStreams& io) {
                          pOptions->bWaitGiven = pWait->count() > 0;
                          pOptions->bInputTerminal = platform::IsStandardInputTerminal();
                          pOptions->bOutputTerminal = platform::IsStandardOutputTerminal();
                          return RunConnect(*pOptions, io.out, io.err, StopOnSignals());
                        }});
}
