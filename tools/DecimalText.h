#ifndef KESTO_TOOLS_DECIMALTEXT_H
#define KESTO_TOOLS_DECIMALTEXT_H

#include <string>
#include <string_view>

// Reads a whole number from llMin to llMax written in decimal digits only, with a
// leading '-' where the range has negative numbers. Leading zeros change nothing
// ("010" is 10, as in an address octet); "0x50", "0b1", "1e3", "+5", " 5" and ""
// are refused. On failure *psError says why and *pllValue is left alone.
bool ParseDecimal(std::string_view text, long long llMin, long long llMax, long long* pllValue, std::string* psError);

// Reads a fraction from 0 to 1 written as decimal digits with at most one point
// ("0.25", ".5", "1"); no sign, exponent, NaN or infinity.
bool ParseDecimalFraction(std::string_view text, double* pdValue, std::string* psError);

#endif
