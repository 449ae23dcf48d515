#ifndef KESTO_COMMON_ZNPRINTF_H
#define KESTO_COMMON_ZNPRINTF_H

#include <string>

// printf-style formatting into a new string, for the library's fixed text forms.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string ZNPrintf(const char* pszFormat, ...);

#endif
