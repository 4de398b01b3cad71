// The initialisation-file reader: whatever the file, the answer fits the caller's buffer and
// never ends in half a double-byte character.
#include <fuzzer/FuzzedDataProvider.h>

#include "core/settings/ini_file.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer;
  FuzzedDataProvider in(data, size);
  const auto cp = in.PickValueInArray(
      {text::CodePage::SingleByte, text::CodePage::ShiftJis, text::CodePage::Utf8});
  const std::size_t buffer_size = in.ConsumeIntegralInRange<std::size_t>(1, 300);
  const std::string section = in.ConsumeRandomLengthString(24);
  const std::string key = in.ConsumeRandomLengthString(24);
  const std::string file = in.ConsumeRemainingBytesAsString();

  const std::string value = ProfileString(file, section, key, buffer_size, cp);
  FUZZ_CHECK(value.size() < buffer_size);
  FUZZ_CHECK(value.find('\0') == std::string::npos);
  if (cp == text::CodePage::ShiftJis && !value.empty()) {
    // Walking the answer character by character lands exactly on its end.
    std::size_t pos = 0;
    while (pos < value.size()) {
      const std::size_t next = text::NextChar(value, pos, cp);
      FUZZ_CHECK(next <= value.size());
      pos = next;
    }
  }
  return 0;
}
