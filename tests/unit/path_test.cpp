#include "core/text/path.h"

#include <gtest/gtest.h>

#include <string>

using plotxfer::text::CodePage;
using plotxfer::text::PathStyle;
namespace text = plotxfer::text;

namespace {

constexpr auto kWin = PathStyle::Windows;
constexpr auto kPosix = PathStyle::Posix;
constexpr auto kSjis = CodePage::ShiftJis;
constexpr auto kUtf8 = CodePage::Utf8;

// 表 (0x95 0x5C) and ソ (0x83 0x5C) end in a byte with the value of a backslash.
const std::string kHyo = "\x95\x5C";
const std::string kSo = "\x83\x5C";

}  // namespace

TEST(FolderOfPath, KeepsTheFolderWithOneTrailingSeparator) {
  EXPECT_EQ(text::FolderOfPath("C:\\dir\\a.VX", kWin, kSjis), "C:\\dir\\");
  EXPECT_EQ(text::FolderOfPath("C:\\a.VX", kWin, kSjis), "C:\\");
  EXPECT_EQ(text::FolderOfPath("\\\\server\\share\\a.VX", kWin, kSjis), "\\\\server\\share\\");
  EXPECT_EQ(text::FolderOfPath("C:\\dir\\", kWin, kSjis), "C:\\dir\\");
  EXPECT_EQ(text::FolderOfPath("C:/dir/a.VX", kWin, kSjis), "C:/dir/");
  EXPECT_EQ(text::FolderOfPath("/home/u/a.VX", kPosix, kUtf8), "/home/u/");
  EXPECT_EQ(text::FolderOfPath("/a.VX", kPosix, kUtf8), "/");
}

TEST(FolderOfPath, BareNamesAndDriveRelativePathsGainNoSeparator) {
  EXPECT_EQ(text::FolderOfPath("a.VX", kWin, kSjis), "");
  EXPECT_EQ(text::FolderOfPath("a.VX", kPosix, kUtf8), "");
  // C:a.VX lies in the current folder of drive C:, not in its root.
  EXPECT_EQ(text::FolderOfPath("C:a.VX", kWin, kSjis), "C:");
}

TEST(FolderOfPath, ShiftJisTrailBytesAreNoSeparators) {
  // C:\図表\ソ.VX: the trail bytes 0x5C of 表 and ソ must not cut the path.
  const std::string path = "C:\\\x90\x7D" + kHyo + "\\" + kSo + ".VX";
  EXPECT_EQ(text::FolderOfPath(path, kWin, kSjis), "C:\\\x90\x7D" + kHyo + "\\");
  EXPECT_EQ(text::FileNameOf(path, kWin, kSjis), kSo + ".VX");
  // A folder named 表 ends in 0x5C but not in a separator, so one is added.
  EXPECT_EQ(text::FolderOfPath("C:\\" + kHyo + "\\x.VX", kWin, kSjis), "C:\\" + kHyo + "\\");
  EXPECT_EQ(text::WithTrailingSeparator("C:\\" + kHyo, kWin, kSjis), "C:\\" + kHyo + "\\");
  // Read as a single-byte code page the same bytes do end in a backslash.
  EXPECT_EQ(text::WithTrailingSeparator("C:\\" + kHyo, kWin, CodePage::SingleByte), "C:\\" + kHyo);
}

TEST(FolderOfPath, PosixBackslashesAreOrdinaryCharacters) {
  EXPECT_EQ(text::FolderOfPath("/tmp/a\\b.VX", kPosix, kUtf8), "/tmp/");
  EXPECT_EQ(text::FileNameOf("/tmp/a\\b.VX", kPosix, kUtf8), "a\\b.VX");
}

// The folder to open or create beside a file: no trailing separator but a root's, "." for none.
TEST(ParentFolder, IsTheFolderAnOpenOrMkdirTakes) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {{"/home/u/a", "/home/u"}, {"/a", "/"},       {"/", "/"}, {"a", "."}, {"a/", "a"},
               {"a//b", "a/"},           {"a\\b/c", "a\\b"}};
  for (const auto& c : cases) {
    EXPECT_EQ(text::ParentFolder(c.path, kPosix, kUtf8), c.folder) << c.path;
  }
  EXPECT_EQ(text::ParentFolder("C:\\a.VX", kWin, kSjis), "C:\\");
}

TEST(FileNames, ExtensionsAreCutAtTheLastDotOfTheFileNameOnly) {
  EXPECT_EQ(text::NameWithoutExtension("D:\\Work\\plan.rev2.VX", kWin, kSjis), "plan.rev2");
  EXPECT_EQ(text::NameWithoutExtension("D:\\Work\\plan", kWin, kSjis), "plan");
  EXPECT_EQ(text::NameWithoutExtension("D:\\v1.2\\plan", kWin, kSjis), "plan");
  EXPECT_EQ(text::PathWithoutExtension("D:\\Work\\plan.rev2.VX", kWin, kSjis),
            "D:\\Work\\plan.rev2");
  EXPECT_EQ(text::PathWithoutExtension("D:\\v1.2\\plan", kWin, kSjis), "D:\\v1.2\\plan");
  EXPECT_EQ(text::PathWithoutExtension("/srv/v1.2/plan", kPosix, kUtf8), "/srv/v1.2/plan");
  EXPECT_EQ(text::PathWithoutExtension("/srv/plan.VX", kPosix, kUtf8), "/srv/plan");
  EXPECT_EQ(text::PathWithoutExtension("plan.VX", kPosix, kUtf8), "plan");
}

TEST(FileNames, TrailingSeparatorIsAddedOnlyWhenMissing) {
  EXPECT_EQ(text::WithTrailingSeparator("E:\\Out", kWin, kSjis), "E:\\Out\\");
  EXPECT_EQ(text::WithTrailingSeparator("E:\\Out\\", kWin, kSjis), "E:\\Out\\");
  EXPECT_EQ(text::WithTrailingSeparator("/out", kPosix, kUtf8), "/out/");
  EXPECT_EQ(text::WithTrailingSeparator("/out/", kPosix, kUtf8), "/out/");
  EXPECT_EQ(text::WithTrailingSeparator("", kPosix, kUtf8), "");
}

TEST(SamePathText, WindowsIgnoresLetterCaseAndSlashKindOnly) {
  EXPECT_TRUE(text::SamePathText("D:\\Work\\PLAN.PDF", "d:/work/plan.pdf", kWin, kSjis));
  EXPECT_FALSE(text::SamePathText("D:\\Work\\plan.pdf", "D:\\Work\\plan.pdf ", kWin, kSjis));
  EXPECT_FALSE(text::SamePathText("PLAN.PDF", "plan.pdf", kPosix, kUtf8));
  EXPECT_TRUE(text::SamePathText("/w/plan.pdf", "/w/plan.pdf", kPosix, kUtf8));
  // 0x83 0x41 (ア) and 0x83 0x61 (ヂ) are different characters whose trail bytes look like
  // 'A' and 'a'.
  EXPECT_FALSE(text::SamePathText("C:\\\x83\x41", "C:\\\x83\x61", kWin, kSjis));
  EXPECT_TRUE(text::SamePathText("C:\\\x83\x41.PDF", "c:\\\x83\x41.pdf", kWin, kSjis));
}
