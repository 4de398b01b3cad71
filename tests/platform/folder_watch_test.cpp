// The system's word about what changes in a watched folder: inotify natively, ReadDirectoryChangesW
// under Wine, in a folder whose name ends in 表 (0x95 0x5C under code page 932).
#include "platform/folder_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "../unit/temp_files.h"
#include "platform/codepage.h"

using namespace plotxfer;
using plotxfer::testing::TempFolder;
using plotxfer::testing::WriteBytes;

namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
bool MakeFolder(const std::string& path) {
  return _mkdir(path.c_str()) == 0;
}
bool RemoveFolder(const std::string& path) {
  return _rmdir(path.c_str()) == 0;
}
#else
constexpr char kSep = '/';
bool MakeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0755) == 0;
}
bool RemoveFolder(const std::string& path) {
  return rmdir(path.c_str()) == 0;
}
#endif

// Collects events until want says they are all there, for at most a few seconds.
platform::FolderEvents WaitFor(platform::FolderWatch& watch,
                               const std::function<bool(const platform::FolderEvents&)>& want) {
  platform::FolderEvents all;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!want(all) && std::chrono::steady_clock::now() < end) {
    platform::FolderEvents e = watch.Wait(std::chrono::milliseconds(100));
    all.changed.insert(all.changed.end(), e.changed.begin(), e.changed.end());
    all.lost.insert(all.lost.end(), e.lost.begin(), e.lost.end());
    all.overflow = all.overflow || e.overflow;
  }
  return all;
}

bool Names(const std::vector<std::string>& paths, const std::string& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

}  // namespace

TEST(FolderWatch, TheSystemNamesWhatChangesInAWatchedFolderAndItsSubfolders) {
  const text::CodePage cp = platform::ActiveCodePage();
  std::string name = "watched";
  if (cp == text::CodePage::ShiftJis) {
    name += " \x95\x5C";  // its trail byte is a backslash
  } else if (cp == text::CodePage::Utf8) {
    name += " \xE8\xA1\xA8";
  }
  TempFolder temp;
  const std::string folder = temp.Path() + kSep + name;
  const auto in = [&](const std::string& relative) {
    std::string path = folder + kSep + relative;
    std::replace(path.begin() + static_cast<long>(folder.size()), path.end(), '/', kSep);
    return path;
  };
  ASSERT_TRUE(MakeFolder(folder));
  ASSERT_TRUE(MakeFolder(in("sub")));
  const std::unique_ptr<platform::FolderWatch> watch = platform::MakeFolderWatch();
  std::string why;
  ASSERT_TRUE(watch->Add(folder, true, &why)) << why;

  struct Case {
    const char* what;
    std::function<void()> change;
    const char* named;
  };
  const std::string drawing = plotxfer::testing::DrawingHeader();
  const Case cases[] = {
      {"a new drawing", [&] { WriteBytes(in("a.VX"), drawing); }, "a.VX"},
      {"a drawing written again", [&] { WriteBytes(in("a.VX"), drawing + drawing); }, "a.VX"},
#ifndef _WIN32
      // Wine's subtree watch misses subfolders that were there before it began (Windows' does
      // not); the watcher's full looks find their drawings there.
      {"a drawing in a subfolder", [&] { WriteBytes(in("sub/b.VX"), drawing); }, "sub/b.VX"},
#endif
      {"a drawing renamed into place",
       [&] {
         WriteBytes(in("c.tmp"), drawing);
         std::rename(in("c.tmp").c_str(), in("c.VX").c_str());
       },
       "c.VX"},
      {"a drawing removed", [&] { std::remove(in("a.VX").c_str()); }, "a.VX"},
      {"a subfolder made while watching", [&] { MakeFolder(in("new")); }, "new"},
      {"a drawing in that subfolder", [&] { WriteBytes(in("new/d.VX"), drawing); }, "new/d.VX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    const std::string expected = in(c.named);
    const platform::FolderEvents events = WaitFor(
        *watch, [&](const platform::FolderEvents& e) { return Names(e.changed, expected); });
    std::string named;
    for (const std::string& path : events.changed) {
      named += "\n  " + path;
    }
    EXPECT_TRUE(Names(events.changed, expected)) << expected << "; named:" << named;
    EXPECT_TRUE(events.lost.empty());
  }

  // A watched folder that goes away is told as lost, whatever else is said about it. (Wine tells
  // nothing; the watcher's full looks find it gone.)
  for (const char* file : {"sub/b.VX", "c.VX", "new/d.VX"}) {
    std::remove(in(file).c_str());
  }
  ASSERT_TRUE(RemoveFolder(in("new")) && RemoveFolder(in("sub")) && RemoveFolder(folder));
#ifndef _WIN32
  const platform::FolderEvents gone =
      WaitFor(*watch, [&](const platform::FolderEvents& e) { return Names(e.lost, folder); });
  EXPECT_TRUE(Names(gone.lost, folder));
#endif
}

#ifdef _WIN32
// The drafting system writes a drawing with the file open and shared for reading only.
TEST(FolderWatch, AFileOpenForWritingIsHeldByItsWriter) {
  TempFolder temp;
  const std::string path = temp.File("plan.VX");
  WriteBytes(path, plotxfer::testing::DrawingHeader());
  EXPECT_FALSE(platform::HeldByWriter(path));
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform::HeldByWriter(path));
  CloseHandle(writer);
  EXPECT_FALSE(platform::HeldByWriter(path));
}
#endif
