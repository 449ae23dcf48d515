// The toolkit-free parts of `kesto serve`: the table, its metrics, the state file and the routes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"
#include "tools/serve/FleetDocuments.h"
#include "tools/serve/FleetFollower.h"
#include "tools/serve/FleetStateFile.h"
#include "tools/serve/FleetTable.h"
#include "tools/serve/MetricsText.h"
#include "tools/serve/ServeRoutes.h"

namespace {

constexpr int64_t kT0 = 1'700'000'000'000;  // ms since the epoch
constexpr int64_t kDownAfterMs = 2500;

std::string Metrics(const CFleetTable& table, MetricsFormat format = MetricsFormat::kText) {
  FleetCounters counters{7, 42, "1.2.3"};
  return FleetMetricsText(table, counters, format);
}

bool Has(const std::string& sText, const std::string& sLine) { return sText.find(sLine) != std::string::npos; }

TEST(ServeTest, LabelValuesAreEscapedAndLatin1BecomesUtf8) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},         {"a\\b", "a\\\\b"},       {"say \"hi\"", "say \\\"hi\\\""},
      {"two\nlines", "two\\nlines"}, {"caf\xE9", "caf\xC3\xA9"}, {"\x1b[31m\r\t", "\x1b[31m\r\t"},
      {"\xFF\x80", "\xC3\xBF\xC2\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(MetricLabelValue(c.in), c.out) << c.in;
  EXPECT_EQ(HtmlText("<b a='1'>\"x\" & \xE9"), "&lt;b a=&#39;1&#39;&gt;&quot;x&quot; &amp; \xC3\xA9");
}

TEST(ServeTest, TableFollowsUpDownChangesForgettingAndItsCap) {
  CFleetTable table(2, 60000);
  KESTO_RECORD a = MakeRecord(1);
  ASSERT_NE(table.Seen(a, kT0), nullptr);
  ASSERT_NE(table.Seen(MakeRecord(2), kT0 + 100), nullptr);
  EXPECT_EQ(table.Seen(MakeRecord(3), kT0), nullptr) << "a third device passes the cap";
  EXPECT_EQ(table.Refused(), 1u);

  a.iPort = 20000;
  table.Seen(a, kT0 + 1000);
  table.Seen(a, kT0 + 500);  // an older sighting taken later leaves the last seen time alone
  const FleetDevice& device = *table.Find(MacKey(a.byMAC));
  EXPECT_EQ(device.qwChanges, 1u);
  EXPECT_EQ(device.llFirstSeenMs, kT0);
  EXPECT_EQ(device.llLastSeenMs, kT0 + 1000);
  EXPECT_TRUE(Has(device.sInfoLabels, "port=\"20000\""));

  const struct {
    int64_t llNow;
    size_t nUp, nKnown;
  } steps[] = {{kT0 + 2600, 2, 2}, {kT0 + 2601, 1, 2}, {kT0 + 3601, 0, 2}, {kT0 + 60100, 0, 2}, {kT0 + 60101, 0, 1}, {kT0 + 61001, 0, 0}};
  for (const auto& step : steps) {
    table.Age(step.llNow, kDownAfterMs);
    EXPECT_EQ(table.UpCount(), step.nUp) << step.llNow - kT0;
    EXPECT_EQ(table.Size(), step.nKnown) << step.llNow - kT0;
  }
}

// The follower takes only what answered since its last round, so these steps make
// sure nothing is lost: an answer in that round's millisecond, the tick wrapping,
// a second sender, and a sender ageing out of a device that did not answer again.
TEST(ServeTest, FollowerMissesNoAnswerNorSenderAcrossRoundsAndTheTickWrap) {
  constexpr platform::Ipv4Endpoint kX{0x0A000005u, 1444}, kZ{0x0A000009u, 1444};
  for (const uint32_t dwStart : {0u, 0xFFFFFF00u}) {
    SCOPED_TRACE(dwStart);
    FakeClock clock(dwStart);
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.fnReadInterfaces = [](std::vector<platform::NetInterface>* p) {
      p->clear();
      return true;
    };
    auto socket = std::make_unique<FakeDatagramSocket>();
    FakeDatagramSocket* pSocket = socket.get();
    CKestoFinder finder(options, std::move(socket));
    CFleetTable table(16, 60000);
    CFleetFollower follower;
    KESTO_RECORD a = MakeRecord(1), b = MakeRecord(2);
    const auto answer = [&](const KESTO_RECORD& record, platform::Ipv4Endpoint from) {
      pSocket->Queue(RecordBytes(record), from);
      finder.Receive();
    };
    const auto follow = [&] { follower.Follow(finder, &table, kT0 + (clock.Now() - dwStart), kDownAfterMs); };
    const auto senders = [&] { return table.Senders(*table.Find(MacKey(a.byMAC))); };

    answer(a, kX);
    answer(b, kZ);
    follow();
    ASSERT_EQ(table.Size(), 2u);
    EXPECT_EQ(senders(), std::vector<platform::Ipv4Endpoint>{kX});

    a.iPort = 20000;  // in the same millisecond as the round
    answer(a, kX);
    follow();
    EXPECT_EQ(table.Find(MacKey(a.byMAC))->qwChanges, 1u);

    clock.Advance(300);  // past the wrap for the second start
    answer(b, kZ);
    follow();
    EXPECT_EQ(table.Find(MacKey(b.byMAC))->llLastSeenMs, kT0 + 300);
    EXPECT_EQ(table.Find(MacKey(a.byMAC))->llLastSeenMs, kT0);

    clock.Advance(10);
    answer(a, kZ);
    clock.Advance(10);
    follow();
    EXPECT_EQ(senders(), (std::vector<platform::Ipv4Endpoint>{kX, kZ}));
    EXPECT_EQ(table.Find(MacKey(a.byMAC))->llLastSeenMs, kT0 + 310);

    clock.Set(dwStart + 2100);  // x silent 2100 ms and dropped; a itself stays, and answers nothing new
    finder.RemoveAged(clock.Now(), 2000);
    follow();
    EXPECT_EQ(senders(), std::vector<platform::Ipv4Endpoint>{kZ});
    EXPECT_TRUE(table.Find(MacKey(a.byMAC))->bUp);
    EXPECT_EQ(table.UpCount(), 2u);
  }
}

TEST(ServeTest, MetricsNameEveryDeviceAndCountSharedAddresses) {
  CFleetTable table(16, 60000);
  KESTO_RECORD a = MakeDeviceRecord(1, "Pump \"A\"\n\\", 0x0A000005);
  KESTO_RECORD b = MakeDeviceRecord(2, "caf\xE9", 0x0A000005);
  KESTO_RECORD c = MakeDeviceRecord(3, "gone", 0x0A000005);
  table.Seen(a, kT0);
  table.Seen(b, kT0 + 1);
  table.Seen(c, kT0 - 10000);
  table.Age(kT0 + 1000, kDownAfterMs);
  const std::string sText = Metrics(table);
  for (const char* pszLine : {
           "kesto_device_up{mac=\"00-1A-2B-3C-4D-01\"} 1\n",
           "kesto_device_up{mac=\"00-1A-2B-3C-4D-03\"} 0\n",
           "kesto_device_info{mac=\"00-1A-2B-3C-4D-01\",ip=\"10.0.0.5\",netmask=\"255.255.255.0\","
           "gateway=\"10.0.0.1\",name=\"Pump \\\"A\\\"\\n\\\\\",type=\"5\",firmware=\"FW 2.17\",port=\"10001\","
           "protocol=\"RS485\",baud=\"9600\"} 1\n",
           "name=\"caf\xC3\xA9\"",
           "kesto_device_first_seen_timestamp_seconds{mac=\"00-1A-2B-3C-4D-02\"} 1700000000.001\n",
           "kesto_device_last_seen_timestamp_seconds{mac=\"00-1A-2B-3C-4D-03\"} 1699999990.000\n",
           "# TYPE kesto_device_changes_total counter\n",
           "kesto_address_claimants{ip=\"10.0.0.5\"} 2\n",  // the silent third is no claimant
           "kesto_devices 2\n",
           "kesto_answers_refused_total 7\n",
           "kesto_probes_sent_total 42\n",
           "kesto_build_info{version=\"1.2.3\"} 1\n",
       })
    EXPECT_TRUE(Has(sText, pszLine)) << pszLine << "\n--- in:\n" << sText;
  EXPECT_FALSE(Has(sText, "# EOF"));

  const std::string sOpen = Metrics(table, MetricsFormat::kOpenMetrics);
  EXPECT_TRUE(Has(sOpen, "# TYPE kesto_device_changes counter\n"));
  EXPECT_TRUE(Has(sOpen, "kesto_device_changes_total{mac=\"00-1A-2B-3C-4D-01\"} 0\n"));
  EXPECT_TRUE(sOpen.ends_with("# EOF\n"));
  EXPECT_EQ(MetricsFormatFor("application/openmetrics-text;version=1.0.0,text/plain;q=0.5"),
            MetricsFormat::kOpenMetrics);
  EXPECT_EQ(MetricsFormatFor("text/plain"), MetricsFormat::kText);
}

TEST(ServeTest, StateComesBackExactlyAndDamageIsRefusedWithItsReason) {
  CFleetTable table(4, 60000);
  KESTO_RECORD a = MakeDeviceRecord(1, "x", 0x0A000005);
  a.byReserved2[3] = 0xAB;  // every byte comes back, not only the printed fields
  table.Seen(a, kT0);
  a.iPort = 1;
  table.Seen(a, kT0 + 5);
  CFleetTable back(4, 60000);
  std::string sError;
  ASSERT_TRUE(FleetStateFromJson(FleetStateToJson(table), &back, &sError)) << sError;
  const FleetDevice& device = *back.Find(MacKey(a.byMAC));
  EXPECT_EQ(device.record, a);
  EXPECT_EQ(device.llFirstSeenMs, kT0);
  EXPECT_EQ(device.llLastSeenMs, kT0 + 5);
  EXPECT_EQ(device.qwChanges, 1u);
  EXPECT_FALSE(device.bUp) << "a restored device is down until it answers";

  const std::string sRecord = FleetStateToJson(table).substr(FleetStateToJson(table).find("\"record\":\"") + 10, 200);
  auto device1 = [&](const std::string& sHex, const std::string& sRest = ",\"first_seen_ms\":1,\"last_seen_ms\":2,\"changes\":0") {
    return "{\"record\":\"" + sHex + "\"" + sRest + "}";
  };
  auto state = [](const std::string& sDevices) { return "{\"kesto_serve_state\":1,\"devices\":[" + sDevices + "]}"; };
  const struct {
    std::string text, reason;
  } cases[] = {
      {"{\"kesto_serve_state\":1,\"devices\":[", "not JSON"},
      {"[]", "not a kesto serve state"},
      {"{\"kesto_serve_state\":2,\"devices\":[]}", "not a kesto serve state"},
      {state(device1(sRecord.substr(2))), "device 1: \"record\" must be 200 hex digits"},
      {state(device1("zz" + sRecord.substr(2))), "200 hex digits"},
      {state(device1(sRecord, ",\"first_seen_ms\":-1,\"last_seen_ms\":2,\"changes\":0")), "whole numbers"},
      {state(device1(sRecord, ",\"first_seen_ms\":1,\"changes\":0")), "whole numbers"},
      {state(device1(sRecord) + "," + device1(sRecord)), "device 2: MAC 00-1A-2B-3C-4D-01 is listed twice"},
      {state(device1(sRecord) + ",1,2,3,4"), "holds 5 devices, more than the 4 kept"},
  };
  for (const auto& c : cases) {
    CFleetTable damaged(4, 60000);
    sError.clear();
    EXPECT_FALSE(FleetStateFromJson(c.text, &damaged, &sError)) << c.text;
    EXPECT_TRUE(Has(sError, c.reason)) << sError;
    EXPECT_EQ(damaged.Size(), 0u);
  }

  // A damaged file is set aside and the agent starts empty; a missing one is a first start.
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kesto-serve-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(dir);
  const std::string sPath = (dir / "state.json").string();
  std::string sNotice;
  CFleetTable fresh(4, 60000);
  EXPECT_TRUE(LoadFleetState(sPath, &fresh, &sNotice));
  EXPECT_EQ(sNotice, "");
  std::ofstream(sPath) << "{\"kesto_serve_state\":1,\"devi";
  EXPECT_TRUE(LoadFleetState(sPath, &fresh, &sNotice));
  EXPECT_TRUE(Has(sNotice, "not JSON; set aside as " + sPath + ".bad")) << sNotice;
  EXPECT_TRUE(std::filesystem::exists(sPath + ".bad"));
  EXPECT_FALSE(std::filesystem::exists(sPath));
  ASSERT_TRUE(SaveFleetState(sPath, table, &sError)) << sError;
  sNotice.clear();
  EXPECT_TRUE(LoadFleetState(sPath, &fresh, &sNotice));
  EXPECT_EQ(fresh.Size(), 1u);
  std::filesystem::remove_all(dir);
}

TEST(ServeTest, RoutesAnswerReadOnlyAfterTheTokenAndBoundProbes) {
  std::mutex mutex;
  CFleetTable table(4, 60000);
  table.Seen(MakeDeviceRecord(1, "<script>alert(1)</script>", 0x0A000005), kT0);
  FleetCounters counters{0, 0, "1.0"};
  int nProbes = 0;
  uint32_t dwProbeWait = 0;
  CServeRoutes routes("0123456789abcdef", &mutex, &table, &counters,
                      [&](const std::string&, uint32_t dwWaitMs, CFleetTable* pTable, FleetCounters*, std::string*) {
                        ++nProbes;
                        dwProbeWait = dwWaitMs;
                        pTable->Seen(MakeRecord(9), kT0);
                        return true;
                      });
  const std::string kGood = "Bearer 0123456789abcdef";
  const struct {
    std::string method, path, auth;
    bool bTarget;
    std::string target;
    int iStatus;
    std::string bodyHas;
  } cases[] = {
      {"GET", "/metrics", "", false, "", 401, "bearer token"},
      {"GET", "/metrics", "Bearer 0123456789abcdeF", false, "", 401, ""},
      {"GET", "/metrics", "Bearer 0123456789abcdef0", false, "", 401, ""},
      {"GET", "/metrics", "0123456789abcdef", false, "", 401, ""},
      {"POST", "/metrics", kGood, false, "", 405, "read-only"},
      {"DELETE", "/api/devices", kGood, false, "", 405, ""},
      {"GET", "/nothing", kGood, false, "", 404, "/metrics"},
      {"GET", "/metrics", kGood, false, "", 200, "kesto_devices 1\n"},
      {"HEAD", "/metrics", kGood, false, "", 200, "kesto_devices 1\n"},
      {"GET", "/api/devices", kGood, false, "", 200, "\"mac\": \"00-1A-2B-3C-4D-01\""},
      {"GET", "/sd", kGood, false, "", 200, "\"__meta_kesto_mac\":\"00-1A-2B-3C-4D-01\""},
      {"GET", "/", kGood, false, "", 200, "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"GET", "/probe", kGood, false, "", 400, "needs ?target="},
      {"GET", "/probe", kGood, true, "10.0.0.0/19", 400, "target:"},
      {"GET", "/probe", kGood, true, "10.0.0.0/33", 400, "target:"},
      {"GET", "/probe", kGood, true, "host.example", 400, "target:"},
      {"GET", "/probe", kGood, true, "10.0.0.0/24", 200, "kesto_device_up{mac=\"00-1A-00-00-00-09\"} 1\n"},
  };
  for (const auto& c : cases) {
    ServeRequest request;
    request.sMethod = c.method;
    request.sPath = c.path;
    request.sAuthorization = c.auth;
    request.bHasTarget = c.bTarget;
    request.sTarget = c.target;
    const ServeResponse response = routes.Handle(request);
    EXPECT_EQ(response.iStatus, c.iStatus) << c.method << " " << c.path << " " << c.target << " " << c.auth;
    EXPECT_TRUE(Has(response.sBody, c.bodyHas)) << c.path << ": " << response.sBody;
    EXPECT_EQ(response.sAuthenticate.empty(), c.iStatus != 401);
  }
  EXPECT_EQ(nProbes, 1) << "only the good range is swept";
  EXPECT_EQ(dwProbeWait, 10000u);
  EXPECT_FALSE(Has(FleetPageHtml(table, "<v>"), "<script>"));

  const struct {
    std::string header;
    uint32_t dwMs;
  } waits[] = {{"", 10000}, {"10", 9500}, {"2.5", 2000}, {"0.2", 1000}, {"3600", 60000},
               {"x", 10000}, {"-5", 10000}, {"1e400", 60000}, {"5s", 10000}};
  for (const auto& w : waits) EXPECT_EQ(CServeRoutes::ProbeWaitMs(w.header), w.dwMs) << w.header;
}

}  // namespace
