#ifndef KESTO_DISCOVERY_RECEIVEROOMNOTICE_H
#define KESTO_DISCOVERY_RECEIVEROOMNOTICE_H

#include <cstddef>
#include <string>

#include "platform/DatagramSocket.h"

// Answers to one probe arrive together; those the socket's receive buffer has no
// room for are lost in the OS. This reads back the size the OS granted and returns
// a one-line notice when it holds fewer answers than the list takes (nMaxEntries),
// or "" when it holds enough or its size cannot be read (a fake socket, none).
std::string ReceiveRoomNotice(platform::DatagramSocket* pSocket, size_t nMaxEntries);

#endif
