#ifndef KESTO_TESTS_APP_PRESENTERFIXTURE_H
#define KESTO_TESTS_APP_PRESENTERFIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/QUORINPresenter.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/InterfaceBuilder.h"
#include "support/RecordBuilder.h"

// Records what the presenter does to the list, as the widget would show it.
// rows are the shown rows, top first; iSelected is an index into them. A row's
// tooltip is asked of the presenter (when set) whenever Get reads it, as the
// widget does when it shows one.
class RecordingView : public IDeviceListView {
 public:
  struct Item {
    DeviceRowKey key;
    DeviceRowTexts texts;
    bool bShown;
    bool bWarning = false;
    std::string sToolTip;
  };

  void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) override {
    for (const Item& item : all) EXPECT_NE(item.key, key) << "a second row for one key";
    all.insert(all.begin(), Item{key, texts, bShown, false, {}});
    Sync();
  }
  void SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) override {
    Get(key).texts = texts;
    ++nRewrites;
    Sync();
  }
  void SetRowShown(DeviceRowKey key, bool bShown) override {
    Get(key).bShown = bShown;
    Sync();
  }
  void SetRowMarks(DeviceRowKey key, bool bWarning) override {
    Get(key).bWarning = bWarning;
    ++nMarks;
  }
  void DeleteRow(DeviceRowKey key) override {
    all.erase(all.begin() + IndexOf(key));
    Sync();
  }
  bool GetSelectedRow(DeviceRowKey* pKey) const override {
    if (iSelected < 0 || iSelected >= static_cast<int>(shown.size())) return false;
    *pKey = shown[iSelected];
    return true;
  }
  // With selectedRows set, those shown indexes are selected, in that order.
  std::vector<DeviceRowKey> GetSelectedRows() const override {
    if (selectedRows.empty()) return IDeviceListView::GetSelectedRows();
    std::vector<DeviceRowKey> keys;
    for (int i : selectedRows) keys.push_back(shown.at(static_cast<size_t>(i)));
    return keys;
  }
  void SetStatusText(const std::string& sText) override { sStatus = sText; }
  void SetAdapterNames(const std::vector<std::string>& names) override { adapters = names; }

  // The row of a device, shown or not.
  Item& Get(DeviceRowKey key) {
    Item& item = all.at(IndexOf(key));
    if (pToolTips != nullptr) item.sToolTip = pToolTips->GetRowToolTip(key);
    return item;
  }
  Item& Get(const KESTO_RECORD& record) { return Get(RowKeyOf(record)); }

  std::vector<Item> all;
  std::vector<DeviceRowTexts> rows;
  std::vector<DeviceRowKey> shown;
  const CQUORINPresenter* pToolTips = nullptr;
  int nRewrites = 0;
  int nMarks = 0;
  int iSelected = -1;
  std::vector<int> selectedRows;
  std::string sStatus;
  std::vector<std::string> adapters;

 private:
  size_t IndexOf(DeviceRowKey key) const {
    for (size_t i = 0; i < all.size(); ++i)
      if (all[i].key == key) return i;
    ADD_FAILURE() << "no row for key " << key;
    return all.size();
  }
  void Sync() {
    rows.clear();
    shown.clear();
    for (const Item& item : all) {
      if (!item.bShown) continue;
      rows.push_back(item.texts);
      shown.push_back(item.key);
    }
  }
};

class PresenterTest : public ::testing::Test {
 protected:
  explicit PresenterTest(platform::TickSource* pTicks = nullptr) { Start(pTicks); }

  // A new finder and presenter, which read the table (as set now) when they start.
  void Start(platform::TickSource* pTicks = nullptr) {
    presenter.reset();
    finder.reset();
    auto socket = std::make_unique<FakeDatagramSocket>();
    pSocket = socket.get();
    KestoFinderOptions options;
    options.pTicks = pTicks ? pTicks : &clock;
    // The table is the fake below; the finder still sends only to its one target.
    options.fnReadInterfaces = [this](std::vector<platform::NetInterface>* pTable) {
      ++nInterfaceReads;
      if (!bInterfacesReadable) return false;
      *pTable = interfaces;
      return true;
    };
    options.fnRouteSource = nullptr;
    options.destinations.bEveryAdapter = false;
    options.nMaxEntries = nMaxEntries;
    finder = std::make_unique<CKestoFinder>(options, std::move(socket));
    presenter = std::make_unique<CQUORINPresenter>(
        *finder, view,
        [this](CConfigKestoModel& model) {
          ++nDialogRuns;
          return fnDialog ? fnDialog(model) : false;
        },
        [this](const std::string& sUrl) { urls.push_back(sUrl); });
    view.pToolTips = presenter.get();
  }

  static platform::NetInterface Interface(const char* pszName, uint32_t dwAddress, uint32_t dwMask,
                                          bool bLoopback = false) {
    return MakeInterface(pszName, dwAddress, dwMask, true, !bLoopback, bLoopback);
  }

  void Answer(const KESTO_RECORD& record) { pSocket->Queue(RecordBytes(record)); }
  // Passes until every queued answer was read.
  void PassUntilRead() {
    for (int i = 0; i < 20 && pSocket->Waiting() > 0; ++i) presenter->PollDevices();
  }
  std::vector<FakeDatagramSocket::Sent> SentConfigs() const {
    std::vector<FakeDatagramSocket::Sent> configs;
    for (const auto& sent : pSocket->sent)
      if (sent.bytes.size() == kesto_wire::kSetConfigSize) configs.push_back(sent);
    return configs;
  }

  FakeClock clock{1000};
  FakeDatagramSocket* pSocket = nullptr;
  std::unique_ptr<CKestoFinder> finder;
  RecordingView view;
  std::unique_ptr<CQUORINPresenter> presenter;
  std::function<bool(CConfigKestoModel&)> fnDialog;
  int nDialogRuns = 0;
  std::vector<std::string> urls;
  // This computer as the presenter sees it: 192.168.1.5/24 on eth0, and loopback.
  std::vector<platform::NetInterface> interfaces{Interface("lo", 0x7F000001u, 0xFF000000u, true),
                                                 Interface("eth0", 0xC0A80105u, 0xFFFFFF00u)};
  bool bInterfacesReadable = true;
  size_t nMaxEntries = 16384;  // read by Start
  int nInterfaceReads = 0;
};

#endif
