#include "discovery/KestoName.h"

#include <cstdio>
#include <cstring>

#include "COMMON/ZNFail.h"

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string sText;
  sText.reserve(bytes.size());
  for (char c : bytes) {
    const auto byChar = static_cast<unsigned char>(c);
    if (byChar < 0x80) {
      sText += c;
    } else {
      sText += static_cast<char>(0xC0 | byChar >> 6);
      sText += static_cast<char>(0x80 | (byChar & 0x3F));
    }
  }
  return sText;
}

bool Utf8ToLatin1(std::string_view text, std::string* psBytes) {
  std::string sBytes;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byLead = static_cast<unsigned char>(text[i]);
    if (byLead < 0x80) {
      sBytes += static_cast<char>(byLead);
      continue;
    }
    // Only the two-byte forms of U+0080 to U+00FF map back onto one byte.
    if ((byLead != 0xC2 && byLead != 0xC3) || i + 1 >= text.size()) return false;
    const auto byNext = static_cast<unsigned char>(text[++i]);
    if ((byNext & 0xC0) != 0x80) return false;
    sBytes += static_cast<char>((byLead & 0x03) << 6 | (byNext & 0x3F));
  }
  *psBytes = std::move(sBytes);
  return true;
}

namespace {

// The first character of the text that Latin-1 has no byte for, as "U+XXXX", or "" when
// the text is not valid UTF-8 there.
std::string FirstRefused(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto by = static_cast<unsigned char>(text[i]);
    size_t nLength = by < 0x80 ? 1 : by >= 0xF0 ? 4 : by >= 0xE0 ? 3 : by >= 0xC0 ? 2 : 0;
    if (nLength == 0 || i + nLength > text.size()) return {};
    uint32_t dwCode = nLength == 1 ? by : by & (0x7F >> nLength);
    for (size_t k = 1; k < nLength; ++k) {
      const auto byNext = static_cast<unsigned char>(text[i + k]);
      if ((byNext & 0xC0) != 0x80) return {};
      dwCode = dwCode << 6 | (byNext & 0x3F);
    }
    if (dwCode > 0xFF) {
      char szCode[16];
      std::snprintf(szCode, sizeof szCode, "U+%04X", static_cast<unsigned>(dwCode));
      return szCode;
    }
    i += nLength;
  }
  return {};
}

}  // namespace

bool NameFromText(std::string_view text, std::string_view sCurrent, std::string* psBytes, std::string* psError) {
  std::string sBytes;
  if (!Utf8ToLatin1(text, &sBytes)) {
    const std::string sCode = FirstRefused(text);
    if (sCode.empty()) return Fail(psError, "the name is not valid UTF-8 text");
    return Fail(psError, "the name holds " + sCode +
                             ", which a device name cannot store: only Latin-1 characters (U+0001 to U+00FF) fit");
  }
  if (sBytes.find('\0') != std::string::npos)
    return Fail(psError, "the name holds a NUL character, which would end it");
  // A device may hold control bytes and keep them; a new name brings none, so what it
  // shows on terminals and in files stays what was typed.
  if (sBytes != sCurrent) {
    for (char c : sBytes) {
      const auto by = static_cast<unsigned char>(c);
      if (by < 0x20 || (by >= 0x7F && by < 0xA0)) {
        char szCode[8];
        std::snprintf(szCode, sizeof szCode, "0x%02X", static_cast<unsigned>(by));
        return Fail(psError, std::string("the name holds the control character ") + szCode +
                                 ", which a new name cannot take");
      }
    }
  }
  if (sBytes != sCurrent && sBytes.size() > KESTO_NAME_MAX)
    return Fail(psError, "the name takes " + std::to_string(sBytes.size()) + " bytes; a device name holds at most " +
                             std::to_string(KESTO_NAME_MAX));
  *psBytes = std::move(sBytes);
  return true;
}

void SetRecordNameField(KESTO_RECORD& record, std::string_view bytes) {
  std::memset(record.szName, 0, sizeof record.szName);
  std::memcpy(record.szName, bytes.data(), bytes.size() < sizeof record.szName ? bytes.size() : sizeof record.szName);
}

std::string RecordNameBytes(const KESTO_RECORD& record) { return FieldText(record.szName, sizeof record.szName); }
