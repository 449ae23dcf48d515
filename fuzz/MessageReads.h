#ifndef KESTO_FUZZ_MESSAGEREADS_H
#define KESTO_FUZZ_MESSAGEREADS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "COMMON/ZNBuffer.h"
#include "COMMON/ZNError.h"
#include "COMMON/ZNMSG.h"
#include "COMMON/ZNTime.h"
#include "COMMON/ZNTimeSpan.h"
#include "platform/SystemTime.h"

// Input layout shared by the message fuzz targets:
//   byte 0      the entry point that takes the raw form
//   byte 1      k, the number of operation bytes
//   k bytes     operations, run in this order (some take the next byte as argument)
//   the rest    the raw form, handed over with its exact size
struct FuzzInput {
  uint8_t byMode = 0;
  std::vector<uint8_t> ops;
  std::vector<uint8_t> raw;  // its own heap block, so ASan sees any read past it
};

inline bool SplitFuzzInput(const uint8_t* pData, size_t nSize, FuzzInput* pInput) {
  if (nSize < 2) return false;
  pInput->byMode = pData[0];
  const size_t nOps = pData[1] <= nSize - 2 ? pData[1] : nSize - 2;
  pInput->ops.assign(pData + 2, pData + 2 + nOps);
  pInput->raw.assign(pData + 2 + nOps, pData + nSize);
  return true;
}

// Runs every read (reporting and throwing) and a few writes and header calls
// in the order the operation bytes give.
inline void RunMessageOps(CZNMSG& msg, const std::vector<uint8_t>& ops) {
  std::vector<uint8_t> sink(8192);
  // A fixed start keeps runs reproducible (and free of clock calls).
  CZNTime time(platform::SystemTime{2013, 3, 5, 15, 14, 5, 9, 250});
  for (size_t i = 0; i < ops.size(); ++i) {
    const uint8_t byArg = i + 1 < ops.size() ? ops[i + 1] : 0;
    CZNTimeSpan span;
    std::string s;
    ZNRect rect;
    uint32_t rgb = 0;
    int8_t c = 0;
    uint8_t by = 0;
    int16_t sh = 0;
    uint16_t w = 0;
    int32_t iValue = 0;
    try {
      switch (ops[i] % 36) {
        case 0: msg.ReadBytes(sink.data(), static_cast<int8_t>(byArg)); ++i; break;
        case 1: msg.ReadChar(c); break;
        case 2: msg.ReadByte(by); break;
        case 3: msg.ReadShort(sh); break;
        case 4: msg.ReadWord(w); break;
        case 5: msg.ReadInt(iValue); break;
        case 6: msg.ReadString(s); break;
        case 7: {
          char* p = nullptr;
          msg.ReadString(p, iValue);
          ZNFreeChars(p);
          break;
        }
        case 8: msg.ReadTime(time); break;
        case 9: msg.ReadShortTime(time); break;
        case 10: msg.ReadTimeSpan(span); break;
        case 11: msg.ReadColor(rgb); break;
        case 12: msg.ReadRect(rect); break;
        case 13: msg.GetBytes(sink.data(), byArg); ++i; break;
        case 14: msg.GetChar(); break;
        case 15: msg.GetShort(); break;
        case 16: msg.GetInt(); break;
        case 17: msg.GetString(); break;
        case 18: msg.GetTime(); break;
        case 19: msg.GetTimeSpan(); break;
        case 20: msg.GetColor(); break;
        case 21: msg.GetRect(); break;
        case 22: msg.Rewind(); break;
        case 23: msg.SetLength(msg.GetLength() - byArg); ++i; break;
        case 24: msg.WriteInt(byArg); ++i; break;
        case 25: msg.WriteString(std::string(byArg, 's')); ++i; break;
        case 26: msg.WriteBytes(sink.data(), byArg); ++i; break;
        case 27: msg.WriteTime(time); break;
        case 28: msg.WriteTimeSpan(CZNTimeSpan(byArg, -byArg, byArg, 0, byArg)); ++i; break;
        case 29: msg.WriteRect(byArg, -byArg, 0x7FFFFFFF, -0x7FFFFFFF); ++i; break;
        case 30: msg.WriteShortTime(time); break;
        case 31: msg.SetTag(byArg); msg.SetType(byArg); ++i; break;
        case 32: {
          std::unique_ptr<CZNMSG> copy(msg.Clone());
          if (copy && !copy->IsEqual(msg) && copy->GetData() != nullptr) __builtin_trap();
          break;
        }
        case 33: {
          // Its own raw form must be accepted back by the checked entry point.
          CZNMSG again(true);
          if (msg.GetLength() <= CZNMSG::kMaxRawLength && !again.LoadRaw(msg.GetRaw(), msg.GetRawSize()))
            __builtin_trap();
          break;
        }
        case 34: msg.TryInit(byArg, byArg, byArg); ++i; break;
        case 35: {
          const uint8_t* pCursor = msg.GetCursorData();
          if (pCursor != nullptr && msg.GetPos() < msg.GetLength()) sink[0] = *pCursor;
          break;
        }
      }
    } catch (const CZNError& e) {
      if (e.m_iNumber != 0 && e.m_iNumber != 8) __builtin_trap();
    }
  }
}

// A message that owns nothing and has grown away from its attached bytes
// leaves its last buffer to its creator.
inline void ReleaseUnownedBuffer(CZNMSG& msg) {
  if (!msg.OwnsBuffer() && !msg.IsAttached() && msg.GetData() != nullptr) ZNFreeBytes(msg.GetRaw());
}

#endif
