// GetEndToken, as the installer calls it: the token is always the text's last run of
// non-delimiters, whatever the text and the delimiters.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "setup/vxsetup.h"

namespace {

bool AllAscii(const std::string& s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

// The last token by plain byte rules, for texts where every byte is a character.
std::string LastToken(const std::string& text, const std::string& delimiters) {
  std::size_t end = text.find_last_not_of(delimiters);
  if (end == std::string::npos) {
    return {};
  }
  const std::size_t start = text.find_last_of(delimiters, end);
  return text.substr(start == std::string::npos ? 0 : start + 1,
                     end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string delimiters = in.ConsumeRandomLengthString(8).c_str();
  const std::string text = in.ConsumeRemainingBytesAsString().c_str();

  std::vector<char> token(text.size() + 1, 'x');
  const int ok = GetEndToken(text.c_str(), delimiters.c_str(), token.data());
  const std::string got(token.data());
  if (text.size() > VXSETUP_MAX_TEXT_BYTES) {
    FUZZ_CHECK(ok == 0 && got.empty());
    return 0;
  }
  FUZZ_CHECK((ok == 1) == !got.empty());
  FUZZ_CHECK(got.size() <= text.size());
  FUZZ_CHECK(text.find(got) != std::string::npos);
  if (AllAscii(text) && AllAscii(delimiters)) {
    FUZZ_CHECK(got == LastToken(text, delimiters));
  }
  return 0;
}
