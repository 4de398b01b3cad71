#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace fs = std::filesystem;
using plotxfer::platform::ReplaceControl;
using plotxfer::platform::ReplaceFileContents;
using plotxfer::platform::ReplaceFileSafely;
using plotxfer::platform::ReplaceStep;
using plotxfer::platform::SetReplaceNotices;

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

// Every way a replacement can fail part-way leaves the old file whole, and every way it succeeds
// leaves the new one: never a torn file, never a temporary file beside it.
TEST_F(AtomicFile, AFailureAtAnyStepLeavesTheOldFileWhole) {
  const std::string old_content(3000, 'o');
  const std::string new_content(5000, 'n');
  struct Case {
    const char* title;
    ReplaceStep step;
    std::size_t at;  // fail the step once this many bytes are written
    bool in_place;   // no temporary file can be made, so the file is rewritten in place
  };
  const Case cases[] = {
      {"disk full at the first byte", ReplaceStep::kWrite, 0, false},
      {"disk full part-way", ReplaceStep::kWrite, 4096, false},
      {"between the written temporary file and the rename", ReplaceStep::kCommit, 0, false},
      {"disk full part-way through an in-place rewrite", ReplaceStep::kWrite, 4096, true},
      {"disk full past the old length in place", ReplaceStep::kWrite, 3500, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const fs::path target = dir_ / "vxcsd.cprm";
    { std::ofstream(target, std::ios::binary) << old_content; }
    ReplaceControl control;
    control.fault = [&c](ReplaceStep step, std::size_t written) {
      if (c.in_place && step == ReplaceStep::kCreateTemporary) {
        return false;
      }
      return !(step == c.step && written >= c.at);
    };
    std::string error;
    EXPECT_FALSE(ReplaceFileSafely(target.string(), new_content, &error, control));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(Slurp(target) == old_content);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  }
}

TEST_F(AtomicFile, WithoutATemporaryFileTheFileIsRewrittenInPlaceAndSaysSo) {
  const fs::path target = dir_ / "settings.reg";
  { std::ofstream(target, std::ios::binary) << std::string(100, 'o'); }
  std::string note;
  ReplaceControl no_temp;
  no_temp.fault = [](ReplaceStep step, std::size_t) {
    return step != ReplaceStep::kCreateTemporary;
  };
  no_temp.notice = [&note](const std::string& n) { note = n; };
  // Shorter, then longer than what is there.
  for (const std::string& content : {std::string(10, 'a'), std::string(300, 'b')}) {
    note.clear();
    std::string error;
    ASSERT_TRUE(ReplaceFileSafely(target.string(), content, &error, no_temp)) << error;
    EXPECT_EQ(Slurp(target), content);
    EXPECT_NE(note.find("in place"), std::string::npos) << note;
  }
  // A file that does not exist yet cannot be written in place.
  EXPECT_FALSE(ReplaceFileSafely((dir_ / "new.reg").string(), "x", nullptr, no_temp));
  EXPECT_FALSE(fs::exists(dir_ / "new.reg"));
}

#ifndef _WIN32
namespace {

// Runs body in a child process and gives its exit code. As root the child first becomes an
// ordinary user (uid, gid), so that permissions bind it as they bind users.
int InChild(uid_t uid, gid_t gid, const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) {
      _exit(100);
    }
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

constexpr uid_t kOwner = 4242;
constexpr uid_t kGroupMember = 4343;
constexpr gid_t kGroup = 4242;

}  // namespace

TEST_F(AtomicFile, LinksModeAndOwnerAreKept) {
  // A link in the application folder to a file kept elsewhere.
  fs::create_directories(dir_ / "app");
  fs::create_directories(dir_ / "shared");
  const fs::path real = dir_ / "shared" / "vxcsd.cprm";
  const fs::path link = dir_ / "app" / "vxcsd.cprm";
  { std::ofstream(real, std::ios::binary) << "old"; }
  fs::create_symlink("../shared/vxcsd.cprm", link);
  fs::permissions(real, fs::perms(0640));
  std::string error;
  ASSERT_TRUE(ReplaceFileContents(link.string(), "new", &error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(real), "new");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));

  // A second hard link sees the new content too.
  const fs::path hard = dir_ / "shared" / "copy.cprm";
  fs::create_hard_link(real, hard);
  ASSERT_TRUE(ReplaceFileContents(real.string(), "newer", &error)) << error;
  EXPECT_EQ(Slurp(hard), "newer");

  // A member of the file's group rewrites it; the owner stays, as it does when the drafting
  // system writes it in place.
  if (geteuid() != 0) {
    GTEST_SKIP() << "changing owners needs root";
  }
  const fs::path shared = dir_ / "group";
  fs::create_directories(shared);
  fs::permissions(shared, fs::perms(0777));
  const fs::path file = shared / "settings.reg";
  { std::ofstream(file, std::ios::binary) << "old"; }
  ASSERT_EQ(chown(file.c_str(), kOwner, kGroup), 0);
  fs::permissions(file, fs::perms(0664));
  EXPECT_EQ(InChild(kGroupMember, kGroup,
                    [&] { return ReplaceFileContents(file.string(), "new") ? 0 : 1; }),
            0);
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kOwner);
  EXPECT_EQ(st.st_gid, kGroup);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_EQ(Slurp(file), "new");
}

TEST_F(AtomicFile, AFolderTheUserCannotWriteGetsItsFileRewrittenInPlace) {
  const fs::path folder = dir_ / "app";
  fs::create_directories(folder);
  const fs::path file = folder / "vxcsd.cprm";
  { std::ofstream(file, std::ios::binary) << "old"; }
  fs::permissions(file, fs::perms(0666));
  fs::permissions(folder, fs::perms(0555));
  const int rc = InChild(kOwner, kGroup, [&] {
    std::string note;
    SetReplaceNotices([&note](const std::string& n) { note = n; });
    const bool ok = ReplaceFileContents(file.string(), "new");
    return ok && note.find("in place") != std::string::npos ? 0 : 1;
  });
  fs::permissions(folder, fs::perms(0755));
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Slurp(file), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(AtomicFile, ACrashBetweenTheTemporaryWriteAndTheRenameLeavesTheOldFile) {
  const fs::path target = dir_ / "vxcsd.cprm";
  { std::ofstream(target, std::ios::binary) << "old"; }
  const int rc = InChild(geteuid(), getegid(), [&] {
    ReplaceControl control;
    control.fault = [](ReplaceStep step, std::size_t) {
      if (step == ReplaceStep::kCommit) {
        raise(SIGKILL);
      }
      return true;
    };
    ReplaceFileSafely(target.string(), std::string(4096, 'n'), nullptr, control);
    return 0;
  });
  EXPECT_EQ(rc, 128 + SIGKILL);
  EXPECT_EQ(Slurp(target), "old");
}
#endif

#ifdef _WIN32
TEST_F(AtomicFile, AFileWhosePathIsNearTheLimitIsStillReplaced) {
  // A path of 259 bytes: a temporary name made by appending to it would pass MAX_PATH.
  fs::path folder = dir_;
  while (folder.string().size() < 259 - 20) {
    folder /= std::string(std::min<std::size_t>(40, 259 - 20 - folder.string().size()), 'd');
  }
  fs::create_directories(folder);
  const std::string target = (folder / std::string(259 - folder.string().size() - 1, 'f')).string();
  ASSERT_EQ(target.size(), 259u);
  { std::ofstream(target, std::ios::binary) << "old"; }
  std::string error;
  ASSERT_TRUE(ReplaceFileContents(target, "new", &error)) << error;
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}
#endif
