#ifndef KESTO_APP_LOGIC_SERIALTERMINALSESSION_H
#define KESTO_APP_LOGIC_SERIALTERMINALSESSION_H

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "discovery/KestoRecord.h"
#include "formats/SerialView.h"
#include "platform/TcpStream.h"

// The serial terminal window's state without a toolkit: the connection to one
// device's line, what arrives shown as text or hex, what is typed sent as text
// or as hex bytes, and an optional log of both directions.
class CSerialTerminalSession {
 public:
  explicit CSerialTerminalSession(const KESTO_RECORD& device);

  // Connects to the device's address and port; false with the reason to show.
  bool Connect(int iTimeoutMs, std::string* psError);
  bool IsConnected() const { return m_pStream != nullptr; }
  void Close();

  // Takes what has arrived, without waiting, as the view shows it. When the
  // device closes the line, the session closes and *psEnded says why.
  std::string Poll(std::string* psEnded);

  // The view for what arrives from now on.
  void ShowHex(bool bHex);
  // Sends a typed line: text (Latin-1, as the device's own texts) followed by
  // sLineEnd; or, with bHex, bytes written as hex pairs ("01 0d ff", spaces
  // optional). False with the reason; nothing is sent then.
  bool Send(const std::string& sUtf8, bool bHex, const std::string& sLineEnd, std::string* psError);

  bool StartLog(const std::string& sPath, std::string* psError);
  void StopLog() { m_log.close(); }

  uint64_t BytesSent() const { return m_ullSent; }
  uint64_t BytesReceived() const { return m_ullReceived; }
  const KESTO_RECORD& Device() const { return m_device; }

 private:
  void Log(char cDirection, const uint8_t* pData, size_t nSize);

  KESTO_RECORD m_device;
  std::unique_ptr<platform::TcpStream> m_pStream;
  CSerialView m_view{SerialShow::kEscaped};
  std::ofstream m_log;
  uint32_t m_dwConnectedAt = 0;
  uint64_t m_ullSent = 0;
  uint64_t m_ullReceived = 0;
};

#endif
