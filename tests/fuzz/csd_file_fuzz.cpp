// The stand-ins' CSD reader: any file it takes is written back in a form it reads as the same
// drawing, and escaped text always comes back as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "support/csd_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto unescaped = standin::UnescapeText(standin::EscapeText(bytes));
  FUZZ_CHECK(unescaped.has_value() && *unescaped == bytes);

  std::string error;
  const auto drawing = standin::ParseCsd(bytes, &error);
  if (!drawing) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  const std::string written = standin::FormatCsd(*drawing);
  const auto again = standin::ParseCsd(written, &error);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->name == drawing->name && again->source == drawing->source &&
             again->version == drawing->version && again->params == drawing->params);
  FUZZ_CHECK(standin::FormatCsd(*again) == written);
  return 0;
}
