#include "formats/SerialView.h"

#include <cstdio>
#include <string_view>

#include "formats/HexText.h"
#include "formats/TerminalText.h"

std::string CSerialView::Show(const uint8_t* pData, size_t nSize) {
  switch (m_show) {
    case SerialShow::kRaw:
      return std::string(reinterpret_cast<const char*>(pData), nSize);
    case SerialShow::kEscaped:
      return ShowEscaped(pData, nSize);
    case SerialShow::kHex:
      return ShowHex(pData, nSize);
  }
  return {};
}

std::string CSerialView::ShowEscaped(const uint8_t* pData, size_t nSize) {
  std::string sOut;
  std::string sText;  // the bytes of the line so far, escaped together
  auto flush = [&] {
    sOut += TerminalText(sText);
    sText.clear();
  };
  for (size_t i = 0; i < nSize; ++i) {
    const char c = static_cast<char>(pData[i]);
    // CR LF and LF alike end a line; a CR not followed by LF is shown as \r.
    if (m_bPendingCR && c != '\n') sText += '\r';
    m_bPendingCR = false;
    if (c == '\n') {
      flush();
      sOut += '\n';
    } else if (c == '\r') {
      m_bPendingCR = true;
    } else {
      sText += c;
    }
  }
  flush();
  return sOut;
}

std::string CSerialView::ShowHex(const uint8_t* pData, size_t nSize) {
  std::string sOut;
  for (size_t i = 0; i < nSize; i += 16) {
    const size_t n = nSize - i < 16 ? nSize - i : 16;
    char szOffset[16];
    std::snprintf(szOffset, sizeof szOffset, "%08llx ", static_cast<unsigned long long>(m_ullOffset));
    sOut += szOffset;
    for (size_t j = 0; j < 16; ++j) {
      if (j < n) {
        sOut += ' ';
        sOut += HexBytes(pData + i + j, 1);
      } else {
        sOut += "   ";
      }
    }
    sOut += "  |";
    for (size_t j = 0; j < n; ++j) {
      const uint8_t by = pData[i + j];
      sOut += by >= 0x20 && by < 0x7F ? static_cast<char>(by) : '.';
    }
    sOut += "|\n";
    m_ullOffset += n;
  }
  return sOut;
}
