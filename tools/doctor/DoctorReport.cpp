#include "tools/doctor/DoctorReport.h"

#include <iomanip>
#include <ostream>

#include <nlohmann/json.hpp>

void PrintDoctorChecks(const DoctorChecks& checks, std::ostream& out) {
  for (const DoctorCheck& check : checks) {
    out << std::left << std::setw(9) << VerdictName(check.verdict) << std::setw(10) << check.sArea << check.sText
        << "\n";
    for (const std::string& sFix : check.fixes) out << std::string(19, ' ') << "fix: " << sFix << "\n";
  }
  out.flush();
}

void PrintDoctorJson(const DoctorChecks& checks, std::ostream& out) {
  nlohmann::json report = nlohmann::json::object();
  report["ok"] = !AnythingWrong(checks);
  report["checks"] = nlohmann::json::array();
  for (const DoctorCheck& check : checks) {
    report["checks"].push_back(
        {{"area", check.sArea}, {"verdict", VerdictName(check.verdict)}, {"text", check.sText}, {"fixes", check.fixes}});
  }
  out << report.dump(1, ' ', true, nlohmann::json::error_handler_t::replace) << "\n";
  out.flush();
}
