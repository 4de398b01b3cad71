// The REGEDIT4 reader (the settings store and the setup library share it): any text it takes,
// written back out, reads as the same keys and values.
#include <string>

#include "core/settings/regedit_file.h"
#include "../common/same_regedit_model.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using plotxfer::RegeditFile;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto parsed = RegeditFile::Parse(text, &error);
  if (!parsed) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0);
    return 0;
  }
  const std::string written = parsed->Serialize();
  const auto again = RegeditFile::Parse(written, &error);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(plotxfer::testing::SameRegeditModel(*parsed, *again));
  FUZZ_CHECK(again->Serialize() == written);
  return 0;
}
