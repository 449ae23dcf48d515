#include "discovery/ReceiveRoomNotice.h"

#include "discovery/KestoWire.h"
#include "platform/UdpSocket.h"

std::string ReceiveRoomNotice(platform::DatagramSocket* pSocket, size_t nMaxEntries) {
  if (pSocket == nullptr) return {};
  const long lRoom = platform::GetReceiveBufferDatagrams(*pSocket, kesto_wire::kRecordSize);
  if (lRoom < 0 || static_cast<size_t>(lRoom) >= nMaxEntries) return {};
  return "the receive buffer holds about " + std::to_string(lRoom) + " answers, fewer than the " +
         std::to_string(nMaxEntries) + " devices the list takes: a larger crowd answering at once may be cut short" +
         " (on Linux raise net.core.rmem_max)";
}
