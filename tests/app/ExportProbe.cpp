// Lists the devices at one loopback address through the desktop program's
// presenter for a while, then writes its CSV and JSON export, so a test can
// compare them with what `kesto list` prints for the same devices.
// Usage: app_export_probe PORT WAIT_MS OUT.csv OUT.json
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/logic/DeviceExport.h"
#include "app/logic/QUORINPresenter.h"
#include "platform/SocketLayer.h"

namespace {

class NullView : public IDeviceListView {
 public:
  void InsertTopRow(DeviceRowKey, const DeviceRowTexts&, bool) override {}
  void SetRowTexts(DeviceRowKey, const DeviceRowTexts&) override {}
  void SetRowShown(DeviceRowKey, bool) override {}
  void SetRowMarks(DeviceRowKey, bool) override {}
  void DeleteRow(DeviceRowKey) override {}
  bool GetSelectedRow(DeviceRowKey*) const override { return false; }
  void SetStatusText(const std::string&) override {}
  void SetAdapterNames(const std::vector<std::string>&) override {}
};

// Through the windows' own writer, so the file is written as the window writes it.
bool WriteFile(const char* pszPath, const std::string& sText) {
  std::string sReason;
  if (WriteChosenFile(pszPath, sText, &sReason)) return true;
  std::fprintf(stderr, "cannot write %s: %s\n", pszPath, sReason.c_str());
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s PORT WAIT_MS OUT.csv OUT.json\n", argv[0]);
    return 2;
  }
  const int iPort = std::atoi(argv[1]);
  const int iWaitMs = std::atoi(argv[2]);
  if (iPort <= 0 || iPort > 65535 || iWaitMs <= 0 || iWaitMs > 10000) return 2;
  if (!platform::StartSocketLayer()) return 1;
  int iResult = 0;
  {
    // Loopback only: one explicit host, so no adapter is ever broadcast to.
    KestoFinderOptions options;
    options.endpTarget = {platform::kLoopback, static_cast<uint16_t>(iPort)};
    CKestoFinder finder(options);
    if (!finder.IsSocketOpen()) {
      std::fprintf(stderr, "socket: %s\n", finder.GetSocketError().c_str());
      platform::StopSocketLayer();
      return 1;
    }
    NullView view;
    CQUORINPresenter presenter(finder, view, nullptr, nullptr);
    finder.SendProbe();
    const uint32_t dwStart = finder.Now();
    for (int nPasses = 0; nPasses < 1000000 && static_cast<int>(finder.Now() - dwStart) < iWaitMs; ++nPasses) {
      presenter.PollDevices();
      finder.WaitForAnswer(10);
    }
    const auto devices = presenter.ShownDevices();
    if (!WriteFile(argv[3], ExportDevices(devices, ExportFormat::kCsv)) ||
        !WriteFile(argv[4], ExportDevices(devices, ExportFormat::kJson)))
      iResult = 1;
  }
  platform::StopSocketLayer();
  return iResult;
}
