#include "plan/PlanPreview.h"
#include "plan/ConfigAddressCheck.h"

#include <gtest/gtest.h>

#include "plan/PlanCsvRows.h"

#include "support/RecordBuilder.h"
#include "plan/AddressAssignment.h"
#include "plan/DeviceBackup.h"
#include "plan/PlanReader.h"

namespace {

DevicePlan Plan(const std::string& sText) {
  DevicePlan plan;
  std::vector<std::string> errors;
  EXPECT_TRUE(ReadPlan(sText, &plan, &errors)) << (errors.empty() ? "" : errors[0]);
  return plan;
}

// Three devices 00-1A-00-00-00-01..03 at 10.0.0.1..3, named One, Two, Three.
std::vector<KESTO_RECORD> Devices() { return {MakeRecord(1, "One"), MakeRecord(2, "Two"), MakeRecord(3, "Three")}; }

TEST(PlanPreviewTest, ShowsEachChangeAgainstWhatTheDeviceSays) {
  struct Case {
    const char* pszPlan;
    const char* pszText;
  };
  const Case cases[] = {
      {"mac,name,ip\n00-1A-00-00-00-01,New,10.0.0.1\n", "00-1A-00-00-00-01  name: \"One\" -> \"New\"\n"
                                                        "1 to change, 0 unchanged, 0 not found\n"},
      {"mac,name,baud\n00-1A-00-00-00-02,Two,9600\n", "nothing to change: 1 device already holds these settings, "
                                                      "0 not found\n"},
      // The change first, however far down the plan; the unchanged rows only counted.
      {"mac,name\n00-1A-00-00-00-01,One\n00-1A-00-00-00-02,Two\n00-1A-00-00-00-03,Four\n",
       "00-1A-00-00-00-03  name: \"Three\" -> \"Four\"\n1 to change, 2 unchanged (not shown), 0 not found\n"},
      // A quote in a name cannot end the quoted name early.
      {"mac,name\n00-1A-00-00-00-01,\"a\"\" -> \"\"b\"\n",
       "00-1A-00-00-00-01  name: \"One\" -> \"a\\\" -> \\\"b\"\n1 to change, 0 unchanged, 0 not found\n"},
      // The address rule judges what changes: a bad mask the plan sets, not a name change.
      {"mac,netmask\n00-1A-00-00-00-01,255.0.255.0\n",
       "00-1A-00-00-00-01  netmask: 255.255.255.0 -> 255.0.255.0\nwarning: 00-1A-00-00-00-01: The net mask 255.0.255.0 "
       "is not a valid mask: it must be ones followed by zeros, such as 255.255.255.0.\n"
       "1 to change, 0 unchanged, 0 not found\n"},
      {"mac,ip,type,protocol,baud\n00-1A-00-00-00-03,10.0.0.9,slave,RS485,115200\n",
       "00-1A-00-00-00-03  ip: 10.0.0.3 -> 10.0.0.9, type: Master -> Slave, protocol: RS232 -> RS485, baud: 9600 -> "
       "115200\n1 to change, 0 unchanged, 0 not found\n"},
      {"mac,name\n00-1A-00-00-00-09,Ghost\n", "00-1A-00-00-00-09  not found (no answer)\n"
                                              "nothing to change: 0 devices already hold these settings, 1 not found\n"},
      {"mac,ip\n00-1A-00-00-00-01,10.0.0.2\n", "00-1A-00-00-00-01  ip: 10.0.0.1 -> 10.0.0.2\n"
                                               "warning: 10.0.0.2 would be held by more than one device: "
                                               "00-1A-00-00-00-01 00-1A-00-00-00-02\n"
                                               "1 to change, 0 unchanged, 0 not found\n"},
  };
  for (const Case& c : cases) {
    const PlanPreview preview = PreviewPlan(Plan(c.pszPlan), Devices());
    EXPECT_EQ(FormatPreview(preview), c.pszText) << c.pszPlan;
    EXPECT_TRUE(preview.Errors().empty()) << c.pszPlan;
  }
  // A plan gives no name with control characters (a device may keep one it has).
  const PlanPreview preview = PreviewPlan(Plan("mac,name\n00-1A-00-00-00-01,\x1B[2J\n"), Devices());
  ASSERT_EQ(preview.Errors().size(), 1u);
  EXPECT_NE(preview.Errors()[0].find("control character 0x1B"), std::string::npos) << preview.Errors()[0];
}

TEST(PlanPreviewTest, SendsOnlyTheFieldsThatDiffer) {
  const PlanPreview preview = PreviewPlan(Plan("mac,name,ip,type\n00-1A-00-00-00-01,One,10.0.0.7,2\n"), Devices());
  const CKestoSettingsChange& change = preview.devices[0].change;
  EXPECT_FALSE(change.sName);
  EXPECT_FALSE(change.cType);
  EXPECT_EQ(change.dwIPAddress, 0x0A000007u);
}

TEST(PlanPreviewTest, CodesOutsideTheChoicesPassOnlyWhereTheDeviceHoldsThem) {
  std::vector<KESTO_RECORD> devices = Devices();
  devices[0].cType = 1;
  devices[0].shProtocol = 3;
  devices[0].wBaudRate = 2400;
  std::memcpy(devices[0].szName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01", 28);  // a full field, no NUL
  // What the list prints for that device, back as a plan: nothing changes, nothing is refused.
  PlanPreview preview = PreviewPlan(Plan("mac,type,protocol,baud,name\n00-1A-00-00-00-01,1,RS485,2400,ABCDEFGHIJKLMNOPQRSTUVWXYZ01\n"), devices);
  EXPECT_FALSE(preview.devices[0].HasChanges());
  EXPECT_TRUE(preview.Errors().empty());
  // The same codes for a device that holds others would change it: refused.
  preview = PreviewPlan(Plan("mac,type,baud,name\n00-1A-00-00-00-02,1,2400,ABCDEFGHIJKLMNOPQRSTUVWXYZ01\n"), devices);
  ASSERT_EQ(preview.Errors().size(), 3u);
  EXPECT_NE(preview.Errors()[0].find("row 2: type:"), std::string::npos) << preview.Errors()[0];
}

TEST(PlanPreviewTest, BackupRestoredOntoTheSameDevicesChangesNothing) {
  std::vector<KESTO_RECORD> devices = Devices();
  std::memcpy(devices[1].szName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01", 28);  // a full field, no NUL
  devices[2].shProtocol = -3;
  devices[2].wBaudRate = 49664;
  devices[2].byReserved2[0] = 0xDE;
  std::vector<KESTO_RECORD> restored;
  std::string sError;
  ASSERT_TRUE(ReadBackup(BackupToJson(devices, "2026-12-09T15:40:00Z"), &restored, &sError)) << sError;
  ASSERT_EQ(restored, devices);
  const PlanPreview preview = PreviewPlan(RestorePlan(restored), devices);
  EXPECT_EQ(preview.CountChanged(), 0u);
  EXPECT_EQ(preview.CountNotFound(), 0u);
  // Onto changed devices, only the settable fields come back.
  devices[0].dwIPAddress = 0x0A000063u;
  devices[0].iPort = 1;
  const PlanPreview back = PreviewPlan(RestorePlan(restored), devices);
  ASSERT_EQ(back.CountChanged(), 1u);
  ASSERT_EQ(back.devices[0].changes.size(), 1u);
  EXPECT_EQ(back.devices[0].changes[0].sField, "ip");
}

TEST(PlanPreviewTest, BackupsOfAnotherFormOrVersionAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {R"([])", "not a backup"},
      {R"({"format":"kesto-backup","version":2,"devices":[]})", "version 2"},
      {R"({"format":"kesto-backup","version":1})", "\"devices\""},
      {R"({"format":"kesto-backup","version":1,"devices":[{"mac":"00-1A-00-00-00-01"},{"mac":"00-1A-00-00-00-01"}]})",
       "twice"},
  };
  for (const auto& [pszText, pszNamed] : cases) {
    std::vector<KESTO_RECORD> records;
    std::string sError;
    EXPECT_FALSE(ReadBackup(pszText, &records, &sError)) << pszText;
    EXPECT_NE(sError.find(pszNamed), std::string::npos) << sError;
  }
}

TEST(AddressAssignmentTest, GivesTheNextFreeAddressInOrder) {
  std::vector<KESTO_RECORD> devices = {MakeRecord(3, "Cellar"), MakeRecord(1, "Boiler"), MakeRecord(2, "Attic"),
                                       MakeRecord(4, "Office")};
  devices[3].dwIPAddress = 0x0A010002u;  // Office holds 10.1.0.2 and does not match below
  struct Case {
    AssignOrder order;
    const char* pszMatch;
    std::vector<uint8_t> macOrder;    // last MAC bytes, in plan order
    std::vector<uint32_t> addresses;  // their new last address bytes
  };
  const Case cases[] = {
      {AssignOrder::kMac, "", {1, 2, 3, 4}, {1, 2, 3, 4}},
      {AssignOrder::kName, "", {2, 1, 3, 4}, {1, 2, 3, 4}},
      {AssignOrder::kListed, "", {3, 1, 2, 4}, {1, 2, 3, 4}},
      {AssignOrder::kIp, "", {1, 2, 3, 4}, {1, 2, 3, 4}},
      {AssignOrder::kMac, "r", {1, 3}, {1, 3}},  // Office (not matching) keeps 10.1.0.2: skipped
      {AssignOrder::kName, "00-1a-00-00-00-0", {2, 1, 3, 4}, {1, 2, 3, 4}},
      {AssignOrder::kMac, "001A00000003", {3}, {1}},
  };
  for (const Case& c : cases) {
    AddressAssignment assignment;
    std::string sError;
    ASSERT_TRUE(ParseAddressRange("10.1.0.1-10.1.0.9", std::nullopt, &assignment.dwFirst, &assignment.dwLast, &sError));
    assignment.order = c.order;
    assignment.sMatch = c.pszMatch;
    DevicePlan plan;
    ASSERT_TRUE(BuildAssignmentPlan(assignment, devices, &plan, &sError)) << sError;
    ASSERT_EQ(plan.entries.size(), c.macOrder.size()) << c.pszMatch;
    for (size_t i = 0; i < plan.entries.size(); ++i) {
      EXPECT_EQ(plan.entries[i].mac[5], c.macOrder[i]) << c.pszMatch << " #" << i;
      EXPECT_EQ(plan.entries[i].request.dwIPAddress, 0x0A010000u | c.addresses[i]) << c.pszMatch << " #" << i;
    }
  }
}

TEST(AddressAssignmentTest, RangesAndTheirLimits) {
  struct Case {
    const char* pszRange;
    std::optional<uint32_t> dwMask;
    bool bValid;
    uint32_t dwFirst, dwLast;
  };
  const Case cases[] = {
      {"10.201.0.10-10.201.0.250", {}, true, 0x0AC9000Au, 0x0AC900FAu},
      {"10.201.0.10", {}, true, 0x0AC9000Au, 0x0AC900FEu},
      {"10.201.0.10", 0xFFFF0000u, true, 0x0AC9000Au, 0x0AC9FFFEu},
      {"10.201.0.10-10.201.0.9", {}, false, 0, 0},
      {"10.201.0-10.201.0.9", {}, false, 0, 0},
      {"10.201.0.1-x", {}, false, 0, 0},
  };
  for (const Case& c : cases) {
    uint32_t dwFirst = 0, dwLast = 0;
    std::string sError;
    EXPECT_EQ(ParseAddressRange(c.pszRange, c.dwMask, &dwFirst, &dwLast, &sError), c.bValid) << c.pszRange;
    if (c.bValid) {
      EXPECT_EQ(dwFirst, c.dwFirst) << c.pszRange;
      EXPECT_EQ(dwLast, c.dwLast) << c.pszRange;
    }
  }
  // Two devices, two addresses, one of them held by a third device: not enough.
  AddressAssignment assignment;
  assignment.dwFirst = 0x0A000001u;
  assignment.dwLast = 0x0A000002u;
  assignment.sMatch = "00-1A-00-00-00-0";
  std::vector<KESTO_RECORD> devices = Devices();
  devices.push_back(MakeRecord(4, "Four"));
  devices[3].dwIPAddress = 0x0A000002u;
  devices[3].byMAC[0] = 0x02;
  DevicePlan plan;
  std::string sError;
  EXPECT_FALSE(BuildAssignmentPlan(assignment, devices, &plan, &sError));
  EXPECT_NE(sError.find("3 devices match"), std::string::npos) << sError;
}

}  // namespace

namespace {

TEST(ConfigAddressCheckTest, JudgesOnlyTheValuesThatChange) {
  using Check = CConfigAddressCheck;
  const Check::Addresses odd{0x0A000006u, 0x00000000u, 0xC0A80901u};  // mask 0.0.0.0, gateway elsewhere
  const Check::Addresses good{0x0A000005u, 0xFFFFFF00u, 0x0A000001u};
  struct Case {
    const char* pszWhat;
    Check::Addresses before, after;
    Check::Problem problem;
  };
  const Case cases[] = {
      {"what the device holds passes", odd, odd, Check::kNone},
      {"a new bad mask", good, {good.dwIPAddress, 0xFF00FF00u, good.dwGateway}, Check::kNetMask},
      {"a new gateway outside", good, {good.dwIPAddress, good.dwNetMask, 0x0A010001u}, Check::kGateway},
      {"a new IP leaves the gateway outside", good, {0x0B000005u, good.dwNetMask, good.dwGateway}, Check::kGateway},
      {"a new mask makes the IP the broadcast", {0x0A0000FFu, 0xFFFF0000u, 0}, {0x0A0000FFu, 0xFFFFFF00u, 0},
       Check::kIPBroadcast},
      {"a new IP of 0.0.0.0", {good.dwIPAddress, good.dwNetMask, 0}, {0, good.dwNetMask, 0}, Check::kIPZero},
      {"another device's IP", good, {0x0A000009u, good.dwNetMask, good.dwGateway}, Check::kIPInUse},
      {"its own IP shared already", {0x0A000009u, good.dwNetMask, good.dwGateway},
       {0x0A000009u, good.dwNetMask, good.dwGateway}, Check::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Check::Check(c.after, c.before, {{0x0A000009u, "other"}}).problem, c.problem) << c.pszWhat;
}

}  // namespace
