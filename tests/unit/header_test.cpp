#include "core/drawing/header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "temp_files.h"

using plotxfer::CheckDrawingHeader;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::TempFolder;
using plotxfer::testing::WriteBytes;

TEST(DrawingHeader, LengthDecidesBeforeContent) {
  TempFolder dir;
  WriteBytes(dir.File("short.VX"), DrawingHeader().substr(0, 31));
  WriteBytes(dir.File("exact.VX"), DrawingHeader());
  WriteBytes(dir.File("empty.VX"), "");
  EXPECT_EQ(CheckDrawingHeader(dir.File("short.VX")), plotxfer::HeaderTooShort);
  EXPECT_EQ(CheckDrawingHeader(dir.File("exact.VX")), plotxfer::HeaderOk);
  EXPECT_EQ(CheckDrawingHeader(dir.File("empty.VX")), plotxfer::HeaderTooShort);
}

TEST(DrawingHeader, MagicMustStandAtOffsetFour) {
  TempFolder dir;
  std::string at_zero(32, '\0');
  at_zero.replace(0, 17, "KRESTO PLANX V4.0");
  at_zero[25] = 7;
  WriteBytes(dir.File("at0.VX"), at_zero);
  EXPECT_EQ(CheckDrawingHeader(dir.File("at0.VX")), plotxfer::HeaderBadMagic);

  std::string lower = DrawingHeader();
  lower[4] = 'k';
  WriteBytes(dir.File("lower.VX"), lower);
  EXPECT_EQ(CheckDrawingHeader(dir.File("lower.VX")), plotxfer::HeaderBadMagic);

  std::string last_byte = DrawingHeader();
  last_byte[20] = '1';  // "V4.1"
  WriteBytes(dir.File("v41.VX"), last_byte);
  EXPECT_EQ(CheckDrawingHeader(dir.File("v41.VX")), plotxfer::HeaderBadMagic);

  // Bad magic wins over a bad version.
  std::string both = at_zero;
  both[25] = 99;
  WriteBytes(dir.File("both.VX"), both);
  EXPECT_EQ(CheckDrawingHeader(dir.File("both.VX")), plotxfer::HeaderBadMagic);
}

// Only versions above the newest one read are drawings of a newer VELLUMIX; older ones are not.
TEST(DrawingHeader, VersionsFourToElevenAreAcceptedAndHigherOnesAreNewer) {
  TempFolder dir;
  const struct {
    unsigned char version;
    plotxfer::HeaderResult expected;
    bool newer;
  } cases[] = {{0, plotxfer::HeaderBadVersion, false},  {3, plotxfer::HeaderBadVersion, false},
               {4, plotxfer::HeaderOk, false},          {11, plotxfer::HeaderOk, false},
               {12, plotxfer::HeaderBadVersion, true},  {0x84, plotxfer::HeaderBadVersion, true},
               {0xFF, plotxfer::HeaderBadVersion, true}};
  for (const auto& c : cases) {
    std::string name = "v";
    name += std::to_string(c.version);
    name += ".VX";
    const std::string path = dir.File(name);
    WriteBytes(path, DrawingHeader(c.version));
    EXPECT_EQ(CheckDrawingHeader(path), c.expected) << "version " << int{c.version};
    EXPECT_EQ(plotxfer::IsNewerDrawing(path), c.newer) << "version " << int{c.version};
  }
  // A wrong magic with a high version byte is no drawing at all, newer or not.
  std::string not_drawing = DrawingHeader(12);
  not_drawing[4] = 'k';
  WriteBytes(dir.File("magic.VX"), not_drawing);
  EXPECT_FALSE(plotxfer::IsNewerDrawing(dir.File("magic.VX")));
  EXPECT_FALSE(plotxfer::IsNewerDrawing(dir.File("missing.VX")));
}

TEST(DrawingHeader, UnexaminedBytesMayHoldAnything) {
  TempFolder dir;
  std::string h(32, '\0');
  h.replace(4, 17, "KRESTO PLANX V4.0");
  h[25] = 4;
  for (int i : {0, 1, 2, 3, 21, 22, 23, 24, 26, 27, 28, 29, 30, 31}) {
    h[static_cast<std::size_t>(i)] = static_cast<char>(0xFF - i);
  }
  WriteBytes(dir.File("noise.VX"), h + std::string(5000, '\x1A'));
  EXPECT_EQ(CheckDrawingHeader(dir.File("noise.VX")), plotxfer::HeaderOk);
}

TEST(DrawingHeader, MissingFilesAndFoldersCannotBeOpened) {
  TempFolder dir;
  EXPECT_EQ(CheckDrawingHeader(dir.File("absent.VX")), plotxfer::HeaderOpenFailed);
  std::filesystem::create_directory(dir.File("folder.VX"));
  EXPECT_EQ(CheckDrawingHeader(dir.File("folder.VX")), plotxfer::HeaderOpenFailed);
  EXPECT_EQ(CheckDrawingHeader(""), plotxfer::HeaderOpenFailed);
}

TEST(DrawingHeader, FileStaysUsableByOthersAndIsClosed) {
  TempFolder dir;
  const std::string path = dir.File("open.VX");
  WriteBytes(path, DrawingHeader());
  // Another program holds the drawing open for writing while it is tested.
  std::FILE* writer = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(CheckDrawingHeader(path), plotxfer::HeaderOk);
  std::fclose(writer);
  // Many tests in a row would run out of handles if one were left open; and the file can be
  // deleted at once (Windows refuses to delete a file that is still open).
  for (int i = 0; i < 1100; ++i) {
    ASSERT_EQ(CheckDrawingHeader(path), plotxfer::HeaderOk);
  }
  EXPECT_TRUE(std::filesystem::remove(path));
}

TEST(DrawingHeader, JudgingBytesInMemoryMatchesTheFileTest) {
  const std::string h = DrawingHeader(11);
  const auto* bytes = reinterpret_cast<const unsigned char*>(h.data());
  EXPECT_EQ(plotxfer::JudgeDrawingHeader(bytes, 32), plotxfer::HeaderOk);
  EXPECT_EQ(plotxfer::JudgeDrawingHeader(bytes, 31), plotxfer::HeaderTooShort);
  EXPECT_EQ(plotxfer::JudgeDrawingHeader(bytes, 0), plotxfer::HeaderTooShort);
}

TEST(DrawingExtension, IsDotVxInAnyLetterCaseAtTheEnd) {
  struct Case {
    const char* name;
    bool drawing;
  };
  const Case cases[] = {
      {"a.VX", true},
      {"a.vx", true},
      {"a.vX", true},
      {".VX", true},
      {"D:\\\x95\x5C\\plan.VX", true},  // 表 ends in the byte of a backslash
      {"/home/a/plan.Vx", true},
      {"a.vx.bak", false},
      {"a.vxx", false},
      {"avx", false},
      {"VX", false},
      {"", false},
      {"a.V", false},
      {"D:\\plans.vx\\plan", false},
      {"a.\x83V", false},  // a double-byte character whose trail byte is V
      {"a.VY", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plotxfer::HasDrawingExtension(c.name), c.drawing) << c.name;
  }
}
