#ifndef KESTO_APP_LOGIC_TARGETOPTION_H
#define KESTO_APP_LOGIC_TARGETOPTION_H

#include <string>
#include <string_view>

#include "platform/Ipv4Endpoint.h"

// Reads the developer setting KESTO_TARGET, "a.b.c.d:port", which points the
// finder at one host (loopback, for measuring) instead of the broadcast address.
// False with a reason for anything else, so a typo never falls back to broadcasting.
bool ParseTargetOption(std::string_view text, platform::Ipv4Endpoint* pTarget, std::string* psError);

#endif
