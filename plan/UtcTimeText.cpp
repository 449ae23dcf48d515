#include "plan/UtcTimeText.h"

#include <chrono>
#include <cstdio>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* py, unsigned* pm, unsigned* pd) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *pd = doy - (153 * mp + 2) / 5 + 1;
  *pm = mp < 10 ? mp + 3 : mp - 9;
  *py = static_cast<int>(yoe + era * 400 + (*pm <= 2));
}

// Reads exactly nDigits decimal digits at *pPos.
bool Digits(std::string_view text, size_t* pPos, size_t nDigits, unsigned* pValue) {
  if (text.size() < *pPos + nDigits) return false;
  unsigned value = 0;
  for (size_t i = 0; i < nDigits; ++i) {
    const char c = text[*pPos + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  *pPos += nDigits;
  *pValue = value;
  return true;
}

bool Char(std::string_view text, size_t* pPos, char c) {
  if (*pPos >= text.size() || text[*pPos] != c) return false;
  ++*pPos;
  return true;
}

}  // namespace

std::string FormatUtcMs(int64_t llMs) {
  const int64_t llDays = (llMs >= 0 ? llMs : llMs - 86399999) / 86400000;
  const int64_t llDayMs = llMs - llDays * 86400000;
  int y = 0;
  unsigned m = 0, d = 0;
  CivilFromDays(llDays, &y, &m, &d);
  char szText[40];
  std::snprintf(szText, sizeof szText, "%04d-%02u-%02uT%02u:%02u:%02u.%03uZ", y, m, d,
                static_cast<unsigned>(llDayMs / 3600000), static_cast<unsigned>(llDayMs / 60000 % 60),
                static_cast<unsigned>(llDayMs / 1000 % 60), static_cast<unsigned>(llDayMs % 1000));
  return szText;
}

bool ParseUtcMs(std::string_view text, int64_t* pllMs) {
  size_t nPos = 0;
  unsigned y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0, ms = 0;
  if (!Digits(text, &nPos, 4, &y) || !Char(text, &nPos, '-') || !Digits(text, &nPos, 2, &m) ||
      !Char(text, &nPos, '-') || !Digits(text, &nPos, 2, &d))
    return false;
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  if (Char(text, &nPos, 'T') || Char(text, &nPos, ' ')) {
    if (!Digits(text, &nPos, 2, &hh) || !Char(text, &nPos, ':') || !Digits(text, &nPos, 2, &mm)) return false;
    if (Char(text, &nPos, ':') && !Digits(text, &nPos, 2, &ss)) return false;
    if (Char(text, &nPos, '.') && !Digits(text, &nPos, 3, &ms)) return false;
    if (hh > 23 || mm > 59 || ss > 59) return false;
  }
  Char(text, &nPos, 'Z');
  if (nPos != text.size()) return false;
  *pllMs = DaysFromCivil(y, m, d) * 86400000 + ((hh * 60 + mm) * 60 + ss) * int64_t{1000} + ms;
  return true;
}

bool ParseSinceMs(std::string_view text, int64_t llNowMs, int64_t* pllMs) {
  if (ParseUtcMs(text, pllMs)) return true;
  if (text.size() < 2 || text.size() > 8) return false;
  int64_t llCount = 0;
  for (char c : text.substr(0, text.size() - 1)) {
    if (c < '0' || c > '9') return false;
    llCount = llCount * 10 + (c - '0');
  }
  int64_t llUnitMs = 0;
  switch (text.back()) {
    case 's': llUnitMs = 1000; break;
    case 'm': llUnitMs = 60000; break;
    case 'h': llUnitMs = 3600000; break;
    case 'd': llUnitMs = 86400000; break;
    default: return false;
  }
  *pllMs = llNowMs - llCount * llUnitMs;
  return true;
}

int64_t UtcNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}
