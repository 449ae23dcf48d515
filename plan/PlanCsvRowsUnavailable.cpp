// Chosen by CMake when libcsv is not found (the Windows cross build).
#include "plan/PlanCsvRows.h"

bool SplitCsvRows(std::string_view, size_t, size_t, CsvRows*, std::string* psError) {
  *psError = "this build reads JSON plans only (it was built without libcsv)";
  return false;
}

bool CsvPlansAvailable() { return false; }
