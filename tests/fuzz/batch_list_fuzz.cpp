// plotxfer-batch's list reader: whatever the bytes, and however a pipe cuts them, the same
// entries, each a path of one line or an error without a path.
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses where the pipe cuts the rest.
  const std::size_t cut = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<plotxfer::cli::ListEntry> whole = plotxfer::cli::ListFileEntries(bytes);

  plotxfer::cli::ListDecoder decoder(bytes.size() + 1);
  std::vector<plotxfer::cli::ListEntry> pieces;
  for (std::size_t at = 0; at < bytes.size(); at += cut + 1) {
    FUZZ_CHECK(decoder.Feed(std::string_view(bytes).substr(at, cut + 1), &pieces));
  }
  decoder.Finish(&pieces);

  FUZZ_CHECK(pieces.size() == whole.size());
  std::size_t line = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    const plotxfer::cli::ListEntry& e = whole[i];
    FUZZ_CHECK(e.line > line);
    line = e.line;
    FUZZ_CHECK(pieces[i].line == e.line && pieces[i].path == e.path && pieces[i].error == e.error);
    FUZZ_CHECK(e.error.empty() || e.path.empty());
    FUZZ_CHECK(e.path.find_first_of(std::string("\n\0", 2)) == std::string::npos);
  }
  return 0;
}
