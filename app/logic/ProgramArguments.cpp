#include "app/logic/ProgramArguments.h"

#include <cstring>

#include "plan/ChangeLog.h"
#include "version/KestoVersion.h"

namespace {
const char kUsage[] =
    "Usage: kesto-manager [--help] [--version]\n"
    "Finds the Kesto devices on the local network by broadcast on UDP port 1444, lists them live,\n"
    "changes their settings and opens their web pages, in a window.\n"
    "\n"
    "Without a display, `kesto list`, `kesto watch` and `kesto serve` find and follow the devices\n"
    "from the command line; `kesto doctor` says why none are found.\n"
    "\n"
    "Environment: KESTO_TARGET=A.B.C.D:PORT probes that one host instead of broadcasting (for\n"
    "developers: a kesto-sim on 127.0.0.1, for instance).\n";
}  // namespace

int AnswerProgramArguments(int argc, char* argv[], std::FILE* pOut) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, pOut);
      std::fprintf(pOut, "Settings sent are logged to %s.\n", CChangeLog::DefaultPath().c_str());
      std::fputs("Exit status: 0 when the window is closed; 1 without a display; 2 when KESTO_TARGET is not an\n"
                 "address and port.\n",
                 pOut);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fprintf(pOut, "kesto-manager %s\n", GetKestoVersion());
      return 0;
    }
  }
  return -1;
}
