#include "formats/CountText.h"

std::string CountText(size_t nCount, const char* pszOne, const char* pszMany) {
  return std::to_string(nCount) + " " + (nCount == 1 ? pszOne : pszMany);
}
