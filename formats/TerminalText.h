#ifndef KESTO_FORMATS_TERMINALTEXT_H
#define KESTO_FORMATS_TERMINALTEXT_H

#include <cstddef>
#include <string>
#include <string_view>

// A device's text (record bytes, taken as Latin-1) as UTF-8 that cannot steer a
// terminal or a list view: printable characters pass, a backslash is doubled,
// and TAB, LF and CR become \t, \n and \r; every other control character (C0,
// DEL, C1 0x80-0x9F) becomes \xHH with two lower-case hex digits. The result
// holds no byte below 0x20, no DEL and no C1 character, and reads back to the
// same bytes. Every device text a terminal or the window shows goes through here.
std::string TerminalText(std::string_view bytes);

// TerminalText in double quotes, with a quote inside written \", so a text
// cannot close its quotes early and forge what follows on the line.
std::string QuotedTerminalText(std::string_view bytes);

// A message in UTF-8 that quotes what someone typed or a plan held: every control
// character (C0 and DEL as bytes, C1 in its two-byte UTF-8 form) becomes \xHH, the
// rest passes, so the message cannot steer the terminal it is printed on.
std::string WithoutControls(std::string_view utf8);

// How many characters a UTF-8 text takes on screen, counting one per character,
// which holds for everything TerminalText writes: columns are padded by this.
size_t DisplayWidth(std::string_view utf8);

#endif
