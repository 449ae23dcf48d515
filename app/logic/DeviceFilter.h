#ifndef KESTO_APP_LOGIC_DEVICEFILTER_H
#define KESTO_APP_LOGIC_DEVICEFILTER_H

#include <string>
#include <string_view>

#include "app/logic/DeviceListView.h"

// The filter box's rule: a row matches when the text, ignoring case, occurs in
// its name, its MAC address as shown or without the separators, its IP address
// or its version. An empty (or all-blank) text matches every row.
class CDeviceFilter {
 public:
  // Leading and trailing blanks are dropped, so a stray space hides nothing.
  void SetText(std::string_view text);
  const std::string& GetText() const { return m_sNeedle; }

  bool Matches(const DeviceRowTexts& texts) const;

 private:
  bool Contains(std::string_view haystack) const;

  std::string m_sNeedle;  // lower case
};

#endif
