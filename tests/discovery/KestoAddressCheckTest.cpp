#include "discovery/KestoAddressCheck.h"

#include <gtest/gtest.h>

#include <vector>

#include "discovery/KestoInfo.h"
#include "support/RecordBuilder.h"

namespace {

KESTO_RECORD WithIP(uint32_t dwId, uint32_t dwIP) {
  KESTO_RECORD record = MakeRecord(dwId);
  record.dwIPAddress = dwIP;
  return record;
}

CKestoAddressCheck::MacAddress Mac(uint32_t dwId) {
  const KESTO_RECORD record = MakeRecord(dwId);
  CKestoAddressCheck::MacAddress mac;
  std::copy(record.byMAC, record.byMAC + 6, mac.begin());
  return mac;
}

TEST(KestoAddressCheckTest, SharedAddressesNameTheOtherDevices) {
  const std::vector<KESTO_RECORD> records = {
      WithIP(1, 0x0ACA0107u), WithIP(2, 0x0ACA0108u), WithIP(3, 0x0ACA0107u), WithIP(4, 0),
      WithIP(5, 0),           WithIP(6, 0x0ACA0107u), WithIP(7, 0x0ACA0209u), WithIP(8, 0x0ACA0209u),
  };
  CKestoAddressCheck check;
  check.Rebuild(records);
  struct Case {
    uint32_t dwId;
    std::vector<CKestoAddressCheck::MacAddress> others;
  };
  const Case cases[] = {
      {1, {Mac(3), Mac(6)}}, {3, {Mac(1), Mac(6)}}, {6, {Mac(1), Mac(3)}}, {2, {}},
      {4, {}},  // 0.0.0.0 is no address yet, never a conflict
      {5, {}},  {7, {Mac(8)}}, {8, {Mac(7)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dwId);
    const KESTO_RECORD& record = records[c.dwId - 1];
    EXPECT_EQ(check.OtherMACsWithIP(record), c.others);
    EXPECT_EQ(check.IsDuplicateIP(record), !c.others.empty());
  }
  EXPECT_EQ(check.GetSharedIPs(), (std::vector<uint32_t>{0x0ACA0107u, 0x0ACA0209u}));
  EXPECT_EQ(check.MACsWithIP(0x0ACA0107u), (std::vector<CKestoAddressCheck::MacAddress>{Mac(1), Mac(3), Mac(6)}));
  // A record not in the list is judged against the list.
  EXPECT_TRUE(check.IsDuplicateIP(WithIP(99, 0x0ACA0108u)));
  EXPECT_FALSE(check.IsDuplicateIP(WithIP(99, 0x0ACA0199u)));
}

TEST(KestoAddressCheckTest, RebuildForgetsTheLastListAndTakesTheFindersEntries) {
  CKestoAddressCheck check;
  check.Rebuild(std::vector<KESTO_RECORD>{WithIP(1, 0x0A000001u), WithIP(2, 0x0A000001u)});
  ASSERT_TRUE(check.IsDuplicateIP(WithIP(1, 0x0A000001u)));

  CZNObList list;
  CKestoInfo a(WithIP(1, 0x0A000001u), 0), b(WithIP(2, 0x0A000002u), 0), c(WithIP(3, 0x0A000002u), 0);
  list.AddTail(&a);
  list.AddTail(&b);
  list.AddTail(&c);
  check.Rebuild(list);
  EXPECT_FALSE(check.IsDuplicateIP(a.GetRecord()));
  EXPECT_EQ(check.OtherMACsWithIP(b.GetRecord()), (std::vector<CKestoAddressCheck::MacAddress>{Mac(3)}));
  EXPECT_EQ(check.GetSharedIPs(), (std::vector<uint32_t>{0x0A000002u}));
  list.RemoveAll();

  // The same device twice is one holder, not a conflict.
  check.Rebuild(std::vector<KESTO_RECORD>{WithIP(5, 0x0A000005u), WithIP(5, 0x0A000005u)});
  EXPECT_FALSE(check.IsDuplicateIP(WithIP(5, 0x0A000005u)));
  check.Rebuild(std::vector<KESTO_RECORD>{});
  EXPECT_TRUE(check.GetSharedIPs().empty());
}

TEST(KestoAddressCheckTest, IsOnLocalSubnet) {
  std::vector<platform::NetInterface> table(3);
  table[0].sName = "lo";
  table[0].dwAddress = 0x7F000001u;
  table[0].dwMask = 0xFF000000u;
  table[0].bUp = table[0].bLoopback = true;
  table[1].sName = "eth0";
  table[1].dwAddress = 0x0ACA0101u;  // 10.202.1.1/24
  table[1].dwMask = 0xFFFFFF00u;
  table[1].bUp = true;
  table[2].sName = "eth1";
  table[2].dwAddress = 0x0ACA0201u;  // 10.202.2.1/24, down
  table[2].dwMask = 0xFFFFFF00u;
  struct Case {
    uint32_t dwIP;
    bool bLocal;
  };
  const Case cases[] = {{0x0ACA0107u, true},  {0x0ACA01FFu, true},  {0x0ACA0007u, false},
                        {0x0ACA0207u, false}, {0x7F000005u, true},  {0xC0A8010Au, false}};
  for (const Case& c : cases) EXPECT_EQ(CKestoAddressCheck::IsOnLocalSubnet(c.dwIP, table), c.bLocal) << c.dwIP;
  EXPECT_FALSE(CKestoAddressCheck::IsOnLocalSubnet(0x0ACA0107u, {}));
}

}  // namespace
