#ifndef KESTO_TOOLS_LISTCOMMAND_H
#define KESTO_TOOLS_LISTCOMMAND_H

#include <iosfwd>

#include "tools/FinderSession.h"

struct ListOptions {
  TargetOptions target;
  int iWaitMs = 1500;
  bool bJson = false;
};

// `kesto list`: collects answers for the wait and prints every device that
// answered, in the order of first answer, as a table or a JSON array.
int RunList(const ListOptions& options, std::ostream& out, std::ostream& err);

#endif
