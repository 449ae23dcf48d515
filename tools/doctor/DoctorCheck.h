#ifndef KESTO_TOOLS_DOCTOR_DOCTORCHECK_H
#define KESTO_TOOLS_DOCTOR_DOCTORCHECK_H

#include <string>
#include <vector>

// One line of `kesto doctor`: what was looked at, the verdict, and where
// something is wrong, what to type or do about it.
struct DoctorCheck {
  enum Verdict { kOk, kInfo, kWarning, kProblem, kUnknown };
  std::string sArea;  // "adapter", "route", "firewall", "probe"
  Verdict verdict = kOk;
  std::string sText;
  std::vector<std::string> fixes;  // commands or steps, one per line
};
using DoctorChecks = std::vector<DoctorCheck>;

// "ok", "info", "warning", "problem", "unknown".
const char* VerdictName(DoctorCheck::Verdict verdict);
// Whether the checks found something wrong: a warning or a problem. A check that could not
// be made is said as such but is no fault of the setup.
bool AnythingWrong(const DoctorChecks& checks);

#endif
