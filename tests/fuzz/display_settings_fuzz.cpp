// The display-settings readers over any settings file: every length read is one the parameter
// file can hold, and the tables built from them rewrite a sound parameter file without breaking
// its other lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <cmath>
#include <fstream>
#include <iterator>

#include "core/settings/ini_file.h"
#include "param_rewrite_check.h"
#include "platform/profile_reader.h"

namespace {

class MemoryProfile : public plotxfer::platform::ProfileReader {
 public:
  MemoryProfile(std::string bytes, plotxfer::text::CodePage cp)
      : bytes_(std::move(bytes)), cp_(cp) {}
  std::string GetString(const std::string&, const char* section, const char* key,
                        std::size_t buffer_size) override {
    return plotxfer::ProfileString(bytes_, section, key, buffer_size, cp_);
  }

 private:
  std::string bytes_;
  plotxfer::text::CodePage cp_;
};

const std::string& SoundParamFile() {
  static const std::string bytes = [] {
    std::ifstream in(PLOTXFER_TEST_DATA "/params/app/vxcsd.cprm", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return bytes;
}

bool Representable(double v) {
  return std::isfinite(v) && std::fabs(v) <= static_cast<double>(FLT_MAX);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer;
  FuzzedDataProvider in(data, size);
  ConversionOptions options;
  options.BAndWFlg = in.ConsumeBool() ? 1 : 0;
  options.WIdtHFlg = in.ConsumeBool() ? 1 : 0;
  options.PitchFlg = in.ConsumeBool() ? 1 : 0;
  const auto cp = in.ConsumeBool() ? text::CodePage::ShiftJis : text::CodePage::Utf8;
  const int dpi = in.ConsumeIntegralInRange(0, 1200);
  MemoryProfile profile(in.ConsumeRemainingBytesAsString(), cp);

  params::ParamTables tables;
  params::RefreshParamTables(options, profile, tables);
  for (const params::LineTypePattern& p : tables.LineTypePatterns) {
    for (double v : {p.dash1, p.gap1, p.dash2, p.gap2, p.dash3, p.gap3}) {
      FUZZ_CHECK(Representable(v));
    }
  }
  if (options.BAndWFlg == 1) {
    for (std::int32_t colour : tables.PenPalette) {
      FUZZ_CHECK(colour == 0);
    }
  }
  FUZZ_CHECK(!SoundParamFile().empty());
  fuzz::RewriteAndCheck(SoundParamFile(), tables, dpi);
  return 0;
}
