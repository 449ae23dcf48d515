#ifndef KESTO_TOOLS_DOCTOR_DOCTORREPORT_H
#define KESTO_TOOLS_DOCTOR_DOCTORREPORT_H

#include <iosfwd>

#include "tools/doctor/DoctorCheck.h"

// "ok       adapter   eth0 10.0.0.2/24 up", each fix on a line of its own below.
void PrintDoctorChecks(const DoctorChecks& checks, std::ostream& out);
// {"ok":false,"checks":[{"area":..,"verdict":..,"text":..,"fixes":[..]}]}, ASCII only.
void PrintDoctorJson(const DoctorChecks& checks, std::ostream& out);

#endif
