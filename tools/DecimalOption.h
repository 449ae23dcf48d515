#ifndef KESTO_TOOLS_DECIMALOPTION_H
#define KESTO_TOOLS_DECIMALOPTION_H

#include <string>

#include <CLI/CLI.hpp>

#include "tools/DecimalText.h"

// An integer option read by ParseDecimal, for every number the two programs take:
// CLI11 on its own reads "010" as octal and "0x50" as hex. A refused value is a
// ValidationError, which the mains turn into exit code 2 with the message.
template <typename T>
CLI::Option* AddDecimalOption(CLI::App* pApp, const std::string& sName, T* pValue, long long llMin, long long llMax,
                              const std::string& sHelp) {
  auto read = [pValue, llMin, llMax, sName](const std::string& sText) {
    long long llValue = 0;
    std::string sError;
    if (!ParseDecimal(sText, llMin, llMax, &llValue, &sError)) throw CLI::ValidationError(sName, sError);
    *pValue = static_cast<T>(llValue);
  };
  return pApp->add_option_function<std::string>(sName, read, sHelp)->type_name("INT");
}

#endif
