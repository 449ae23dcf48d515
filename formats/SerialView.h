#ifndef KESTO_FORMATS_SERIALVIEW_H
#define KESTO_FORMATS_SERIALVIEW_H

#include <cstddef>
#include <cstdint>
#include <string>

// How the bytes a device sends down its serial line are shown on a terminal.
enum class SerialShow {
  kRaw,      // as they came
  kEscaped,  // lines as lines; every other control byte as \xHH, so no device steers the terminal
  kHex,      // offset, sixteen bytes in hex, and their printable characters
};

// Turns what arrives, piece by piece, into what the terminal shows; keeps what
// a piece leaves open (a CR waiting for its LF, the hex offset) for the next.
class CSerialView {
 public:
  explicit CSerialView(SerialShow show) : m_show(show) {}
  std::string Show(const uint8_t* pData, size_t nSize);

 private:
  std::string ShowEscaped(const uint8_t* pData, size_t nSize);
  std::string ShowHex(const uint8_t* pData, size_t nSize);

  SerialShow m_show;
  bool m_bPendingCR = false;
  uint64_t m_ullOffset = 0;
};

#endif
