#include "core/text/file_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace text = plotxfer::text;

namespace {

using std::string_literals::operator""s;

struct SplitCase {
  const char* what;
  std::string buffer;
  std::vector<std::string> texts;
};

TEST(FileSelection, SplitsTheDialogsBufferIntoItsTexts) {
  const SplitCase cases[] = {
      {"one full path", "C:\\dw\\a.VX\0\0"s, {"C:\\dw\\a.VX"}},
      {"folder and names", "C:\\dw\0a.VX\0b.VX\0\0"s, {"C:\\dw", "a.VX", "b.VX"}},
      {"nothing after the empty text", "C:\\dw\0a.VX\0\0stale.VX\0\0"s, {"C:\\dw", "a.VX"}},
      {"last text without its zero", "C:\\dw\0a.VX"s, {"C:\\dw", "a.VX"}},
      {"empty buffer", ""s, {}},
      {"only the closing zero", "\0\0"s, {}},
      // 表 is 0x95 0x5C: its trail byte is not a separator and nothing is split there.
      {"Shift-JIS folder",
       "C:\\dw\\\x95\x5C\0\x90\x7D.VX\0\0"s,
       {"C:\\dw\\\x95\x5C", "\x90\x7D.VX"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(text::SplitFileSelection(c.buffer), c.texts) << c.what;
  }
}

TEST(FileSelection, FolderEndingInATrailByte0x5CStillGetsItsBackslash) {
  // 表 (0x95 0x5C) and ソ (0x83 0x5C) end in the byte of a backslash.
  for (const std::string& folder : {"C:\\dw\\\x95\x5C"s, "C:\\\x83\x5C"s}) {
    const std::string joined =
        text::WithTrailingSeparator(folder, text::PathStyle::Windows, text::CodePage::ShiftJis);
    EXPECT_EQ(joined, folder + "\\");
    EXPECT_EQ(text::JoinSelectedName(joined, "a.VX"), folder + "\\a.VX");
  }
  EXPECT_EQ(text::WithTrailingSeparator("C:\\", text::PathStyle::Windows, text::CodePage::ShiftJis),
            "C:\\");
}

TEST(FileSelection, PathsLongerThan259BytesAreDroppedNeverCut) {
  const std::string folder = "C:\\" + std::string(200, 'f') + "\\";  // 204 bytes
  const std::string fits(259 - folder.size(), 'n');
  EXPECT_EQ(text::JoinSelectedName(folder, fits), folder + fits);
  EXPECT_EQ(text::JoinSelectedName(folder, fits + "x"), std::nullopt);
  EXPECT_EQ(text::JoinSelectedName(folder, ""), std::nullopt);
}

}  // namespace
