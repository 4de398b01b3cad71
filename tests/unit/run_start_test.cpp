// The start of a run, the same for the dialog and plotxfer-batch.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "../common/fake_value_store.h"
#include "core/convert/run.h"
#include "params_fakes.h"
#include "temp_files.h"

namespace plotxfer {
namespace {

namespace fs = std::filesystem;

TEST(PrepareRun, StoresTheCapturedOptionsAndRewritesTheParameterFileWhateverBecameOfEither) {
  struct Case {
    const char* name;
    bool store;           // a settings store is given
    bool output_options;  // the output options are stored too
    const char* refused;  // a value the store refuses
    bool replace_fails;   // the parameter file cannot be replaced
    bool saved;
    bool rewritten;
    std::size_t writes;  // 8 general values, 6 output ones
  };
  const Case cases[] = {
      {"general options", true, false, "", false, true, true, 8},
      {"output options too", true, true, "", false, true, true, 14},
      {"a refused general value stops the output ones", true, true, "ImageType", false, false, true,
       8},
      {"a refused output value", true, true, "OutXdpi", false, false, true, 14},
      {"no store", false, true, "", false, true, true, 0},
      {"the parameter file held", true, false, "", true, true, false, 8},
  };
  const GeneralOptions captured{.PdfOrImage = 1,
                                .ImageType = 2,
                                .BAndWFlg = 0,
                                .WIdtHFlg = 1,
                                .PitchFlg = 1,
                                .VFontFlg = 1,
                                .FolderType = 1,
                                .SelFolder = "D:\\out\\"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempFolder scratch;
    const fs::path dir = scratch.Path();
    fs::copy(fs::path(PLOTXFER_TEST_DATA) / "params" / "app", dir);
    testing::FakeValueStore values;
    if (*c.refused != '\0') {
      values.FailSetsOf(c.refused);
    }
    SettingsStore store(values);
    params::testing::FakeProfile profile;
    profile.LoadIni(params::testing::ReadFileBytes((dir / "VELLUMIX.SYS").string()));
    params::testing::FakeScreen screen{96};
    int replaced = 0;
    const params::ParamServices services{
        profile, screen, [&](const std::string& path, std::string_view bytes, std::string* why) {
          ++replaced;
          if (c.replace_fails) {
            *why = "held by another program";
            return false;
          }
          return params::testing::ReplaceByWriting(path, bytes, why);
        }};
    params::ParamTables tables;
    ConversionOptions record;
    record.AppFolder = (dir / "").string();
    record.PdfPaperType = 7;

    const RunStartResult result = PrepareRun(
        captured, record, {c.store ? &store : nullptr, c.output_options, &tables, &services});
    EXPECT_EQ(static_cast<const GeneralOptions&>(record), captured);
    EXPECT_EQ(record.PdfPaperType, 7);
    EXPECT_EQ(result.saved, c.saved);
    EXPECT_EQ(result.rewritten, c.rewritten);
    EXPECT_EQ(result.why_not_rewritten.empty(), c.rewritten) << result.why_not_rewritten;
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(static_cast<std::size_t>(std::count_if(
                  values.log().begin(), values.log().end(),
                  [](const std::string& entry) { return entry.rfind("set ", 0) == 0; })),
              c.writes);
  }
}

}  // namespace
}  // namespace plotxfer
