// The REGEDIT4 reader (the settings store and the setup library share it): any text it takes,
// written back out, reads as the same keys and values.
#include <string>

#include "core/settings/regedit_file.h"
#include "fuzz_check.h"

namespace {

bool SameValues(const plotxfer::RegeditFile& a, const plotxfer::RegeditFile& b) {
  if (a.keys().size() != b.keys().size()) {
    return false;
  }
  for (std::size_t k = 0; k < a.keys().size(); ++k) {
    const auto& ka = a.keys()[k];
    const auto& kb = b.keys()[k];
    if (ka.path != kb.path || ka.values.size() != kb.values.size()) {
      return false;
    }
    for (std::size_t v = 0; v < ka.values.size(); ++v) {
      const auto& va = ka.values[v];
      const auto& vb = kb.values[v];
      if (va.name != vb.name || va.type != vb.type || va.data != vb.data) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

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
  FUZZ_CHECK(SameValues(*parsed, *again));
  FUZZ_CHECK(again->Serialize() == written);
  return 0;
}
