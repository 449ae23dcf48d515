#include "version/KestoVersion.h"

#include "KestoVersionDefs.h"

const char* GetKestoVersion() { return KESTO_VERSION_TEXT; }

std::string GetKestoAboutText() {
  return std::string("Tamrel Kesto Manager\nVersion ") + KESTO_VERSION_TEXT +
         "\n\nCopyright (c) 2026 Kesto Manager developers\nReleased under the MIT licence.";
}
