// Arbitrary bytes as the raw form of a log message through the checked
// constructor, then every read and the log calls in the order the input chooses.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "COMMON/ZNLogMSG.h"
#include "MessageReads.h"
#include "platform/DebugOutput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::SetDebugOutputSink([](std::string_view) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  FuzzInput input;
  if (!SplitFuzzInput(pData, nSize, &input)) return 0;
  CZNLogMSG log(input.raw.data(), input.raw.size());
  if (CZNLogMSG::IsRawAcceptable(input.raw.data(), input.raw.size()) != (log.GetData() != nullptr)) {
    // Accepted raw forms always get a buffer here (the heap is not exhausted).
    __builtin_trap();
  }
  RunMessageOps(log, input.ops);
  if (input.byMode & 1) {
    const int32_t iLength = log.GetLength();
    const int32_t iPos = log.GetPos();
    log.SetLogTime(log.GetLogTime());
    if (log.GetLength() != iLength || log.GetPos() != iPos) __builtin_trap();
  }
  CZNLogMSG fresh(log.GetValue());
  fresh.IsEqual(log);
  return 0;
}
