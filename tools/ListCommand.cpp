#include "tools/ListCommand.h"

#include <ostream>
#include <vector>

#include "tools/formats/DeviceJson.h"
#include "tools/DeviceTable.h"
#include "tools/ExitCodes.h"

int RunList(const ListOptions& options, std::ostream& out, std::ostream& err) {
  int iExitCode = kExitOk;
  auto pSession = FinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  pSession->RunPasses(static_cast<uint32_t>(options.iWaitMs), {});

  // Nothing ages out here: every device that answered during the wait is listed.
  std::vector<KESTO_RECORD> records;
  const CZNObList& devices = pSession->Finder().GetDevices();
  for (ZNPOSITION pos = devices.GetHeadPosition(); pos != nullptr;)
    records.push_back(static_cast<CKestoInfo*>(devices.GetNext(pos))->GetRecord());

  if (options.bJson) {
    DeviceJson array = DeviceJson::array();
    for (const KESTO_RECORD& record : records) array.push_back(DeviceToJson(record));
    out << array.dump(2) << "\n";
  } else {
    out << FormatDeviceTable(records);
  }
  out.flush();
  if (pSession->Finder().GetRefusedDevices() > 0)
    err << "kesto: " << pSession->Finder().GetRefusedDevices() << " answers from further devices were refused (list full)\n";
  return kExitOk;
}
