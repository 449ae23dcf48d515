#ifndef KESTO_TESTS_WIN32_SELFTESTOPTIONS_H
#define KESTO_TESTS_WIN32_SELFTESTOPTIONS_H

#include <cstdint>
#include <string>

// The self-test harness of the native front end (kesto-manager-selftest.exe): run until the list shows
// nExpect rows (or dwTimeoutMs passed), write what the list view holds to
// sReport, optionally capture both windows, then end. Used by the Wine tests
// and the screenshot script; the shipped program has none of it.
struct SelfTestOptions {
  std::string sReport;           // --self-test=FILE; empty: the mode is off
  int nExpect = 1;               // --expect=N
  uint32_t dwTimeoutMs = 15000;  // --timeout=MS
  std::string sMainShot;         // --screenshot=FILE.bmp
  std::string sConfigShot;       // --config-screenshot=FILE.bmp: the dialog on the top row
  // --set-ip=a.b.c.d: then give the top row's device this address through "Basic
  // Config..." and wait (within the timeout) until its row shows it.
  bool bSetIP = false;
  uint32_t dwSetIP = 0;
  // --share-ip: the same with the second row's address, so both rows carry the shared-address mark.
  bool bShareIP = false;
  std::string sFilter;  // --filter=TEXT: typed into the filter box before the captures
  // --more-screenshots=DIR: after the others, the window with every row selected, the
  // form for them, a plan's preview and the undo's preview of the --share-ip change
  // (logged to a change log in DIR), as win32-*.bmp in DIR.
  std::string sMoreShots;

  bool IsOn() const { return !sReport.empty(); }
};

// False with a reason for an argument it does not know or a bad number.
bool ParseSelfTestOptions(int argc, char** argv, SelfTestOptions* pOptions, std::string* psError);

#endif
