// The desktop program's polling pass (CQUORINPresenter::PollDevices) with 1000
// devices listed: an answer renewing one entry per pass, with no entry ever
// changed and with every entry changed once (the finder never lowers bChanged,
// so each such entry is looked up among the rows at every pass).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/logic/QUORINPresenter.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"

namespace {

constexpr int kDevices = 1000;

class NullListView : public IDeviceListView {
 public:
  void InsertRow(int, const DeviceRowTexts&) override { ++nRows; }
  void SetRowTexts(int, const DeviceRowTexts&) override {}
  void DeleteRow(int) override { --nRows; }
  int GetSelectedRow() const override { return -1; }
  int nRows = 0;
};

void BM_PresenterPass(benchmark::State& state) {
  const bool bAllChanged = state.range(0) != 0;
  FakeClock clock(1000);
  KestoFinderOptions options;
  options.pTicks = &clock;
  auto owned = std::make_unique<FakeDatagramSocket>();
  FakeDatagramSocket* pSocket = owned.get();
  CKestoFinder finder(options, std::move(owned));
  NullListView view;
  CQUORINPresenter presenter(
      finder, view, [](CConfigKestoModel&) { return false; }, [](const std::string&) {});
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
  for (auto _ : state) {
    // Each device answers once a second: spread over 1000 passes, one per pass.
    clock.Advance(1);
    pSocket->Queue(RecordBytes(MakeRecord(dwNext, bAllChanged ? "renamed" : "dev")));
    dwNext = (dwNext + 1) % kDevices;
    presenter.PollDevices();
  }
  if (presenter.GetRowCount() != kDevices || view.nRows != kDevices) state.SkipWithError("a row was lost");
  state.counters["rows"] = presenter.GetRowCount();
}
BENCHMARK(BM_PresenterPass)->Arg(0)->Arg(1)->ArgName("all_changed")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
