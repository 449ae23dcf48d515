#include "tools/DecimalText.h"

#include <cstdlib>

#include "COMMON/ZNFail.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string RangeText(long long llMin, long long llMax) {
  return "a decimal number from " + std::to_string(llMin) + " to " + std::to_string(llMax);
}

}  // namespace

bool ParseDecimal(std::string_view text, long long llMin, long long llMax, long long* pllValue, std::string* psError) {
  const std::string sWanted = "\"" + std::string(text) + "\" is not " + RangeText(llMin, llMax);
  const bool bNegative = !text.empty() && text.front() == '-' && llMin < 0;
  std::string_view digits = bNegative ? text.substr(1) : text;
  if (digits.empty()) return Fail(psError, sWanted);
  // Counted towards the bound as it grows, so no length of digits can overflow.
  const unsigned long long ullBound = bNegative ? 0ull - static_cast<unsigned long long>(llMin)
                                                : static_cast<unsigned long long>(llMax < 0 ? 0 : llMax);
  unsigned long long ullValue = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return Fail(psError, sWanted);
    const auto uDigit = static_cast<unsigned>(c - '0');
    if (uDigit > ullBound || ullValue > (ullBound - uDigit) / 10) return Fail(psError, sWanted);
    ullValue = ullValue * 10 + uDigit;
  }
  const long long llValue = bNegative ? static_cast<long long>(0ull - ullValue) : static_cast<long long>(ullValue);
  if (llValue < llMin || llValue > llMax) return Fail(psError, sWanted);
  *pllValue = llValue;
  return true;
}

bool ParseDecimalFraction(std::string_view text, double* pdValue, std::string* psError) {
  const std::string sWanted = "\"" + std::string(text) + "\" is not a decimal fraction from 0 to 1 (such as 0.25)";
  size_t nDigits = 0, nPoints = 0;
  for (char c : text) {
    if (IsDigit(c)) ++nDigits;
    else if (c == '.') ++nPoints;
    else return Fail(psError, sWanted);
  }
  if (nDigits == 0 || nPoints > 1 || text.size() > 64) return Fail(psError, sWanted);
  const double dValue = std::strtod(std::string(text).c_str(), nullptr);
  if (!(dValue >= 0.0 && dValue <= 1.0)) return Fail(psError, sWanted);
  *pdValue = dValue;
  return true;
}
