// Arbitrary bytes as the raw form of a message, through each checked entry
// point, then every read in the order the input chooses.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MessageReads.h"
#include "platform/DebugOutput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Every thrown CZNError writes a debugger line; keep the run quiet and fast.
  platform::SetDebugOutputSink([](std::string_view) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  FuzzInput input;
  if (!SplitFuzzInput(pData, nSize, &input)) return 0;
  switch (input.byMode % 4) {
    case 0: {
      CZNMSG msg(input.raw.data(), input.raw.size());
      RunMessageOps(msg, input.ops);
      ReleaseUnownedBuffer(msg);
      break;
    }
    case 1: {
      CZNMSG msg(static_cast<bool>(input.byMode & 0x10));
      msg.TryAssign(input.raw.data(), input.raw.size());
      RunMessageOps(msg, input.ops);
      ReleaseUnownedBuffer(msg);
      break;
    }
    case 2: {
      CZNMSG msg(true);
      msg.LoadRaw(input.raw.data(), input.raw.size());
      RunMessageOps(msg, input.ops);
      break;
    }
    case 3: {
      CZNMSG msg(1, 2, 0, 0);
      try {
        msg.Assign(input.raw.data(), input.raw.size());
      } catch (const CZNError&) {
      }
      RunMessageOps(msg, input.ops);
      break;
    }
  }
  return 0;
}
