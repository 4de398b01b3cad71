// Whether two paths name one file, however each is spelt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"

namespace fs = std::filesystem;

TEST(FileIdentity, SpellingsOfOneFileAreOneFileAndOthersAreNot) {
  std::random_device random;
  const fs::path folder =
      fs::temp_directory_path() /
      ("plotxfer-identity-" + std::to_string(random()) + std::to_string(random()));
  fs::create_directories(folder / "d");
  std::ofstream(folder / "d" / "self.pdf") << "drawing";
  std::ofstream(folder / "d" / "other.pdf") << "drawing";
  const fs::path saved = fs::current_path();
  fs::current_path(folder);
  const std::string absolute = (folder / "d" / "self.pdf").string();
  const std::string sep(1, fs::path::preferred_separator);

  struct Case {
    const char* title;
    std::string a;
    std::string b;
    bool same;
  };
  std::vector<Case> cases = {
      {"relative and absolute", "." + sep + "d" + sep + "self.pdf", absolute, true},
      {"through a parent step", "d" + sep + ".." + sep + "d" + sep + "self.pdf", absolute, true},
      {"another file", "d" + sep + "other.pdf", absolute, false},
      {"a missing file", "d" + sep + "missing.pdf", "d" + sep + "missing.pdf", false},
      {"a folder and a file in it", "d", absolute, false},
#ifdef _WIN32
      {"another letter case", "D" + sep + "SELF.PDF", absolute, true},
      {"a device, which has no identity", "NUL", "NUL", false},
#endif
  };
#ifndef _WIN32
  fs::create_symlink(absolute, folder / "link.pdf");
  fs::create_hard_link(absolute, folder / "hard.pdf");
  cases.push_back({"a symbolic link", "link.pdf", absolute, true});
  cases.push_back({"a hard link", "hard.pdf", absolute, true});
#endif
  auto& files = plotxfer::platform::SystemFileSystem();
  for (const Case& c : cases) {
    EXPECT_EQ(files.SameFile(c.a, c.b), c.same) << c.title;
    EXPECT_EQ(files.SameFile(c.b, c.a), c.same) << c.title;
  }
  fs::current_path(saved);
  fs::remove_all(folder);
}
