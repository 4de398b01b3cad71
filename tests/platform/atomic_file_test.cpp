#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;
using plotxfer::platform::ReplaceFileContents;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("plotxfer-atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

}  // namespace

TEST_F(AtomicFile, ReplacesContentAndLeavesNoTemporaryFile) {
  const fs::path target = dir_ / "vxcsd.cprm";
  { std::ofstream(target, std::ios::binary) << "old\r\n"; }
  std::string error;
  const std::string content("new\r\n\0binary\xFF", 14);
  ASSERT_TRUE(ReplaceFileContents(target.string(), content, &error)) << error;
  EXPECT_EQ(Slurp(target), content);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFile, CreatesAMissingFileAndWritesEmptyContent) {
  const fs::path target = dir_ / "new.txt";
  ASSERT_TRUE(ReplaceFileContents(target.string(), ""));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(AtomicFile, FailureLeavesTheOldFileWhole) {
  // A folder that does not exist: nothing can be written, and the error says so.
  const fs::path target = dir_ / "missing" / "file.txt";
  std::string error;
  EXPECT_FALSE(ReplaceFileContents(target.string(), "x", &error));
  EXPECT_FALSE(error.empty());

  // A target that is a folder cannot be replaced by a file: the folder stays, no temp is left.
  const fs::path folder = dir_ / "taken";
  fs::create_directories(folder / "inner");
  EXPECT_FALSE(ReplaceFileContents(folder.string(), "x", &error));
  EXPECT_TRUE(fs::is_directory(folder / "inner"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}
