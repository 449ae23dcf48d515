#include "app/logic/ConfigKestoModel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/KestoName.h"
#include "discovery/KestoRecordRules.h"
#include "support/NameCases.h"
#include "support/RecordBuilder.h"

namespace {

CKestoInfo Entry(int8_t cType, int16_t shProtocol = 0, uint16_t wBaudRate = 9600) {
  KESTO_RECORD record = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);
  record.cType = cType;
  record.shProtocol = shProtocol;
  record.wBaudRate = wBaudRate;
  return CKestoInfo(record, 0);
}

const std::vector<std::string> kFourTypes{"Master", "Slave", "Aprilaire", "Passthrough"};

struct TypeCase {
  int8_t cType;
  std::vector<std::string> items;
  int iSelected;
  bool bPassThrough;
  int iHandedBack;  // confirming without touching the list
};

void PrintTo(const TypeCase& c, std::ostream* pOut) { *pOut << "cType " << int(c.cType); }

class TypeRuleTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TypeRuleTest, ListSelectionEnablingAndCodeHandedBack) {
  const TypeCase& c = GetParam();
  CConfigKestoModel model(Entry(c.cType));
  EXPECT_EQ(model.GetTypeItems(), c.items);
  EXPECT_EQ(model.GetTypeSelection(), c.iSelected);
  EXPECT_EQ(model.IsPassThroughEnabled(), c.bPassThrough);
  model.Confirm();
  EXPECT_EQ(*model.GetChange().cType, c.iHandedBack);
}

INSTANTIATE_TEST_SUITE_P(
    Code, TypeRuleTest,
    ::testing::Values(TypeCase{1, {"Solvane/Duravex"}, 0, false, 2}, TypeCase{2, kFourTypes, 0, false, 2},
                      TypeCase{3, kFourTypes, 1, false, 3}, TypeCase{4, kFourTypes, 2, false, 4},
                      TypeCase{5, kFourTypes, 3, true, 5},
                      // Outside 1-5: no selection, and the record keeps its own code.
                      TypeCase{0, kFourTypes, -1, false, 0}, TypeCase{6, kFourTypes, -1, false, 6},
                      TypeCase{-3, kFourTypes, -1, false, -3}),
    [](const ::testing::TestParamInfo<TypeCase>& info) {
      const int iType = info.param.cType;
      return std::string(iType < 0 ? "TypeMinus" : "Type") + std::to_string(iType < 0 ? -iType : iType);
    });

TEST(ConfigKestoModelTest, EnablingFollowsTheTypeSelection) {
  CConfigKestoModel model(Entry(5));
  EXPECT_TRUE(model.IsPassThroughEnabled());
  const struct {
    int iIndex;
    bool bEnabled;
  } steps[] = {{1, false}, {3, true}, {0, false}, {2, false}, {3, true}, {4, true} /* refused */, {-1, false}};
  for (const auto& step : steps) {
    model.SetTypeSelection(step.iIndex);
    EXPECT_EQ(model.IsPassThroughEnabled(), step.bEnabled) << "index " << step.iIndex;
  }
}

TEST(ConfigKestoModelTest, SolvaneListHandsBackMasterAndNeverEnablesPassThrough) {
  CConfigKestoModel model(Entry(1));
  model.SetTypeSelection(3);  // not in a one-entry list
  EXPECT_EQ(model.GetTypeSelection(), 0);
  EXPECT_FALSE(model.IsPassThroughEnabled());
  model.Confirm();
  EXPECT_EQ(*model.GetChange().cType, 2);
}

TEST(ConfigKestoModelTest, ProtocolSelectionAndValueHandedBack) {
  const struct {
    int16_t shProtocol;
    int iSelected;
  } cases[] = {{0, 0}, {1, 1}, {-1, 1}, {7, 1}, {-32768, 1}};
  for (const auto& c : cases) {
    CConfigKestoModel model(Entry(5, c.shProtocol));
    EXPECT_EQ(model.GetProtocolSelection(), c.iSelected) << c.shProtocol;
    model.Confirm();
    // Left as it was, the list sends the device's own code back byte for byte.
    EXPECT_EQ(*model.GetChange().shProtocol, c.shProtocol) << c.shProtocol;
    KESTO_RECORD record = Entry(5, c.shProtocol).GetRecord();
    model.GetChange().ApplyTo(record);
    EXPECT_EQ(record.shProtocol, c.shProtocol);
    // A choice made sends 0 or 1.
    CConfigKestoModel changed(Entry(5, c.shProtocol));
    changed.SetProtocolSelection(1 - c.iSelected);
    changed.Confirm();
    EXPECT_EQ(*changed.GetChange().shProtocol, 1 - c.iSelected) << c.shProtocol;
  }
  EXPECT_EQ(CConfigKestoModel::GetProtocolItems(), (std::vector<std::string>{"RS232", "RS485"}));
}

TEST(ConfigKestoModelTest, BaudSelectionFromTheRecordsSixteenBitRate) {
  EXPECT_EQ(CConfigKestoModel::GetBaudItems(),
            (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600", "4800", "1200", "600", "300"}));
  const struct {
    uint16_t wBaudRate;
    int iSelected;
    int iHandedBack;
  } cases[] = {
      {9600, 4, 9600},   {49664, 0, 115200}, {57600, 1, 57600}, {300, 8, 300},
      // Not offered: no selection, and the device keeps its rate.
      {2400, -1, 2400}, {0, -1, 0},         {65535, -1, 65535},
  };
  for (const auto& c : cases) {
    CConfigKestoModel model(Entry(5, 0, c.wBaudRate));
    EXPECT_EQ(model.GetBaudSelection(), c.iSelected) << c.wBaudRate;
    model.Confirm();
    EXPECT_EQ(BaudFromWire(*model.GetChange().wBaudRate), c.iHandedBack) << c.wBaudRate;
    KESTO_RECORD record;
    model.GetChange().ApplyTo(record);
    EXPECT_EQ(record.wBaudRate, c.wBaudRate) << "an untouched dialog must not change the rate";
  }
}

TEST(ConfigKestoModelTest, Choosing115200StoresItsLowSixteenBits) {
  CConfigKestoModel model(Entry(5, 0, 9600));
  model.SetBaudSelection(0);
  model.Confirm();
  EXPECT_EQ(BaudFromWire(*model.GetChange().wBaudRate), 115200);
  KESTO_RECORD record;
  model.GetChange().ApplyTo(record);
  EXPECT_EQ(record.wBaudRate, 49664);
}

TEST(ConfigKestoModelTest, NameLongerThan27IsRefusedAndLeftAsItWas) {
  CConfigKestoModel model(Entry(5));
  EXPECT_EQ(model.GetName(), "Boiler room");
  std::string sError;
  EXPECT_FALSE(model.SetName(std::string(40, 'x'), &sError));
  EXPECT_NE(sError.find("at most 27"), std::string::npos) << sError;
  EXPECT_EQ(model.GetName(), "Boiler room");
}

TEST(ConfigKestoModelTest, NamesFollowTheOneNameRule) {
  for (const NameCase& c : NameCases()) {
    SCOPED_TRACE(c.pszWhat);
    KESTO_RECORD record = Entry(5).GetRecord();
    std::memset(record.szName, 0, sizeof record.szName);
    std::memcpy(record.szName, c.sRecordName.data(), c.sRecordName.size());
    CConfigKestoModel model(CKestoInfo(record, 0));
    // What the dialog shows is the record's bytes as Latin-1 text.
    EXPECT_EQ(model.GetNameText(), Latin1ToUtf8(c.sRecordName));
    std::string sError;
    ASSERT_EQ(model.SetName(c.sTyped, &sError), c.bDialogTakes) << sError;
    if (!c.bDialogTakes) {
      EXPECT_NE(sError.find(c.pszRefusal), std::string::npos) << sError;
      EXPECT_EQ(model.GetName(), c.sRecordName);
      continue;
    }
    model.Confirm();
    KESTO_RECORD written = record;
    model.GetChange().ApplyTo(written);
    EXPECT_EQ(std::string(written.szName, sizeof written.szName),
              c.sStored + std::string(sizeof written.szName - c.sStored.size(), '\0'));
    EXPECT_EQ(written.iPort, record.iPort);
  }
}

TEST(ConfigKestoModelTest, ANameLeftAloneGoesBackByteForByte) {
  KESTO_RECORD record = Entry(5).GetRecord();
  std::memset(record.szName, '\xE9', sizeof record.szName);  // full, no NUL, upper half
  CConfigKestoModel model(CKestoInfo(record, 0));
  EXPECT_EQ(model.GetNameLimit(), 28u);
  model.Confirm();
  // Written back into the record it came from, as "Basic Config..." does with the row copy.
  KESTO_RECORD written = record;
  written.cType = 2;
  model.GetChange().ApplyTo(written);
  EXPECT_EQ(std::memcmp(written.szName, record.szName, sizeof record.szName), 0);
  EXPECT_EQ(CConfigKestoModel(Entry(5)).GetNameLimit(), KESTO_NAME_MAX);
}

TEST(ConfigKestoModelTest, AddressesComeFromTheRecordAndGoBackUnchanged) {
  CConfigKestoModel model(Entry(5));
  EXPECT_EQ(model.GetAddress(CConfigKestoModel::kIPAddress), 0xC0A8010Au);
  EXPECT_EQ(model.GetAddress(CConfigKestoModel::kNetMask), 0xFFFFFF00u);
  EXPECT_EQ(model.GetAddress(CConfigKestoModel::kGateway), 0xC0A80101u);
  EXPECT_EQ(model.GetAddress(CConfigKestoModel::kDNS), 0x08080808u);
  model.SetAddress(CConfigKestoModel::kDNS, 0);
  model.Confirm();
  const CKestoSettingsChange values = model.GetChange();
  EXPECT_EQ(*values.dwIPAddress, 0xC0A8010Au);
  EXPECT_EQ(*values.dwDNS, 0u);
}

TEST(ConfigKestoModelTest, TheChangeLeavesMacVersionPortAndReservedBytes) {
  KESTO_RECORD record = MakeDeviceRecord(0x07, "Old name that is rather long", 0x01020304u);
  record.byReserved1 = 0x11;
  record.byReserved2[3] = 0x22;
  const KESTO_RECORD before = record;
  CConfigKestoModel model(CKestoInfo(record, 0));
  ASSERT_TRUE(model.SetName(std::string(27, 'n')));  // the longest new name
  model.SetTypeSelection(3);                         // Passthrough: 5
  model.SetProtocolSelection(1);                     // RS485: 1
  model.Confirm();
  model.GetChange().ApplyTo(record);
  EXPECT_EQ(std::string(record.szName, 27), std::string(27, 'n'));
  EXPECT_EQ(record.szName[27], '\0');
  EXPECT_EQ(record.iPort, before.iPort);
  EXPECT_EQ(record.cType, 5);
  EXPECT_EQ(record.shProtocol, 1);
  EXPECT_EQ(0, std::memcmp(record.byMAC, before.byMAC, 6));
  EXPECT_EQ(0, std::memcmp(record.szVersion, before.szVersion, 36));
  EXPECT_EQ(record.byReserved1, 0x11);
  EXPECT_EQ(record.byReserved2[3], 0x22);
}

}  // namespace
