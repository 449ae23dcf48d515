#include "app/logic/SerialTerminalSession.h"

#include <vector>

#include "discovery/KestoName.h"
#include "formats/HexText.h"
#include "formats/SerialLineText.h"
#include "platform/TickCount.h"

namespace {

// What one Poll takes at most, so a flooding device cannot hold the window's loop.
constexpr size_t kPollBytes = 64 * 1024;

bool ParseHexBytes(const std::string& sText, std::vector<uint8_t>* pBytes, std::string* psError) {
  int iHigh = -1;
  for (char c : sText) {
    if (c == ' ' || c == '\t' || c == ',') {
      if (iHigh >= 0) {
        *psError = "write each byte as two hex digits, such as 0d 0a";
        return false;
      }
      continue;
    }
    const int iValue = HexDigitValue(c);
    if (iValue < 0) {
      *psError = "\"" + std::string(1, c) + "\" is not a hex digit";
      return false;
    }
    if (iHigh < 0) {
      iHigh = iValue;
    } else {
      pBytes->push_back(static_cast<uint8_t>(iHigh << 4 | iValue));
      iHigh = -1;
    }
  }
  if (iHigh >= 0) {
    *psError = "write each byte as two hex digits, such as 0d 0a";
    return false;
  }
  return true;
}

}  // namespace

CSerialTerminalSession::CSerialTerminalSession(const KESTO_RECORD& device) : m_device(device) {}

bool CSerialTerminalSession::Connect(int iTimeoutMs, std::string* psError) {
  Close();
  if (std::string sNoPort = NoSerialPortText(m_device); !sNoPort.empty()) {
    *psError = sNoPort;
    return false;
  }
  platform::TcpConnectError error = platform::TcpConnectError::kNone;
  std::string sError;
  m_pStream = platform::TcpStream::Connect({m_device.dwIPAddress, static_cast<uint16_t>(m_device.iPort)}, iTimeoutMs,
                                           &error, &sError);
  if (!m_pStream) {
    *psError = ConnectFailureText(m_device, error, iTimeoutMs, sError);
    return false;
  }
  m_dwConnectedAt = platform::GetTickCount32();
  return true;
}

void CSerialTerminalSession::Close() { m_pStream.reset(); }

std::string CSerialTerminalSession::Poll(std::string* psEnded) {
  std::string sShown;
  uint8_t byBuffer[4096];
  size_t nTaken = 0;
  while (m_pStream && nTaken < kPollBytes && m_pStream->WaitReadable(0)) {
    const long lGot = m_pStream->Receive(byBuffer, sizeof byBuffer);
    if (lGot <= 0) {
      const bool bBusy = m_ullReceived == 0 && platform::GetTickCount32() - m_dwConnectedAt < kSerialBusyCloseMs;
      *psEnded = bBusy ? SerialBusyText(m_device) : "the device closed the connection";
      Close();
      break;
    }
    nTaken += static_cast<size_t>(lGot);
    m_ullReceived += static_cast<uint64_t>(lGot);
    Log('<', byBuffer, static_cast<size_t>(lGot));
    sShown += m_view.Show(byBuffer, static_cast<size_t>(lGot));
  }
  return sShown;
}

void CSerialTerminalSession::ShowHex(bool bHex) { m_view = CSerialView(bHex ? SerialShow::kHex : SerialShow::kEscaped); }

bool CSerialTerminalSession::Send(const std::string& sUtf8, bool bHex, const std::string& sLineEnd,
                                  std::string* psError) {
  if (!m_pStream) {
    *psError = "not connected";
    return false;
  }
  std::vector<uint8_t> bytes;
  if (bHex) {
    if (!ParseHexBytes(sUtf8, &bytes, psError)) return false;
  } else {
    std::string sLatin1;
    if (!Utf8ToLatin1(sUtf8, &sLatin1)) {
      *psError = "the line holds characters beyond Latin-1; send them as hex bytes";
      return false;
    }
    sLatin1 += sLineEnd;
    bytes.assign(sLatin1.begin(), sLatin1.end());
  }
  if (bytes.empty()) return true;
  if (!m_pStream->SendAll(bytes.data(), bytes.size())) {
    *psError = "the connection was lost while sending";
    Close();
    return false;
  }
  m_ullSent += bytes.size();
  Log('>', bytes.data(), bytes.size());
  return true;
}

bool CSerialTerminalSession::StartLog(const std::string& sPath, std::string* psError) {
  m_log.close();
  m_log.open(sPath, std::ios::binary | std::ios::app);
  if (!m_log) {
    *psError = "cannot open the log " + sPath;
    return false;
  }
  return true;
}

void CSerialTerminalSession::Log(char cDirection, const uint8_t* pData, size_t nSize) {
  if (m_log.is_open()) m_log << SerialLogLine(SerialLogTimeNow(), cDirection, pData, nSize) << std::flush;
}
