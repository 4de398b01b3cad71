// The parameter file rewritten through the platform's atomic replacement.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/params/param_file.h"
#include "platform/atomic_file.h"
#include "platform/profile_reader.h"
#include "platform/screen.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;
using namespace plotxfer::params;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Monochrome with the template's patterns needs nothing from the settings file.
class NoSettings : public plotxfer::platform::ProfileReader {
 public:
  std::string GetString(const std::string&, const char*, const char*, std::size_t) override {
    return {};
  }
};

class Dpi96 : public plotxfer::platform::Screen {
 public:
  int HorizontalDpi() override { return 96; }
};

class ParamFileReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unique across processes: other builds run the same tests at the same time.
    static std::random_device random;
    dir = fs::temp_directory_path() /
          ("plotxfer-params-" + std::to_string(random()) + std::to_string(random()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(PLOTXFER_TEST_DATA) / "params" / "app", dir);
    options.AppFolder = (dir / "").string();
    options.BAndWFlg = 1;
    ASSERT_TRUE(LoadLineTypeDefaults(options.AppFolder, tables));
  }
  void TearDown() override { fs::remove_all(dir); }

  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }

  fs::path dir;
  plotxfer::ConversionOptions options;
  ParamTables tables;
  NoSettings profile;
  Dpi96 screen;
  ParamServices services{profile, screen, &plotxfer::platform::ReplaceFileContents};
};

TEST_F(ParamFileReplace, RewritesThroughTheAtomicReplacement) {
  const std::string before = Slurp(dir / "vxcsd.cprm");
  const std::size_t files = FilesInFolder();
  std::vector<std::string> handed;
  const ParamServices recording{
      profile, screen, [&](const std::string& path, std::string_view bytes, std::string* why) {
        handed.emplace_back(bytes);
        return plotxfer::platform::ReplaceFileContents(path, bytes, why);
      }};
  std::string reason;
  ASSERT_TRUE(WriteParamFile(options, tables, recording, &reason)) << reason;
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_NE(handed[0], before);
  EXPECT_EQ(Slurp(dir / "vxcsd.cprm"), handed[0]);
  EXPECT_EQ(FilesInFolder(), files);  // no temporary file left beside it
}

#ifdef _WIN32
TEST_F(ParamFileReplace, AFileHeldOpenByAnotherProgramIsLeftWhole) {
  const fs::path file = dir / "vxcsd.cprm";
  const std::string before = Slurp(file);
  HANDLE held = CreateFileA(file.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string reason;
  const bool result = WriteParamFile(options, tables, services, &reason);
  CloseHandle(held);
  EXPECT_FALSE(result);
  EXPECT_EQ(Slurp(file), before);
}
#else
TEST_F(ParamFileReplace, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
  const fs::path file = dir / "vxcsd.cprm";
  const std::string before = Slurp(file);
  const std::size_t files = FilesInFolder();
  // Files may not grow past 1 KiB: the new content is written partly, then the write fails
  // as on a full disk.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string reason;
  const bool result = WriteParamFile(options, tables, services, &reason);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(result);
  EXPECT_NE(reason.find("cannot write"), std::string::npos) << reason;
  EXPECT_EQ(Slurp(file), before);
  EXPECT_EQ(FilesInFolder(), files);
}
#endif

}  // namespace
