#ifndef KESTO_COMMON_ZNRECT_H
#define KESTO_COMMON_ZNRECT_H

#include <cstdint>

// A rectangle with inclusive right and bottom edges, in the layout of the
// Windows RECT.
struct ZNRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  bool operator==(const ZNRect&) const = default;
};

#endif
