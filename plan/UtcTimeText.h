#ifndef KESTO_PLAN_UTCTIMETEXT_H
#define KESTO_PLAN_UTCTIMETEXT_H

#include <cstdint>
#include <string>
#include <string_view>

// Milliseconds since 1970-01-01 UTC as "2026-12-10T02:30:00.123Z".
std::string FormatUtcMs(int64_t llMs);

// Reads "YYYY-MM-DD", "YYYY-MM-DDTHH:MM", "YYYY-MM-DDTHH:MM:SS" (a space for the T,
// an optional trailing Z, optional .mmm) as UTC; false for anything else.
bool ParseUtcMs(std::string_view text, int64_t* pllMs);

// A TIME for --since: a UTC time as above, or an age before llNowMs such as
// "90s", "30m", "2h" or "7d".
bool ParseSinceMs(std::string_view text, int64_t llNowMs, int64_t* pllMs);

// The wall clock now, in milliseconds since 1970-01-01 UTC.
int64_t UtcNowMs();

#endif
