// The REGEDIT4 file that keeps the settings where there is no registry.
#ifndef _WIN32

#include "platform/registry_file_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "core/settings/regedit_file.h"

namespace fs = std::filesystem;
namespace platform = plotxfer::platform;
using platform::RegistryFileStore;
using platform::StoreStatus;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

StoreStatus SetDword(platform::ValueStore& store, const std::string& key, const std::string& name,
                     std::uint32_t value) {
  unsigned char data[4] = {static_cast<unsigned char>(value & 0xFF),
                           static_cast<unsigned char>((value >> 8) & 0xFF),
                           static_cast<unsigned char>((value >> 16) & 0xFF),
                           static_cast<unsigned char>((value >> 24) & 0xFF)};
  return store.Set(key, name, platform::kValueDword, data, 4);
}

std::optional<std::uint32_t> GetDword(platform::ValueStore& store, const std::string& key,
                                      const std::string& name) {
  unsigned char data[4] = {0, 0, 0, 0};
  std::uint32_t size = 4;
  if (store.Query(key, name, data, &size, nullptr) != StoreStatus::kOk) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                    (static_cast<std::uint32_t>(data[3]) << 24));
}

// Runs body in a child process and gives its exit code.
template <typename Body>
int InChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("plotxfer-regfile-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    file_ = folder_ / "PLOTXFER.reg";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Every name in the folder but the lock file.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (name != "PLOTXFER.reg.lock") {
        names.insert(name);
      }
    }
    return names;
  }

  fs::path folder_;
  fs::path file_;
};

const std::string kBoot = "SOFTWARE\\MORVA\\PLOTXFER\\BootData";

}  // namespace

TEST_F(RegistryFile, IsATextFileInTheRegistryEditorsForm) {
  RegistryFileStore store(file_.string());
  ASSERT_EQ(SetDword(store, kBoot, "PdfOrImage", 1), StoreStatus::kOk);
  const std::string folder = "/home/a/out/";
  ASSERT_EQ(store.Set(kBoot, "SelFolder", platform::kValueText, folder.c_str(), 13),
            StoreStatus::kOk);
  EXPECT_EQ(Slurp(file_),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BootData]\n"
            "\"PdfOrImage\"=dword:00000001\n"
            "\"SelFolder\"=\"/home/a/out/\"\n\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"PLOTXFER.reg"}));
}

TEST_F(RegistryFile, CreatesItsFoldersAndReadsAnEditedFile) {
  const fs::path deep = folder_ / "config" / "MORVA" / "PLOTXFER.reg";
  RegistryFileStore store(deep.string());
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), std::nullopt);
  ASSERT_EQ(SetDword(store, kBoot, "PdfOrImage", 1), StoreStatus::kOk);
  EXPECT_EQ(fs::status(folder_ / "config" / "MORVA").permissions() & fs::perms::all,
            fs::perms::owner_all);

  // A user's own edit, in another case and with CR LF, is read and kept by the next write.
  Spit(deep,
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morva\\Plotxfer\\BootData]\r\n"
       "\"pdforimage\"=dword:00000000\r\n\"ImageType\"=dword:00000002\r\n");
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), 0u);
  ASSERT_EQ(SetDword(store, kBoot, "BAndWFlg", 0), StoreStatus::kOk);
  EXPECT_EQ(GetDword(store, kBoot, "ImageType"), 2u);
  EXPECT_EQ(GetDword(store, kBoot, "BAndWFlg"), 0u);
}

// A broken file met by a write is kept aside as one met by a read is; a second one goes beside
// the first, which stays as it was, and nothing of either is read.
TEST_F(RegistryFile, EachBrokenFileIsKeptAsideUnderANameOfItsOwn) {
  RegistryFileStore store(file_.string());
  const std::string first = "this is not a settings file\n\"PdfOrImage\"=dword:00000001\n";
  const std::string second = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:zz\n";
  Spit(file_, first);
  ASSERT_EQ(SetDword(store, kBoot, "BAndWFlg", 1), StoreStatus::kOk);
  Spit(file_, second);
  ASSERT_EQ(SetDword(store, kBoot, "ImageType", 3), StoreStatus::kOk);
  EXPECT_EQ(Names(),
            (std::set<std::string>{"PLOTXFER.reg", "PLOTXFER.reg.bad", "PLOTXFER.reg.bad.1"}));
  EXPECT_EQ(Slurp(folder_ / "PLOTXFER.reg.bad"), first);
  EXPECT_EQ(Slurp(folder_ / "PLOTXFER.reg.bad.1"), second);
  EXPECT_EQ(GetDword(store, kBoot, "ImageType"), 3u);
  EXPECT_EQ(GetDword(store, kBoot, "BAndWFlg"), std::nullopt);    // it was in the second file
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), std::nullopt);  // and this in the first
}

// UTF-16LE with a byte-order mark, as the registry editor exports.
std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

TEST_F(RegistryFile, ABrokenFileIsNamedWithWhatBecameOfItAndADryRunMovesNothing) {
  const std::string good =
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BootData]\n"
      "\"PdfOrImage\"=dword:00000001\n";
  struct Case {
    const char* what;
    std::string bytes;  // a folder in the file's place when empty
    const char* why;
  };
  const Case cases[] = {
      {"random bytes", std::string("\x8f\x00\xd3\x17\xfe\x01\x99", 7), "cannot be parsed"},
      {"truncated in a value", good.substr(0, good.size() - 12), "cannot be parsed"},
      {"a UTF-16 export cut in the middle of a character",
       "\xFF\xFE"
       "R\0E\0G\0",
       ""},
      {"over the size cap", std::string(5 * 1024 * 1024, 'x'), "larger than 4 MiB"},
      {"no file that can be read", "", "read"},
      {"UTF-16 with a lone surrogate", Utf16Le(u"Windows Registry Editor Version 5.00\r\n\xD800"),
       "not valid UTF-16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool dry_run : {true, false}) {
      fs::remove_all(folder_);
      fs::create_directories(folder_);
      if (c.bytes.empty()) {
        fs::create_directories(file_);
      } else {
        Spit(file_, c.bytes);
      }
      RegistryFileStore store(file_.string());
      if (dry_run) {
        store.KeepBrokenFile();
      }
      EXPECT_EQ(store.fallback(), "");
      EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), std::nullopt);
      GetDword(store, kBoot, "ImageType");
      const std::string& note = store.fallback();
      EXPECT_NE(note.find("the settings file " + file_.string() + " "), std::string::npos) << note;
      EXPECT_NE(note.find(c.why), std::string::npos) << note;
      EXPECT_NE(note.find("default settings are used"), std::string::npos) << note;
      const bool moved = !dry_run && !c.bytes.empty();
      EXPECT_EQ(Names().count("PLOTXFER.reg.bad"), moved ? 1u : 0u);
      EXPECT_EQ(Names().count("PLOTXFER.reg"), moved ? 0u : 1u);
      EXPECT_NE(note.find(moved ? "renamed to " + file_.string() + ".bad" : "left as it is"),
                std::string::npos)
          << note;
    }
  }
}

// What the registry editor exports today is read, texts in UTF-8, and the next write puts it
// back in the form the store writes.
TEST_F(RegistryFile, ARegistryEditorExportIsReadAndWrittenBackAsRegedit4) {
  Spit(file_, Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n"
                      u"[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BootData]\r\n"
                      u"\"PdfOrImage\"=dword:00000001\r\n"
                      u"\"SelFolder\"=\"/home/a/\u56F3\u9762\"\r\n"));
  RegistryFileStore store(file_.string());
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), 1u);
  char text[64] = {};
  std::uint32_t size = sizeof text;
  ASSERT_EQ(store.Query(kBoot, "SelFolder", text, &size, nullptr), StoreStatus::kOk);
  EXPECT_EQ(std::string(text, size), std::string("/home/a/\xE5\x9B\xB3\xE9\x9D\xA2\0", 15));
  EXPECT_EQ(store.fallback(), "");
  ASSERT_EQ(SetDword(store, kBoot, "ImageType", 2), StoreStatus::kOk);
  EXPECT_EQ(Slurp(file_).substr(0, 10), "REGEDIT4\n\n");
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), 1u);
  EXPECT_EQ(GetDword(store, kBoot, "ImageType"), 2u);
}

TEST_F(RegistryFile, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
  RegistryFileStore store(file_.string());
  ASSERT_EQ(SetDword(store, kBoot, "PdfOrImage", 1), StoreStatus::kOk);
  const std::string before = Slurp(file_);

  // The child may write files of the old size only: the new one stops part-way, as on a full disk.
  const int code = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(before.size() + 16);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
      return 99;
    }
    const std::string big(4000, 'x');
    const StoreStatus status =
        store.Set(kBoot, "Big", platform::kValueBinary, big.data(), big.size());
    return status == StoreStatus::kFailed ? 0 : 1;
  });
  ASSERT_EQ(code, 0);
  EXPECT_EQ(Slurp(file_), before);
  EXPECT_EQ(Names(), (std::set<std::string>{"PLOTXFER.reg"}));  // no temporary file left
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), 1u);
}

TEST_F(RegistryFile, WhatIsInTheWayIsNeverReplaced) {
  // The store's path is a folder: not readable as a file, so not written over either.
  fs::create_directories(file_);
  Spit(file_ / "keep", "mine");
  RegistryFileStore store(file_.string());
  EXPECT_EQ(SetDword(store, kBoot, "PdfOrImage", 1), StoreStatus::kFailed);
  EXPECT_EQ(GetDword(store, kBoot, "PdfOrImage"), std::nullopt);
  EXPECT_EQ(Slurp(file_ / "keep"), "mine");

  // Names the file form cannot hold are refused, and the file stays as it was.
  fs::remove_all(file_);
  ASSERT_EQ(SetDword(store, kBoot, "PdfOrImage", 1), StoreStatus::kOk);
  const std::string before = Slurp(file_);
  EXPECT_EQ(SetDword(store, kBoot, "two\nlines", 1), StoreStatus::kFailed);
  EXPECT_EQ(SetDword(store, "A\\\\B", "v", 1), StoreStatus::kFailed);
  EXPECT_EQ(Slurp(file_), before);

  RegistryFileStore nowhere("");
  EXPECT_EQ(SetDword(nowhere, kBoot, "PdfOrImage", 1), StoreStatus::kFailed);
  EXPECT_EQ(GetDword(nowhere, kBoot, "PdfOrImage"), std::nullopt);
}

TEST_F(RegistryFile, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kWriters = 4;
  constexpr int kValuesEach = 40;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t children[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    children[w] = fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) {  // wait until the parent lets every writer go at once
        _exit(98);
      }
      RegistryFileStore store(file_.string());
      for (int k = 0; k < kValuesEach; ++k) {
        const std::string name = "w" + std::to_string(w) + "_" + std::to_string(k);
        if (SetDword(store, kBoot, name, static_cast<std::uint32_t>(w * 1000 + k)) !=
            StoreStatus::kOk) {
          _exit(1);
        }
      }
      _exit(0);
    }
  }
  close(go[0]);
  close(go[1]);
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryFileStore store(file_.string());
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kValuesEach; ++k) {
      const std::string name = "w" + std::to_string(w) + "_" + std::to_string(k);
      EXPECT_EQ(GetDword(store, kBoot, name), static_cast<std::uint32_t>(w * 1000 + k)) << name;
    }
  }
  EXPECT_TRUE(plotxfer::RegeditFile::Parse(Slurp(file_)).has_value());
  EXPECT_EQ(Names(), (std::set<std::string>{"PLOTXFER.reg"}));
}

// Two saves at once, each of the same eight values: a reader sees one save's values or the
// other's, never a mixture, and the file is written once per save.
TEST_F(RegistryFile, TwoSavesAtOnceNeverStoreAMixture) {
  constexpr int kSaves = 30;
  constexpr int kValues = 8;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t children[2];
  for (int w = 0; w < 2; ++w) {
    children[w] = fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) {
        _exit(98);
      }
      RegistryFileStore store(file_.string());
      for (int save = 0; save < kSaves; ++save) {
        store.BeginWrites();
        for (int v = 0; v < kValues; ++v) {
          SetDword(store, kBoot, "v" + std::to_string(v), static_cast<std::uint32_t>(w + 1));
        }
        if (!store.EndWrites()) {
          _exit(1);
        }
      }
      _exit(0);
    }
  }
  close(go[0]);
  close(go[1]);
  RegistryFileStore reader(file_.string());
  int mixtures = 0;
  // One reading of the whole file, as a later start of the program reads it.
  const auto look = [&] {
    const std::string bytes = Slurp(file_);
    const auto file = plotxfer::RegeditFile::Parse(bytes);
    ASSERT_TRUE(bytes.empty() || file.has_value());
    std::set<std::string> seen;
    for (int v = 0; v < kValues && file; ++v) {
      const auto* value = file->Find("HKEY_CURRENT_USER\\" + kBoot, "v" + std::to_string(v));
      seen.insert(value != nullptr ? value->data : "(none)");
    }
    mixtures += seen.size() > 1 ? 1 : 0;
  };
  for (bool running = true; running;) {
    look();
    running = false;
    for (pid_t child : children) {
      running = running || waitpid(child, nullptr, WNOHANG) == 0;
    }
  }
  look();
  EXPECT_EQ(mixtures, 0);
  // A group that stored nothing yet reads as the file before it.
  reader.BeginWrites();
  EXPECT_EQ(SetDword(reader, kBoot, "late", 7), StoreStatus::kOk);
  EXPECT_EQ(GetDword(reader, kBoot, "late"), 7u);
  RegistryFileStore other(file_.string());
  EXPECT_EQ(GetDword(other, kBoot, "late"), std::nullopt);
  EXPECT_TRUE(reader.EndWrites());
  EXPECT_EQ(GetDword(other, kBoot, "late"), 7u);
}

TEST(RegistryFileLocation, FollowsTheOverrideThenTheBaseDirectoryRules) {
  const auto keep = [](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    return v != nullptr ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto restore = [](const char* name, const std::optional<std::string>& v) {
    if (v) {
      setenv(name, v->c_str(), 1);
    } else {
      unsetenv(name);
    }
  };
  const auto old_file = keep("PLOTXFER_REGISTRY_FILE");
  const auto old_xdg = keep("XDG_CONFIG_HOME");
  const auto old_home = keep("HOME");

  setenv("HOME", "/home/u", 1);
  unsetenv("PLOTXFER_REGISTRY_FILE");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(platform::DefaultRegistryFilePath(), "/home/u/.config/MORVA/PLOTXFER.reg");
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(platform::DefaultRegistryFilePath(), "/xdg/MORVA/PLOTXFER.reg");
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);  // not absolute: ignored
  EXPECT_EQ(platform::DefaultRegistryFilePath(), "/home/u/.config/MORVA/PLOTXFER.reg");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(platform::DefaultRegistryFilePath(), "/home/u/.config/MORVA/PLOTXFER.reg");
  setenv("PLOTXFER_REGISTRY_FILE", "/tmp/test.reg", 1);
  EXPECT_EQ(platform::DefaultRegistryFilePath(), "/tmp/test.reg");
  setenv("PLOTXFER_REGISTRY_FILE", "", 1);
  EXPECT_EQ(platform::DefaultRegistryFilePath(), "/home/u/.config/MORVA/PLOTXFER.reg");

  restore("PLOTXFER_REGISTRY_FILE", old_file);
  restore("XDG_CONFIG_HOME", old_xdg);
  restore("HOME", old_home);
}

#endif  // _WIN32
