#include "core/text/file_selection.h"

#include <gtest/gtest.h>

#include <string>

namespace text = plotxfer::text;

namespace {

using std::string_literals::operator""s;

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
