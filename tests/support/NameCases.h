#ifndef KESTO_TESTS_NAMECASES_H
#define KESTO_TESTS_NAMECASES_H

#include <string>
#include <vector>

// One table for the name rule, run through the command line's request and through
// the configuration dialog's model: both must store the same bytes or refuse alike.
struct NameCase {
  const char* pszWhat;
  std::string sRecordName;  // the bytes the device sent
  std::string sTyped;       // what the user typed, UTF-8
  bool bDialogTakes;
  bool bCommandLineTakes;
  std::string sStored;      // the record's name bytes once taken
  const char* pszRefusal;   // part of the message when refused
};

inline const std::vector<NameCase>& NameCases() {
  const std::string e27(27, '\xE9');
  static const std::vector<NameCase> cases = {
      {"Latin-1 letters", "Boiler", "Caf\xC3\xA9 \xC3\xBF", true, true, "Caf\xE9 \xFF", ""},
      {"the ends of the upper half", "Boiler", "\xC2\xA0\xC3\xBF", true, true, "\xA0\xFF", ""},
      // Control characters (C0, DEL, C1) are refused in a new name, as plans refuse them.
      {"a C1 control character", "Boiler", "a\xC2\x80" "b", false, false, "", "control character 0x80"},
      {"the last C1 control character", "Boiler", "\xC2\x9F", false, false, "", "control character 0x9F"},
      {"ESC", "Boiler", "a\x1B[2J", false, false, "", "control character 0x1B"},
      {"TAB", "Boiler", "a\tb", false, false, "", "control character 0x09"},
      {"DEL", "Boiler", "a\x7F", false, false, "", "control character 0x7F"},
      // A device's own name with control bytes, shown and given back unedited, stays.
      {"the record's own name with ESC", "A\x1B" "B", "A\x1B" "B", true, false, "A\x1B" "B", "control character 0x1B"},
      {"a character beyond Latin-1", "Boiler", "\xC5\x81\xC3\xB3" "d\xC5\xBA", false, false, "", "U+0141"},
      {"a character beyond 16 bits", "Boiler", "Pump \xF0\x9F\x98\x80", false, false, "", "U+1F600"},
      {"bytes that are not UTF-8", "Boiler", "Caf\xE9", false, false, "", "not valid UTF-8"},
      {"a NUL", "Boiler", std::string("a\0b", 3), false, false, "", "NUL"},
      {"27 stored bytes from 54 typed", "Boiler", [] {
         std::string s;
         for (int i = 0; i < 27; ++i) s += "\xC3\xA9";
         return s;
       }(), true, true, e27, ""},
      {"28 stored bytes, new", "Boiler", [] {
         std::string s;
         for (int i = 0; i < 28; ++i) s += "\xC3\xA9";
         return s;
       }(), false, false, "", "at most 27"},
      {"empty", "Boiler", "", true, true, "", ""},
      // The dialog shows the record's full name; given back unedited it stays whole.
      // On the command line a name given is a new one: leave --name out to keep it.
      {"the record's own 28-byte name", std::string(28, 'F'), std::string(28, 'F'), true, false,
       std::string(28, 'F'), "at most 27"},
  };
  return cases;
}

#endif
