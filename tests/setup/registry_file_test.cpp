// The file that stands in for the registry off Windows: REGEDIT4 syntax, UTF-8.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "vxsetup_library.h"

namespace {

namespace fs = std::filesystem;

class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vxsetup_test::LoadedLibrary().error, ""); }

  static std::string FolderFrom(const std::string& file, int* rc = nullptr) {
    vxsetup_test::WriteRegistryFile(file);
    char out[VXSETUP_FOLDER_BUFFER_SIZE] = "junk";
    const int result = vxsetup_test::LoadedLibrary().get_default_install_path(out);
    if (rc != nullptr) {
      *rc = result;
    }
    return out;
  }
};

constexpr const char* kHeader = "REGEDIT4\n\n[HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix]\n";

}  // namespace

TEST_F(RegistryFile, StringEscapesAreUndone) {
  EXPECT_EQ(FolderFrom(std::string(kHeader) +
                       "\"ExePath\"=\"C:\\\\Program Files\\\\\\\"Q\\\"\\\\vx.exe\"\n"),
            "C:\\Program Files\\\"Q\"");
  // A hand-typed path with single backslashes still reads as meant.
  EXPECT_EQ(FolderFrom(std::string(kHeader) + "\"ExePath\"=\"C:\\Vellumix\\vx.exe\"\n"),
            "C:\\Vellumix");
}

TEST_F(RegistryFile, KeyAndValueNamesMatchWithoutRegardToCase) {
  EXPECT_EQ(FolderFrom("REGEDIT4\n[hkey_users\\.default\\SOFTWARE\\MORVA\\VELLUMIX]\n"
                       "\"exepath\"=\"C:\\\\V\\\\vx.exe\"\n"),
            "C:\\V");
}

TEST_F(RegistryFile, OnlyTheValueUnderTheVellumixKeyCounts) {
  const std::string file =
      "\xEF\xBB\xBFREGEDIT4\r\n"
      "\r\n"
      "; written by the drafting system's installer\r\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Morva]\r\n"
      "\"ExePath\"=\"C:\\\\Wrong\\\\one.exe\"\r\n"
      "\r\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix]\r\n"
      "\"Version\"=dword:00000009\r\n"
      "@=\"default\"\r\n"
      "  \"ExePath\" = \"C:\\\\図面\\\\表\\\\vx.exe\"  \r\n"
      "\r\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix\\Sub]\r\n"
      "\"ExePath\"=\"C:\\\\Wrong\\\\two.exe\"\r\n";
  EXPECT_EQ(FolderFrom(file), "C:\\図面\\表");
}

TEST_F(RegistryFile, EveryStoredTypeIsReadAsText) {
  // hex(2), spread over lines as regedit wraps them: "C:\A\x.exe" with its zero.
  EXPECT_EQ(FolderFrom(std::string(kHeader) + "\"ExePath\"=hex(2):43,3a,5c,41,5c,\\\n"
                                              "  78,2e,65,78,65,00\n"),
            "C:\\A");
  // dword 615c5c41 is stored least significant byte first: "A\\a".
  EXPECT_EQ(FolderFrom(std::string(kHeader) + "\"ExePath\"=dword:615c5c41\n"), "A\\");
  EXPECT_EQ(FolderFrom(std::string(kHeader) + "\"ExePath\"=HEX:5C,5C,41\n"), "\\");
}

TEST_F(RegistryFile, TheLastLineForTheValueWins) {
  const std::string first = "\"ExePath\"=\"C:\\\\First\\\\vx.exe\"\n";
  EXPECT_EQ(FolderFrom(kHeader + first + "\"ExePath\"=\"C:\\\\Second\\\\vx.exe\"\n"), "C:\\Second");
  int rc = -1;
  EXPECT_EQ(FolderFrom(kHeader + first + "\"ExePath\"=-\n", &rc), "");
  EXPECT_EQ(rc, 0);
}

TEST_F(RegistryFile, UnreadableFilesAndValuesCountAsMissing) {
  const std::string good = "\"ExePath\"=\"C:\\\\V\\\\vx.exe\"\n";
  for (const std::string& file : {
           "[HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix]\n" + good,  // no REGEDIT4 line
           "Windows Registry Editor Version 5.00\n" + good,
           std::string(kHeader) + "\"ExePath\"=\"C:\\\\V\\\\vx.exe\n",  // unterminated
           std::string(kHeader) + "\"ExePath\"=\"C:\\\\V\\\\vx.exe\" x\n",
           std::string(kHeader) + "\"ExePath\"=hex:43,3g,5c,41\n",
           std::string(kHeader) + "\"ExePath\"=hex:433a\n",
           std::string(kHeader) + "\"ExePath\"=dword:123456789\n",
           std::string(kHeader) + "\"ExePath\"=hex(2:43\n",
           std::string(kHeader) + "\"ExePath\"=C:\\V\\vx.exe\n",
           std::string(kHeader) + good + "\"ExePath\"=\"C:\\\\V\\\\broken\n",
           // One reader for every REGEDIT4 file: a line it cannot read anywhere refuses the file.
           std::string(kHeader) + good + "[HKEY_USERS\\Other]\ngarbage\n",
           std::string(""),
       }) {
    int rc = -1;
    EXPECT_EQ(FolderFrom(file, &rc), "") << file;
    EXPECT_EQ(rc, 0) << file;
  }
}

TEST_F(RegistryFile, MissingFileCountsAsMissing) {
  vxsetup_test::WriteRegistryFile(std::string(kHeader) + "\"ExePath\"=\"C:\\\\V\\\\vx.exe\"\n");
  const std::string path = vxsetup_test::RegistryFilePath();
  ASSERT_TRUE(fs::remove(path));
  char out[VXSETUP_FOLDER_BUFFER_SIZE] = "junk";
  EXPECT_EQ(vxsetup_test::LoadedLibrary().get_default_install_path(out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(RegistryFile, WithoutTheOverrideTheSystemConfigurationFoldersAreSearched) {
  const fs::path root = fs::path(vxsetup_test::RegistryFilePath()).replace_extension(".xdg");
  fs::remove_all(root);
  fs::create_directories(root / "empty");
  fs::create_directories(root / "first" / "MORVA");
  fs::create_directories(root / "second" / "MORVA");
  auto write = [](const fs::path& p, const std::string& folder) {
    FILE* f = std::fopen(p.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string text = std::string(kHeader) + "\"ExePath\"=\"" + folder + "\\\\vx.exe\"\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  };
  write(root / "first" / "MORVA" / "Vellumix.reg", "C:\\\\First");
  write(root / "second" / "MORVA" / "Vellumix.reg", "C:\\\\Second");

  const std::string saved = vxsetup_test::RegistryFilePath();
  setenv("VXSETUP_REGISTRY_FILE", "", 1);
  const std::string dirs = "relative/first:" + (root / "empty").string() +
                           "::" + (root / "first").string() + ":" + (root / "second").string();
  setenv("XDG_CONFIG_DIRS", dirs.c_str(), 1);
  char out[VXSETUP_FOLDER_BUFFER_SIZE] = "junk";
  const int rc = vxsetup_test::LoadedLibrary().get_default_install_path(out);
  setenv("VXSETUP_REGISTRY_FILE", saved.c_str(), 1);
  unsetenv("XDG_CONFIG_DIRS");
  fs::remove_all(root);

  EXPECT_EQ(rc, 1);
  EXPECT_STREQ(out, "C:\\First");
}
