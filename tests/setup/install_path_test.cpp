#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "vxsetup_library.h"

namespace {

struct FolderResult {
  int rc;
  std::string folder;
};

class InstallPath : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vxsetup_test::LoadedLibrary().error, ""); }
  void TearDown() override { vxsetup_test::RemoveVellumixKey(); }

  // The caller's buffer is exactly the documented size and starts full, so a write past it shows
  // under the sanitizers and an output left uncleared shows too.
  static FolderResult Folder() {
    std::unique_ptr<char[]> out(new char[VXSETUP_FOLDER_BUFFER_SIZE]);
    std::memset(out.get(), 'X', VXSETUP_FOLDER_BUFFER_SIZE - 1);
    out[VXSETUP_FOLDER_BUFFER_SIZE - 1] = '\0';
    const int rc = vxsetup_test::LoadedLibrary().get_default_install_path(out.get());
    return {rc, std::string(out.get())};
  }

  static FolderResult FolderOf(const std::string& exe_path) {
    vxsetup_test::StoreExePathText(exe_path);
    return Folder();
  }
};

// 表 as the library's code page writes it: in Shift-JIS its second byte is 0x5C.
std::string Hyo() {
  return vxsetup_test::LibraryCodePage() == 65001 ? "表" : "\x95\x5C";
}
std::string Zumen() {
  return vxsetup_test::LibraryCodePage() == 65001 ? "図面" : "\x90\x7D\x96\xCA";
}

}  // namespace

TEST_F(InstallPath, GivesTheProgramFolderWithoutItsTrailingBackslash) {
  const FolderResult r = FolderOf("C:\\Vellumix\\Bin\\VELLUMIX.EXE");
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.folder, "C:\\Vellumix\\Bin");
  EXPECT_EQ(FolderOf("D:\\VELLUMIX.EXE").folder, "D:");
  EXPECT_EQ(FolderOf("\\\\server\\share\\vx.exe").folder, "\\\\server\\share");
  EXPECT_EQ(FolderOf("C:\\Vellumix\\").folder, "C:\\Vellumix");
}

TEST_F(InstallPath, ValuesWithoutAFolderGiveZeroAndAnEmptyOutput) {
  for (const char* value : {"VELLUMIX.EXE", "\\VELLUMIX.EXE", "\\", ""}) {
    const FolderResult r = FolderOf(value);
    EXPECT_EQ(r.rc, 0) << value;
    EXPECT_EQ(r.folder, "") << value;
  }
}

TEST_F(InstallPath, MissingValueOrKeyGivesZeroAndAnEmptyOutput) {
  ASSERT_EQ(FolderOf("C:\\Vellumix\\vx.exe").rc, 1);

  vxsetup_test::RemoveExePath();
  FolderResult r = Folder();
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.folder, "");

  vxsetup_test::RemoveVellumixKey();
  r = Folder();
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.folder, "");
}

TEST_F(InstallPath, DoubleByteCharactersAreNeverCutInHalf) {
  // The kanji of the folder come through whole.
  EXPECT_EQ(FolderOf("D:\\" + Zumen() + Hyo() + "\\VX.EXE").folder, "D:\\" + Zumen() + Hyo());

  const FolderResult kanji_program = FolderOf("D:\\CAD\\" + Hyo() + Zumen() + ".exe");
  const FolderResult only_leading = FolderOf(std::string("\\") + Hyo());
  if (vxsetup_test::LibraryCodePage() == 1252) {
    // In a single-byte code page byte 0x5C is a backslash wherever it stands.
    EXPECT_EQ(kanji_program.folder, "D:\\CAD\\\x95");
    EXPECT_EQ(only_leading.rc, 1);
    EXPECT_EQ(only_leading.folder, "\\\x95");
  } else {
    EXPECT_EQ(kanji_program.rc, 1);
    EXPECT_EQ(kanji_program.folder, "D:\\CAD");
    EXPECT_EQ(only_leading.rc, 0);
    EXPECT_EQ(only_leading.folder, "");
  }
}

TEST_F(InstallPath, ValuesOf512BytesOrMoreCountAsMissing) {
  // A string value is stored with its terminating zero: 510 characters fill 511 bytes.
  const std::string folder = "C:\\" + std::string(501, 'a');
  const std::string fits = folder + "\\v.exe";
  ASSERT_EQ(fits.size(), 510u);
  FolderResult r = FolderOf(fits);
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.folder, folder);

  r = FolderOf(fits + "e");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.folder, "");
  EXPECT_EQ(FolderOf(folder + std::string(2000, 'b') + "\\v.exe").rc, 0);

  // The same limit for data with no terminating zero.
  vxsetup_test::StoreExePathBytes(fits + "e");
  r = Folder();
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.folder, folder);
  vxsetup_test::StoreExePathBytes(fits + "ee");
  r = Folder();
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.folder, "");
}

TEST_F(InstallPath, TheStoredTypeIsIgnoredAndTheTextEndsAtItsFirstZero) {
  vxsetup_test::StoreExePathBytes("C:\\Vellumix\\vx.exe");
  FolderResult r = Folder();
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.folder, "C:\\Vellumix");

  vxsetup_test::StoreExePathBytes(std::string("C:\\A\\b\0\\c\\d", 11));
  r = Folder();
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.folder, "C:\\A");
}

TEST_F(InstallPath, NoOutputBufferGivesZeroAndLaterCallsStillWork) {
  vxsetup_test::StoreExePathText("C:\\Vellumix\\vx.exe");
  EXPECT_EQ(vxsetup_test::LoadedLibrary().get_default_install_path(nullptr), 0);
  EXPECT_EQ(Folder().folder, "C:\\Vellumix");
}
