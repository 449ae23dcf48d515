// The desktop program's polling pass (CQUORINPresenter::PollDevices) with 1000
// devices listed: an answer renewing one entry per pass, with no entry ever
// changed and with every entry changed once (the finder never lowers bChanged,
// so each such entry is looked up among the rows at every pass), each with the
// filter box empty and with a filter that hides most rows. A last case has
// every answer change its device's record, so each pass also redraws a row and
// works out the rows' marks again.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/logic/QUORINPresenter.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"
#include "support/InterfaceBuilder.h"

namespace {

constexpr int kDevices = 1000;

class NullListView : public IDeviceListView {
 public:
  void InsertTopRow(DeviceRowKey, const DeviceRowTexts&, bool) override { ++nRows; }
  void SetRowTexts(DeviceRowKey, const DeviceRowTexts&) override {}
  void SetRowShown(DeviceRowKey, bool) override {}
  void SetRowMarks(DeviceRowKey, bool) override { ++nMarks; }
  void DeleteRow(DeviceRowKey) override { --nRows; }
  bool GetSelectedRow(DeviceRowKey*) const override { return false; }
  void SetStatusText(const std::string&) override {}
  void SetAdapterNames(const std::vector<std::string>&) override {}
  int nRows = 0;
};

bool FixedInterfaces(std::vector<platform::NetInterface>* pTable) {
  *pTable = {MakeInterface("eth0", 0x0A000001u, 0xFF000000u)};
  return true;
}

void BM_PresenterPass(benchmark::State& state) {
  const bool bAllChanged = state.range(0) != 0;
  const bool bFiltered = state.range(1) != 0;
  const bool bEveryAnswerChanges = state.range(2) != 0;
  FakeClock clock(1000);
  KestoFinderOptions options;
  options.pTicks = &clock;
  options.fnReadInterfaces = nullptr;
  auto owned = std::make_unique<FakeDatagramSocket>();
  FakeDatagramSocket* pSocket = owned.get();
  CKestoFinder finder(options, std::move(owned));
  NullListView view;
  CQUORINPresenter presenter(
      finder, view, [](CConfigKestoModel&) { return false; }, [](const std::string&) {}, &FixedInterfaces);
  // Shows the 256 devices at 10.0.1.x and hides the rest.
  if (bFiltered) presenter.SetFilterText("10.0.1.");
  for (int i = 0; i < kDevices; ++i) finder.AddDevice(MakeRecord(static_cast<uint32_t>(i)));
  presenter.PollDevices();
  if (bAllChanged) {
    for (int i = 0; i < kDevices; ++i) {
      pSocket->Queue(RecordBytes(MakeRecord(static_cast<uint32_t>(i), "renamed")));
      finder.Receive();
    }
    presenter.PollDevices();
  }

  uint32_t dwNext = 0;
  uint32_t dwRound = 0;
  for (auto _ : state) {
    // Each device answers once a second: spread over 1000 passes, one per pass.
    clock.Advance(1);
    const std::string sName = bEveryAnswerChanges ? "dev " + std::to_string(dwRound % 2)
                              : bAllChanged       ? "renamed"
                                                  : "dev";
    pSocket->Queue(RecordBytes(MakeRecord(dwNext, sName)));
    dwNext = (dwNext + 1) % kDevices;
    if (dwNext == 0) ++dwRound;
    presenter.PollDevices();
  }
  if (presenter.GetRowCount() != kDevices || view.nRows != kDevices) state.SkipWithError("a row was lost");
  state.counters["rows"] = presenter.GetRowCount();
  state.counters["shown"] = presenter.GetShownRowCount();
}
BENCHMARK(BM_PresenterPass)
    ->ArgNames({"all_changed", "filtered", "each_changes"})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 1, 0})
    ->Args({1, 1, 0})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
