// The parameter file's table scan and rewrite over any file: a rewrite keeps the line count and
// every line outside the tables, and a refused rewrite never reaches the file.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "param_rewrite_check.h"
#include "platform/profile_reader.h"

namespace {

class NoSettings : public plotxfer::platform::ProfileReader {
 public:
  std::string GetString(const std::string&, const char*, const char*, std::size_t) override {
    return {};
  }
};

// One folder for the whole run, holding the parameter file of the input under test.
const std::string& AppFolder() {
  static const std::string folder = [] {
    std::string tmpl = "/tmp/plotxfer-fuzz-params-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) {
      std::abort();
    }
    return tmpl + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer::params;
  FuzzedDataProvider in(data, size);
  ParamTables tables;
  tables.PenPalette[0] = in.ConsumeIntegral<std::int32_t>();
  tables.PenDisplayWidths[0] = in.ConsumeIntegral<std::int32_t>();
  tables.LineTypePatterns[0].dash1 = in.ConsumeFloatingPoint<float>();
  const int dpi = in.ConsumeIntegralInRange(-1, 2400);
  const std::string bytes = in.ConsumeRemainingBytesAsString();

  const int rewritten = fuzz::RewriteAndCheck(bytes, tables, dpi);

  // The whole run over the file on disk: the file is handed over only when the rewrite succeeds.
  const std::string path = ParamFilePath(AppFolder());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  std::fclose(f);
  NoSettings profile;
  fuzz::FixedScreen screen(dpi);
  int handed_over = 0;
  const ParamServices services{profile, screen,
                               [&](const std::string&, std::string_view, std::string*) {
                                 ++handed_over;
                                 return true;
                               }};
  plotxfer::ConversionOptions options;
  options.AppFolder = AppFolder();
  options.BAndWFlg = 1;
  ParamTables run_tables;
  const bool written = WriteParamFile(options, run_tables, services);
  FUZZ_CHECK(handed_over == (written ? 1 : 0));
  (void)rewritten;
  return 0;
}
