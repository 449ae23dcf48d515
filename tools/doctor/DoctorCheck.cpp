#include "tools/doctor/DoctorCheck.h"

#include <algorithm>

const char* VerdictName(DoctorCheck::Verdict verdict) {
  switch (verdict) {
    case DoctorCheck::kOk: return "ok";
    case DoctorCheck::kInfo: return "info";
    case DoctorCheck::kWarning: return "warning";
    case DoctorCheck::kProblem: return "problem";
    case DoctorCheck::kUnknown: return "unknown";
  }
  return "unknown";
}

bool AnythingWrong(const DoctorChecks& checks) {
  return std::any_of(checks.begin(), checks.end(), [](const DoctorCheck& check) {
    return check.verdict == DoctorCheck::kWarning || check.verdict == DoctorCheck::kProblem;
  });
}
