// The drawing header test over any bytes: the verdict depends on the first 32 bytes only.
#include <cstring>

#include "core/drawing/header.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer;
  const HeaderResult result = JudgeDrawingHeader(data, size);
  if (size < kDrawingHeaderSize) {
    FUZZ_CHECK(result == HeaderTooShort);
    return 0;
  }
  const bool magic =
      std::memcmp(data + kDrawingMagicOffset, kDrawingMagic, sizeof kDrawingMagic - 1) == 0;
  const int version = data[kDrawingVersionOffset];
  const bool accepted =
      magic && version >= kOldestDrawingVersion && version <= kNewestDrawingVersion;
  FUZZ_CHECK((result == HeaderOk) == accepted);
  FUZZ_CHECK(JudgeDrawingHeader(data, kDrawingHeaderSize) == result);
  return 0;
}
