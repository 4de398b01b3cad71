// The file dialog's multi-select answer: the texts read are the buffer's own, in order, and a
// joined path is never longer than allowed nor anything but the folder and the name.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "core/text/file_selection.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer::text;
  FuzzedDataProvider in(data, size);
  const std::size_t max_bytes = in.ConsumeIntegralInRange<std::size_t>(0, 300);
  const auto style = in.ConsumeBool() ? PathStyle::Windows : PathStyle::Posix;
  const auto cp = in.PickValueInArray({CodePage::SingleByte, CodePage::ShiftJis, CodePage::Utf8});
  const std::string buffer = in.ConsumeRemainingBytesAsString();

  const auto texts = SplitFileSelection(buffer);
  std::string joined;
  for (const std::string& t : texts) {
    FUZZ_CHECK(!t.empty() && t.find('\0') == std::string::npos);
    joined += t;
    joined += '\0';
  }
  // The texts and their zeros are the start of the buffer; only the last zero may be missing.
  FUZZ_CHECK(buffer.compare(0, joined.size(), joined) == 0 ||
             (joined.size() == buffer.size() + 1 && joined.compare(0, buffer.size(), buffer) == 0));

  if (texts.size() >= 2) {
    // As the drawing list joins them: the folder with its separator, then each name.
    const std::string folder = WithTrailingSeparator(texts[0], style, cp);
    FUZZ_CHECK(folder.rfind(texts[0], 0) == 0 && folder.size() <= texts[0].size() + 1);
    for (std::size_t i = 1; i < texts.size(); ++i) {
      const auto path = JoinSelectedName(folder, texts[i], max_bytes);
      if (path) {
        FUZZ_CHECK(path->size() <= max_bytes);
        FUZZ_CHECK(*path == folder + texts[i]);
      }
    }
  }
  return 0;
}
