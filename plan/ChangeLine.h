#ifndef KESTO_PLAN_CHANGELINE_H
#define KESTO_PLAN_CHANGELINE_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "discovery/KestoRecord.h"

// What became of settings sent to one device.
enum class ChangeOutcome { kConfirmed, kNotConfirmed, kNotSent };
const char* ChangeOutcomeText(ChangeOutcome outcome);

// One line of the change log. A change is two lines sharing an id: "send",
// written before the datagram goes out, with the device's record before and the
// record sent (each as its 100 wire bytes in hex and as readable fields), and
// "outcome", written once it is known.
struct ChangeLine {
  enum class Kind { kSend, kOutcome };
  Kind kind = Kind::kSend;
  int64_t llTimeMs = 0;  // ms since 1970-01-01 UTC
  std::string sId;
  std::array<uint8_t, 6> mac{};
  std::string sBy;      // the front end that sent it: "kesto set", "window", ...
  std::string sUndoOf;  // a send that takes back an earlier change: that change's id
  KESTO_RECORD old{};   // kSend: the device's record as it last answered
  KESTO_RECORD sent{};  // kSend: the record sent
  ChangeOutcome outcome = ChangeOutcome::kNotConfirmed;  // kOutcome
};

// The line as one line of JSON, without the line end.
std::string ChangeLineToJson(const ChangeLine& line);
// Reads a line written by ChangeLineToJson; false for anything else (the
// records come from the hex bytes, which must hold the line's MAC).
bool ChangeLineFromJson(std::string_view text, ChangeLine* pLine);

#endif
