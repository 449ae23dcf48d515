// kesto-manager-selftest.exe: the shipped program's run under the self-test
// watcher, for the Wine end-to-end test and the screenshot script.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/win32/ProgramRun.h"
#include "tests/win32/SelfTest.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SelfTestOptions options;
  std::string sError;
  if (!ParseSelfTestOptions(__argc, __argv, &options, &sError) || !options.IsOn()) {
    std::fprintf(stderr, "kesto-manager-selftest: %s\n", sError.empty() ? "needs --self-test=FILE" : sError.c_str());
    return 2;
  }
  // It runs unattended, so it never broadcasts: it needs a target.
  if (std::getenv("KESTO_TARGET") == nullptr) {
    std::fputs("kesto-manager-selftest: needs KESTO_TARGET=a.b.c.d:port\n", stderr);
    return 2;
  }
  CSelfTest selfTest(options);
  return RunKestoManager(&selfTest);
}
