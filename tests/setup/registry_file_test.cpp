// Where the file that stands in for the registry off Windows is found (its REGEDIT4 reader is
// the core's own).
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
};

constexpr const char* kHeader = "REGEDIT4\n\n[HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix]\n";

}  // namespace

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
