#ifndef KESTO_PLAN_SETREQUEST_H
#define KESTO_PLAN_SETREQUEST_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "discovery/KestoRecord.h"
#include "discovery/KestoRecordRules.h"
#include "discovery/KestoSettingsChange.h"

// The settings of one device as typed (`kesto set`'s options, a plan's cells), before they are checked.
struct SetOptionsText {
  std::optional<std::string> sName;
  std::optional<std::string> sIPAddress;
  std::optional<std::string> sNetMask;
  std::optional<std::string> sGateway;
  std::optional<std::string> sDNS;
  std::optional<std::string> sType;
  std::optional<std::string> sProtocol;
  std::optional<std::string> sBaud;
};

// The words --type and --protocol take: the dialog's texts in lower case.
std::string TypeOptionWord(int8_t cType);
std::string ProtocolOptionWord(int16_t shProtocol);
// Every word an option takes, joined by ", ", the last by sLastJoin (", " or " or ").
std::string TypeOptionWords(std::string_view sLastJoin);
std::string ProtocolOptionWords(std::string_view sLastJoin);

// Reads the typed options into a settings change, each field the way the
// configuration dialog hands it back (type code, protocol 0 or 1, the baud rate
// cut to 16 bits); the name typed in UTF-8 becomes the record's Latin-1 bytes.
class CSetRequest {
 public:
  // Checks every field; on the first bad one returns false with a message that
  // starts with the field's name ("netmask: ...", as a plan's column is named) and
  // that name in *psField. A request with no field at all is refused with *psField
  // empty. A command line adds its own option words ("--") to either.
  static bool Parse(const SetOptionsText& text, CKestoSettingsChange* pChange, std::string* psError,
                    std::string* psField = nullptr);
};

#endif
