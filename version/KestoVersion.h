// The version every program shows: on --version and in the About boxes.
#ifndef KESTO_VERSION_KESTOVERSION_H
#define KESTO_VERSION_KESTOVERSION_H

#include <string>

// "0.1.0", or "0.1.0 (0a1b2c3-dirty)" when built from a git checkout.
const char* GetKestoVersion();

// The About box's text: program name, version, copyright and licence.
std::string GetKestoAboutText();

#endif
