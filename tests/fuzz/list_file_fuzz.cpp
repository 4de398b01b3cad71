// The stand-ins' list-file reader: the paths it reads, written one per line, read back the same.
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "support/list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> paths;
  std::string why;
  if (!standin::ParseListFile(bytes, &paths, &why)) {
    FUZZ_CHECK(!why.empty());
    return 0;
  }
  FUZZ_CHECK(!paths.empty() && paths.size() <= standin::kMaxListEntries);
  std::string written;
  for (const std::string& p : paths) {
    FUZZ_CHECK(!p.empty() && p.find('\n') == std::string::npos);
    written += p + "\r\n";
  }
  std::vector<std::string> again;
  FUZZ_CHECK(standin::ParseListFile(written, &again, &why));
  FUZZ_CHECK(again == paths);
  return 0;
}
