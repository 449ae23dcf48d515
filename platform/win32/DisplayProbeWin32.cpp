#include "platform/DisplayProbe.h"

namespace platform {

// A Windows session always has a desktop to show windows on.
bool FindDisplay(int /*iTimeoutMs*/, std::string* /*psProblem*/) { return true; }

}  // namespace platform
