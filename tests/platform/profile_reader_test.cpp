// The platform's reader against the answers of the Windows reader. Under Wine this runs
// GetPrivateProfileStringA itself side by side with the portable reader.
#include "platform/profile_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../common/profile_cases.h"
#include "core/settings/ini_file.h"
#include "platform/codepage.h"

namespace fs = std::filesystem;
using plotxfer::platform::SystemProfileReader;
using plotxfer::text::CodePage;

namespace {

std::string Visible(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "<";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
      out += ">";
    }
  }
  return out;
}

class ProfileReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("plotxfer-profile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Each file gets a name of its own: the Windows reader keeps recently read files in memory.
  std::string Write(const std::string& bytes) {
    const fs::path path = folder_ / ("case" + std::to_string(count_++) + ".SYS");
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path folder_;
  int count_ = 0;
};

// The drafting system's files are Shift-JIS; the Windows reader reads them in the ANSI code page.
CodePage ReaderCodePage() {
#ifdef _WIN32
  return plotxfer::platform::ActiveCodePage();
#else
  return CodePage::ShiftJis;
#endif
}

}  // namespace

TEST_F(ProfileReaderTest, GivesTheWindowsReadersAnswers) {
  const CodePage cp = ReaderCodePage();
  for (const auto& c : plotxfer::testing::ProfileCases()) {
    const std::string path = Write(c.file);
    const std::string answer =
        SystemProfileReader().GetString(path, c.section.c_str(), c.key.c_str(), c.buffer_size);
    const std::string& expected = cp == CodePage::ShiftJis ? c.shift_jis : c.single_byte;
    EXPECT_EQ(Visible(answer), Visible(expected)) << c.title;
    // Side by side with the portable reader on the same bytes.
    EXPECT_EQ(Visible(answer),
              Visible(plotxfer::ProfileString(c.file, c.section, c.key, c.buffer_size, cp)))
        << c.title;
  }
}

TEST_F(ProfileReaderTest, AMissingFileOrFolderGivesNothing) {
  EXPECT_EQ(SystemProfileReader().GetString((folder_ / "VELLUMIX.SYS").string(), "FONTINFO",
                                            "CHARVECTORFONT"),
            "");
  EXPECT_EQ(SystemProfileReader().GetString((folder_ / "none" / "VELLUMIX.SYS").string(),
                                            "FONTINFO", "CHARVECTORFONT"),
            "");
}

TEST_F(ProfileReaderTest, AFileChangedBetweenReadsIsReadAnew) {
  const fs::path path = folder_ / "VELLUMIX.SYS";
  std::ofstream(path, std::ios::binary) << "[FONTINFO]\r\nCHARVECTORFONT=1\r\n";
  EXPECT_EQ(SystemProfileReader().GetString(path.string(), "FONTINFO", "CHARVECTORFONT"), "1");
  // A longer file, so the change shows even where times are coarse.
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      << "[FONTINFO]\r\nFONTNAME=abc\r\nCHARVECTORFONT=2\r\n";
  EXPECT_EQ(SystemProfileReader().GetString(path.string(), "FONTINFO", "CHARVECTORFONT"), "2");
}
