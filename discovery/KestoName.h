#ifndef KESTO_DISCOVERY_KESTONAME_H
#define KESTO_DISCOVERY_KESTONAME_H

#include <string>
#include <string_view>

#include "discovery/KestoRecord.h"

// Record texts are Latin-1: each byte is the character of the same number. Texts typed
// by a user (UTF-8 on the command line, Unicode in a window) go through these, so a
// name shown, listed or exported comes back as the same bytes.

// Each byte as the UTF-8 form of the Latin-1 character of the same number.
std::string Latin1ToUtf8(std::string_view bytes);
// False when the text holds a character above U+00FF or is not valid UTF-8.
bool Utf8ToLatin1(std::string_view text, std::string* psBytes);

// The one rule for a device name a user gives (UTF-8): every character must be one of
// Latin-1's (U+0001 to U+00FF) but no control character (C0, DEL, C1), and a new name
// takes at most KESTO_NAME_MAX bytes, so a NUL still ends it inside the field. A text whose bytes equal sCurrent (the name the
// record holds, which may fill all 28 bytes) is the name left as it was and passes.
// On success *psBytes holds the record bytes; otherwise *psError says why, in a
// sentence that fits after "Name: " or "--name: ".
bool NameFromText(std::string_view text, std::string_view sCurrent, std::string* psBytes, std::string* psError);

// Writes name bytes into szName: clears its 28 bytes and copies up to all 28 of them (a
// full field has no NUL, as devices send it); iPort is never touched.
void SetRecordNameField(KESTO_RECORD& record, std::string_view bytes);

// The record's name bytes, up to the first NUL or all 28.
std::string RecordNameBytes(const KESTO_RECORD& record);

#endif
