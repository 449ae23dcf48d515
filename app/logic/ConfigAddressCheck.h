// The address rule moved to plan/, where the command line reaches it too; the
// windows' files include it from here.
#include "plan/ConfigAddressCheck.h"
