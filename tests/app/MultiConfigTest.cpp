// "Basic Config..." with several rows selected, "Apply plan..." and "Back up...":
// the form's plan, its preview, and what the presenter sends and reports.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/logic/MultiConfigForm.h"
#include "app/logic/PlanPreviewTable.h"
#include "discovery/KestoName.h"
#include "discovery/KestoWire.h"
#include "tests/app/PresenterFixture.h"

namespace {

// A holds what no dialog can show: a full 28-byte name, type 7, protocol 5, baud
// 12345 and reserved bytes; none of it may change unless its field is filled in.
KESTO_RECORD Odd() {
  KESTO_RECORD record = MakeDeviceRecord(0x01, "", 0xC0A8010Au);
  SetRecordNameField(record, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01");
  record.cType = 7;
  record.shProtocol = 5;
  record.wBaudRate = 12345;
  record.byReserved1 = 0x5A;
  record.byReserved2[0] = 0xA5;
  return record;
}
const KESTO_RECORD kA = Odd();
const KESTO_RECORD kB = MakeDeviceRecord(0x02, "Attic", 0xC0A8010Bu);
const KESTO_RECORD kC = MakeDeviceRecord(0x03, "Cellar", 0x0A010002u);  // holds 10.1.0.2
const KESTO_RECORD kD = MakeDeviceRecord(0x04, "Office", 0xC0A8010Du);

class MultiConfigTest : public PresenterTest {
 protected:
  // Lists A, B, C, D (shown top first: D, C, B, A) and selects the shown indexes given.
  void List(std::vector<int> selected) {
    for (const KESTO_RECORD& record : {kA, kB, kC, kD}) Answer(record);
    PassUntilRead();
    view.selectedRows = std::move(selected);
  }
  // Opens the form on the selection; applies it when bApply. Returns the form's problem.
  std::string RunForm(const CMultiConfigForm::Fields& fields, bool bApply = true) {
    std::string sProblem;
    presenter->SetMultiConfigDialog([&](CMultiConfigForm& form) {
      form.SetFields(fields);
      sProblem = form.GetProblem();
      lastPreview = form.GetPreview();
      if (bApply) form.Confirm(bAnyway);
      return bApply;
    });
    presenter->OnBasicConfig();
    return sProblem;
  }
  // The set-configuration datagrams sent straight to the devices (each also goes by broadcast).
  std::vector<std::vector<uint8_t>> DirectConfigs() const {
    std::vector<std::vector<uint8_t>> configs;
    for (const auto& sent : SentConfigs())
      if (sent.to.dwAddress != platform::kLimitedBroadcast) configs.push_back(sent.bytes);
    return configs;
  }
  // Whether exactly the datagram of this record was sent straight to its device.
  bool SentExactly(const KESTO_RECORD& record) const {
    std::vector<uint8_t> expected(kesto_wire::kSetConfigSize);
    kesto_wire::EncodeSetConfig(record, expected.data());
    for (const auto& bytes : DirectConfigs())
      if (bytes == expected) return true;
    return false;
  }
  void Restart() {
    view = RecordingView();
    Start();
  }
  PlanPreview lastPreview;
  bool bAnyway = false;  // RunForm applies by "Send anyway" rather than "Apply"
};

TEST_F(MultiConfigTest, BlankFieldsGoBackByteForByte) {
  using Fields = CMultiConfigForm::Fields;
  struct Case {
    const char* pszWhat;
    Fields fields;
    std::function<void(KESTO_RECORD&)> expect;  // what the field changes in each device's record
  };
  const Case cases[] = {
      {"dns", [] { Fields f; f.sDNS = "1.2.3.4"; return f; }(), [](KESTO_RECORD& r) { r.dwDNS = 0x01020304u; }},
      {"name", [] { Fields f; f.sName = "Roof"; return f; }(), [](KESTO_RECORD& r) { SetRecordNameField(r, "Roof"); }},
      {"gateway", [] { Fields f; f.sGateway = "0.0.0.0"; return f; }(), [](KESTO_RECORD& r) { r.dwGateway = 0; }},
      {"type", [] { Fields f; f.iType = 0; return f; }(), [](KESTO_RECORD& r) { r.cType = 2; }},
      {"baud", [] { Fields f; f.iBaud = 0; return f; }(), [](KESTO_RECORD& r) { r.wBaudRate = 115200 & 0xFFFF; }},
  };
  for (const Case& c : cases) {
    Restart();
    List({3, 2});  // A and B
    ASSERT_EQ(RunForm(c.fields), "") << c.pszWhat;
    for (const KESTO_RECORD& device : {kA, kB}) {
      KESTO_RECORD expected = device;
      c.expect(expected);
      EXPECT_TRUE(SentExactly(expected)) << c.pszWhat << " " << FormatMAC(device.byMAC);
    }
    EXPECT_EQ(DirectConfigs().size(), 2u) << "only the selected devices get settings";
  }
}

TEST_F(MultiConfigTest, AddressesGoInTheListsOrderSkippingThoseOthersHold) {
  struct Case {
    std::vector<int> selected;  // shown indexes in the list's order: 0 D, 1 C, 2 B, 3 A
    const char *pszFirst, *pszLast;
    std::vector<std::pair<uint8_t, uint32_t>> expect;  // MAC's last byte, new address's last byte
    const char* pszProblem;                            // a part of the problem, or null
  };
  const Case cases[] = {
      {{0, 2, 3}, "10.1.0.1", "10.1.0.9", {{4, 1}, {2, 3}, {1, 4}}, nullptr},  // C keeps .2: skipped
      {{3, 2}, "10.1.0.1", "", {{1, 1}, {2, 3}}, nullptr},                      // to the end of the /24
      {{3, 2, 1}, "10.1.0.1", "10.1.0.3", {{1, 1}, {2, 2}, {3, 3}}, nullptr},   // C chosen: its .2 is free
      {{0, 2, 3}, "10.1.0.1", "10.1.0.3", {}, "addresses no other device holds"},
      {{0, 2}, "", "10.1.0.9", {}, "first address"},
      {{0, 2}, "10.1.0", "", {}, "IP addresses"},
      {{0, 2}, "10.1.0.0", "10.1.0.9", {}, "address of the network"},
  };
  for (const Case& c : cases) {
    Restart();
    List(c.selected);
    CMultiConfigForm::Fields fields;
    fields.sFirstIP = c.pszFirst;
    fields.sLastIP = c.pszLast;
    fields.sGateway = "10.1.0.254";  // the old gateways lie outside the new network
    const std::string sProblem = RunForm(fields);
    if (c.pszProblem != nullptr) {
      EXPECT_NE(sProblem.find(c.pszProblem), std::string::npos) << c.pszFirst << ": " << sProblem;
      EXPECT_TRUE(SentConfigs().empty()) << c.pszFirst;
      continue;
    }
    ASSERT_EQ(sProblem, "") << c.pszFirst;
    ASSERT_EQ(lastPreview.devices.size(), c.expect.size());
    for (size_t i = 0; i < c.expect.size(); ++i) {
      EXPECT_EQ(lastPreview.devices[i].mac[5], c.expect[i].first) << c.pszFirst << " #" << i;
      EXPECT_EQ(lastPreview.devices[i].change.dwIPAddress, 0x0A010000u | c.expect[i].second) << c.pszFirst;
    }
  }
}

TEST_F(MultiConfigTest, PreviewSaysOldAndNewPerDevice) {
  List({2, 3});  // B, A
  CMultiConfigForm::Fields fields;
  fields.sName = "Attic";
  fields.sFirstIP = "192.168.1.11";
  fields.sLastIP = "192.168.1.20";
  EXPECT_EQ(RunForm(fields, false), "");
  const std::vector<CPlanPreviewTable::Row> rows = CPlanPreviewTable::Rows(lastPreview);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].sName, "Attic");
  EXPECT_EQ(rows[0].sChanges, "unchanged");  // B is Attic at .11 already
  EXPECT_EQ(rows[1].sMAC, "00-1A-2B-3C-4D-01");
  EXPECT_EQ(rows[1].sChanges, "Name \"ABCDEFGHIJKLMNOPQRSTUVWXYZ01\" -> \"Attic\", IP 192.168.1.10 -> 192.168.1.12");
  EXPECT_EQ(CPlanPreviewTable::SummaryText(lastPreview), "1 device to change, 1 unchanged");
  EXPECT_TRUE(SentConfigs().empty()) << "the form was cancelled";

  // Nothing to change is not a plan to send.
  CMultiConfigForm form({kB}, {kA, kB, kC, kD});
  CMultiConfigForm::Fields same;
  same.sName = "Attic";
  form.SetFields(same);
  EXPECT_NE(form.GetProblem().find("Nothing to change"), std::string::npos) << form.GetProblem();
}

// Every refusal of the address rule may be sent on purpose, and only on purpose; a
// shared address never. B and D share 192.168.1.0/24.
TEST_F(MultiConfigTest, AddressRuleRefusalsGoOutOnlyWhenSentAnyway) {
  const struct {
    const char* pszMask;
    const char* pszGateway;
    const char* pszMentions;
  } kCases[] = {
      {"255.0.255.0", "", "not a valid mask"},
      {"", "10.9.9.9", "outside the device's network"},
      {"255.255.255.255", "192.168.1.1", "outside the device's network"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.pszMask) + " " + c.pszGateway);
    Restart();
    List({0, 2});  // D, B
    CMultiConfigForm::Fields fields;
    fields.sNetMask = c.pszMask;
    fields.sGateway = c.pszGateway;
    bAnyway = false;
    EXPECT_NE(RunForm(fields).find(c.pszMentions), std::string::npos);
    EXPECT_TRUE(DirectConfigs().empty());
    bAnyway = true;
    RunForm(fields);
    EXPECT_EQ(DirectConfigs().size(), 2u);
  }
  // What the devices already have never blocks: B reports mask 0.0.0.0 and a far gateway.
  Restart();
  KESTO_RECORD odd = kB;
  odd.dwNetMask = 0;
  odd.dwGateway = 0x0A090909u;
  Answer(odd);
  Answer(kD);
  PassUntilRead();
  view.selectedRows = {0, 1};
  CMultiConfigForm::Fields rename;
  rename.sName = "Loft";
  bAnyway = false;
  EXPECT_EQ(RunForm(rename), "");
  EXPECT_EQ(DirectConfigs().size(), 2u);
  // "Apply" never confirms what the rule refused; "Send anyway" does.
  CMultiConfigForm form({kB}, {kA, kB, kC, kD});
  CMultiConfigForm::Fields bad;
  bad.sNetMask = "255.0.255.0";
  form.SetFields(bad);
  EXPECT_TRUE(form.MaySendAnyway());
  form.Confirm();
  EXPECT_FALSE(form.IsConfirmed());
  form.Confirm(true);
  EXPECT_TRUE(form.IsSentAnyway());
}

TEST_F(MultiConfigTest, OutcomesPerDeviceInTheStatusLineAndTheRows) {
  // Ten devices, so the run keeps at most eight awaiting their answers at once.
  std::vector<KESTO_RECORD> devices;
  for (uint8_t i = 1; i <= 10; ++i) devices.push_back(MakeDeviceRecord(i, "dev " + std::to_string(i), 0xC0A80100u | i));
  for (const KESTO_RECORD& record : devices) Answer(record);
  PassUntilRead();
  for (int i = 0; i < 10; ++i) view.selectedRows.push_back(i);
  CMultiConfigForm::Fields fields;
  fields.sDNS = "9.9.9.9";
  ASSERT_EQ(RunForm(fields), "");
  EXPECT_EQ(DirectConfigs().size(), CPlanApplyJob::kParallel);
  EXPECT_EQ(view.sStatus, "Sending plan: 0 of 10 devices done");

  // Every device but dev 3 answers with its new settings; dev 3 keeps its old ones.
  for (int nPass = 0; nPass < 40 && !presenter->GetPlanJob()->IsDone(); ++nPass) {
    clock.Advance(200);
    for (KESTO_RECORD record : devices) {
      if (record.byMAC[5] != 3) record.dwDNS = 0x09090909u;
      Answer(record);
    }
    PassUntilRead();
  }
  ASSERT_TRUE(presenter->GetPlanJob()->IsDone());
  EXPECT_EQ(DirectConfigs().size(), 10u) << "each device is sent its settings once";
  EXPECT_EQ(view.sStatus, "Plan: 9 confirmed, 1 not confirmed - dev 3 (00-1A-2B-3C-4D-03)");
  EXPECT_TRUE(presenter->IsRowUnsettled(RowKeyOf(devices[2])));
  EXPECT_FALSE(presenter->IsRowUnsettled(RowKeyOf(devices[0])));
  EXPECT_EQ(view.Get(devices[2]).sToolTip, "Plan: not confirmed: 10.0.0.1:1444 did not answer with the new values");
  EXPECT_EQ(view.Get(devices[0]).sToolTip, "Plan: confirmed");

  presenter->ClearApplyOutcomes();
  EXPECT_FALSE(presenter->IsRowUnsettled(RowKeyOf(devices[2])));
  EXPECT_EQ(view.Get(devices[2]).sToolTip, "");
}

TEST_F(MultiConfigTest, PlanFilesAndBackupsAsTheCommandLineReadsThem) {
  List({});
  struct Case {
    std::string sText;
    bool bRead;
    size_t nChanged;
  };
  const Case cases[] = {
      {R"([{"mac":"00-1A-2B-3C-4D-02","name":"Roof"},{"mac":"00-1A-2B-3C-4D-09","ip":"10.0.0.9"}])", true, 1},
      {presenter->BackupText("2026-12-09T15:40:00Z"), true, 0},  // restored onto the same devices: nothing
      {R"([{"mac":"00-1A-2B-3C-4D-02","type":"7"}])", false, 0},   // a code the dialog cannot send
      {R"({"format":"kesto-backup","version":2,"devices":[]})", false, 0},
      {"[]", false, 0},
  };
  for (const Case& c : cases) {
    PlanPreview preview;
    std::vector<std::string> errors;
    ASSERT_EQ(presenter->PreviewPlanText(c.sText, &preview, &errors), c.bRead) << c.sText.substr(0, 60);
    if (!c.bRead) {
      EXPECT_FALSE(errors.empty());
      continue;
    }
    EXPECT_EQ(preview.CountChanged(), c.nChanged) << c.sText.substr(0, 60);
    std::string sError;
    EXPECT_EQ(presenter->StartPlan(preview, &sError), c.nChanged > 0) << sError;
  }
  EXPECT_EQ(DirectConfigs().size(), 1u);
}

}  // namespace
