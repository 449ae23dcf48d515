// The desktop program's polling pass (CQUORINPresenter::PollDevices) with 1000
// devices listed: an answer renewing one entry per pass, with no entry ever
// changed and with every entry changed once (the window lowers an entry's bChanged
// once its row shows the change, so such an entry costs nothing later), each with the
// filter box empty and with a filter that hides most rows. A last case has
// every answer change its device's record, so each pass also redraws a row and
// marks it again. BM_PresenterBurst: 5000 rows and 100 answers waiting at every
// pass, each a change that moves its device onto or off an address shared with
// others, with subnet marks on; it reports the passes' p50, p99 and longest.
// With sorted=1 the view keeps its rows sorted by IP address in the row store the
// windows share (a sort key per changed row, one placing per pass).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <time.h>

#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceRowStore.h"
#include "app/logic/DeviceSortOrder.h"
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
  int nMarks = 0;
  bool GetSelectedRow(DeviceRowKey*) const override { return false; }
  void SetStatusText(const std::string&) override {}
  void SetAdapterNames(const std::vector<std::string>&) override {}
  int nRows = 0;
};

// The window's rows without the toolkit: the shared row store, kept sorted by IP
// address; each pass's changes are placed once after the pass, as the window does.
class SortingListView : public NullListView {
 public:
  explicit SortingListView(const CKestoFinder& finder) : m_finder(finder) {
    CDeviceSortOrder order;
    order.Set(CDeviceColumnSet::kIP, true);
    m_rows.SetOrder(order);
  }
  void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) override {
    NullListView::InsertTopRow(key, texts, bShown);
    m_rows.Insert(key, RecordOf(key), bShown);
  }
  void SetRowTexts(DeviceRowKey key, const DeviceRowTexts&) override { m_rows.SetRecord(key, RecordOf(key)); }
  void SetRowShown(DeviceRowKey key, bool bShown) override { m_rows.SetShown(key, bShown); }
  void DeleteRow(DeviceRowKey key) override {
    NullListView::DeleteRow(key);
    m_rows.Delete(key);
  }
  void Place() { m_rows.Place(); }

 private:
  KESTO_RECORD RecordOf(DeviceRowKey key) const {
    KESTO_RECORD probe{};
    for (int i = 5; i >= 0; --i, key >>= 8) probe.byMAC[i] = static_cast<uint8_t>(key & 0xFF);
    const CKestoInfo* pEntry = m_finder.FindByMAC(probe);
    return pEntry ? pEntry->GetRecord() : probe;
  }
  const CKestoFinder& m_finder;
  CDeviceRowStore m_rows;
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
  options.fnReadInterfaces = &FixedInterfaces;
  options.fnRouteSource = nullptr;
  auto owned = std::make_unique<FakeDatagramSocket>();
  FakeDatagramSocket* pSocket = owned.get();
  CKestoFinder finder(options, std::move(owned));
  NullListView view;
  CQUORINPresenter presenter(finder, view, [](CConfigKestoModel&) { return false; }, [](const std::string&) {});
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

void BM_PresenterBurst(benchmark::State& state) {
  const int nDevices = static_cast<int>(state.range(0));
  const int nWaiting = static_cast<int>(state.range(1));
  const bool bSorted = state.range(2) != 0;
  FakeClock clock(1000);
  KestoFinderOptions options;
  options.pTicks = &clock;
  options.fnReadInterfaces = &FixedInterfaces;
  options.fnRouteSource = nullptr;
  auto owned = std::make_unique<FakeDatagramSocket>();
  FakeDatagramSocket* pSocket = owned.get();
  CKestoFinder finder(options, std::move(owned));
  NullListView unsorted;
  SortingListView sorting(finder);
  NullListView& view = bSorted ? sorting : unsorted;
  CQUORINPresenter presenter(finder, view, [](CConfigKestoModel&) { return false; }, [](const std::string&) {});
  // Devices on 10.0.0.0/8 (local) and 11.0.0.0/8 (another subnet), so both marks are worked out.
  auto record = [](uint32_t dwId, uint32_t dwRound) {
    KESTO_RECORD r = MakeRecord(dwId, "dev " + std::to_string(dwRound % 7));
    if (dwId % 2 == 1) r.dwIPAddress |= 0x01000000u;
    // Every other round the device moves onto one of 50 addresses shared with others.
    if (dwRound % 2 == 1) r.dwIPAddress = 0x0C000000u | (dwId % 50);
    return r;
  };
  for (int i = 0; i < nDevices; ++i) pSocket->Queue(RecordBytes(record(static_cast<uint32_t>(i), 0)));
  presenter.PollDevices();

  // Wall time per pass, and the thread's own CPU time: on a shared machine the first
  // also holds the time other processes had the core.
  std::vector<double> passUs;
  std::vector<double> passCpuUs;
  auto threadCpuUs = [] {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
  };
  uint32_t dwNext = 0;
  uint32_t dwRound = 1;
  for (auto _ : state) {
    // Everyone answers once a second: nWaiting answers per 20-ms pass.
    clock.Advance(1000 * static_cast<uint32_t>(nWaiting) / static_cast<uint32_t>(nDevices));
    for (int i = 0; i < nWaiting; ++i) {
      pSocket->Queue(RecordBytes(record(dwNext, dwRound)));
      if (++dwNext == static_cast<uint32_t>(nDevices)) {
        dwNext = 0;
        ++dwRound;
      }
    }
    const auto start = std::chrono::steady_clock::now();
    const double dCpuStart = threadCpuUs();
    presenter.PollDevices();
    if (bSorted) sorting.Place();
    passCpuUs.push_back(threadCpuUs() - dCpuStart);
    passUs.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  if (presenter.GetRowCount() != nDevices || view.nRows != nDevices || pSocket->Waiting() != 0)
    state.SkipWithError("a row or an answer was lost");
  std::sort(passUs.begin(), passUs.end());
  std::sort(passCpuUs.begin(), passCpuUs.end());
  auto at = [](const std::vector<double>& v, double dQuantile) {
    return v[static_cast<size_t>(dQuantile * static_cast<double>(v.size() - 1))];
  };
  state.counters["p50_us"] = at(passUs, 0.50);
  state.counters["p99_us"] = at(passUs, 0.99);
  state.counters["max_us"] = passUs.back();
  state.counters["cpu_p50_us"] = at(passCpuUs, 0.50);
  state.counters["cpu_p99_us"] = at(passCpuUs, 0.99);
  state.counters["marks_per_pass"] = static_cast<double>(view.nMarks) / static_cast<double>(passUs.size() + 1);
}
BENCHMARK(BM_PresenterBurst)
    ->ArgNames({"rows", "waiting", "sorted"})
    ->Args({5000, 100, 0})
    ->Args({5000, 100, 1})
    ->Args({16000, 100, 0})
    ->Args({16384, 100, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
