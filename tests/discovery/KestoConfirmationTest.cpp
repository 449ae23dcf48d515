// Confirmation of sent settings only when every address answering for the MAC shows them.
#include "discovery/KestoConfirmation.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"

namespace {

constexpr platform::Ipv4Endpoint kDevice{0x0ACA0114u, 1444};   // 10.202.1.20
constexpr platform::Ipv4Endpoint kSpoofer{0x0ACA0142u, 1444};  // 10.202.1.66
constexpr platform::Ipv4Endpoint kMoved{0x0ACA0109u, 1444};    // 10.202.1.9, the new address
constexpr platform::Ipv4Endpoint kStranger{0x0ACA0177u, 1444};

struct Answer {
  platform::Ipv4Endpoint from;
  bool bNewValues;
  uint32_t dwAtMs;  // after the send; answers before it are queued before the send
  bool bBeforeSend = false;
};

struct Case {
  const char* pszWhat;
  std::vector<platform::Ipv4Endpoint> sentTo;
  bool bMoveIP;
  std::vector<Answer> answers;
  bool bConfirmed;
  std::vector<platform::Ipv4Endpoint> unconfirmed;
  size_t nMaxSenders = 8;
  bool bUntracked = false;
};

TEST(KestoConfirmationTest, OnlyEveryAddressSentToCanConfirm) {
  const Case cases[] = {
      {"the one device answers", {kDevice}, false, {{kDevice, true, 10}}, true, {}},
      {"an old answer confirms nothing", {kDevice}, false, {{kDevice, false, 10}}, false, {kDevice}},
      {"an address not sent to cannot confirm", {kDevice}, false, {{kStranger, true, 10}}, false, {kDevice}},
      {"the spoofer alone cannot confirm", {kDevice, kSpoofer}, false, {{kSpoofer, true, 10}}, false, {kDevice}},
      {"both confirm", {kDevice, kSpoofer}, false, {{kSpoofer, true, 10}, {kDevice, true, 20}}, true, {}},
      {"the device alone leaves the other owing", {kDevice, kSpoofer}, false, {{kDevice, true, 10}}, false,
       {kSpoofer}},
      {"the new address stands in for the old", {kDevice}, true, {{kMoved, true, 10}}, true, {}},
      {"the new address counts only with the change", {kDevice}, false, {{kMoved, true, 10}}, false, {kDevice}},
      {"an answer later than the window", {kDevice}, false, {{kDevice, true, 3001}}, false, {kDevice}},
      {"an answer at the window's end", {kDevice}, false, {{kDevice, true, 3000}}, true, {}},
      {"an answer before the send", {kDevice}, false, {{kDevice, true, 0, true}}, false, {kDevice}},
      {"nothing sent directly", {}, false, {{kDevice, true, 10}}, false, {}},
      {"a further address answering with the old values", {kSpoofer}, false,
       {{kSpoofer, true, 10}, {kDevice, false, 30}}, false, {kDevice}},
      {"a further address answering with the new values", {kDevice}, false,
       {{kDevice, true, 10}, {kStranger, true, 30}}, true, {}},
      {"an address beyond the finder's room, heard before the send", {kSpoofer}, false,
       {{kSpoofer, false, 0, true}, {kDevice, false, 0, true}, {kSpoofer, true, 10}}, false, {}, 1, true},
      {"an address beyond the finder's room, heard after the send", {kSpoofer}, false,
       {{kSpoofer, true, 10}, {kDevice, false, 30}}, false, {}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    FakeClock clock(0xFFFFFF00u);  // the window crosses the wrap
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.fnReadInterfaces = {};
    options.fnRouteSource = {};
    options.nMaxSendersPerDevice = c.nMaxSenders;
    auto socket = std::make_unique<FakeDatagramSocket>();
    FakeDatagramSocket* pSocket = socket.get();
    CKestoFinder finder(options, std::move(socket));

    const KESTO_RECORD old = MakeRecord(7, "old");
    KESTO_RECORD sent = MakeRecord(7, "new");
    if (c.bMoveIP) sent.dwIPAddress = kMoved.dwAddress;
    for (const Answer& answer : c.answers) {
      if (!answer.bBeforeSend) continue;
      clock.Advance(1);
      pSocket->Queue(RecordBytes(answer.bNewValues ? sent : old), answer.from);
      finder.Receive();
    }
    clock.Advance(1);
    CKestoConfirmation confirmation(sent, c.sentTo, clock.Now());
    const uint32_t dwSent = clock.Now();
    const auto carries = [&](const KESTO_RECORD& answer) { return answer == sent; };
    for (const Answer& answer : c.answers) {
      if (answer.bBeforeSend) continue;
      clock.Set(dwSent + answer.dwAtMs);
      pSocket->Queue(RecordBytes(answer.bNewValues ? sent : old), answer.from);
      finder.Receive();
      confirmation.Update(finder, carries, 3000);
    }
    confirmation.Update(finder, carries, 3000);
    EXPECT_EQ(confirmation.IsConfirmed(), c.bConfirmed);
    EXPECT_EQ(confirmation.GetUnconfirmed(), c.unconfirmed);
    EXPECT_EQ(confirmation.IsUntracked(), c.bUntracked);
  }
}

}  // namespace
