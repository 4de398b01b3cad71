#include "core/params/param_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "params_fakes.h"
#include "temp_files.h"

namespace {

using plotxfer::params::LoadParamLines;
using plotxfer::params::ParamLines;
using plotxfer::params::testing::WriteFileBytes;

std::string Lines(int n, const char* end = "\r\n") {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += "line " + std::to_string(i) + end;
  }
  return s;
}

class ParamLinesTest : public ::testing::Test {
 protected:
  std::unique_ptr<ParamLines> lines = ParamLines::Allocate();
};

TEST_F(ParamLinesTest, ReadsCrLfAndLfAndWritesCrLf) {
  ASSERT_TRUE(lines);
  lines->Fill("a\r\nb\nc\r\n");
  ASSERT_EQ(lines->count(), 3u);
  EXPECT_EQ(lines->Line(0), "a\n");
  EXPECT_EQ(lines->Line(1), "b\n");
  EXPECT_EQ(lines->Line(2), "c\n");
  EXPECT_EQ(lines->ToFileBytes(), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(lines->FileSize(), lines->ToFileBytes().size());
}

TEST_F(ParamLinesTest, KeepsEveryOtherByte) {
  // A lone CR, CR CR LF, a NUL, Shift-JIS text and a last line without its end.
  const std::string in = std::string("x\ry\r\n\r\r\nn\0l\r\n\x83\x79\x83\x93\r\nlast", 23);
  lines->Fill(in);
  ASSERT_EQ(lines->count(), 5u);
  EXPECT_EQ(lines->Line(0), "x\ry\n");
  EXPECT_EQ(lines->Line(1), "\r\n");
  EXPECT_EQ(lines->Line(2), std::string_view("n\0l\n", 4));
  EXPECT_EQ(lines->Line(4), "last");
  EXPECT_EQ(lines->ToFileBytes(), in);
}

TEST_F(ParamLinesTest, FillingInPiecesSplitsCrLfTheSameWay) {
  lines->Begin();
  lines->Append("ab\r");
  lines->Append("\ncd\r");
  lines->End();
  ASSERT_EQ(lines->count(), 2u);
  EXPECT_EQ(lines->Line(0), "ab\n");
  EXPECT_EQ(lines->Line(1), "cd\r");
}

TEST_F(ParamLinesTest, LongLinesGoOnInTheNextSlotsAndComeOutUnchanged) {
  const std::string exact(254, 'a');   // with its LF exactly one slot
  const std::string over(255, 'b');    // the LF alone goes on in the next slot
  const std::string longer(600, 'c');  // three slots
  const std::string in = exact + "\r\n" + over + "\r\n" + longer + "\r\nend\r\n";
  lines->Fill(in);
  ASSERT_EQ(lines->count(), 7u);
  EXPECT_EQ(lines->Line(0).size(), 255u);
  EXPECT_EQ(lines->Line(1), over);
  EXPECT_EQ(lines->Line(2), "\n");
  EXPECT_EQ(lines->Line(3), std::string(255, 'c'));
  EXPECT_EQ(lines->Line(5), std::string(90, 'c') + "\n");
  EXPECT_EQ(lines->ToFileBytes(), in);
}

TEST_F(ParamLinesTest, SixHundredNinetyNineLinesAreTheMost) {
  lines->Fill(Lines(699));
  EXPECT_EQ(lines->count(), 699u);
  EXPECT_EQ(lines->ToFileBytes(), Lines(699));

  lines->Fill(Lines(700));
  EXPECT_EQ(lines->count(), 0u);
  lines->Fill(Lines(699) + "no end");  // the 700th slot, even without a line end
  EXPECT_EQ(lines->count(), 0u);
  lines->Fill(Lines(5000));
  EXPECT_EQ(lines->count(), 0u);
  // A long line takes several slots, so fewer lines can fill them all.
  lines->Fill(Lines(697) + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(lines->count(), 699u);
  lines->Fill(Lines(698) + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(lines->count(), 0u);
}

TEST_F(ParamLinesTest, RewriteKeepsThePrefixAndRefusesWhatDoesNotFit) {
  lines->Fill("    RGB = \"1 2 3\"; // note\r\nnext\r\n");
  ASSERT_TRUE(lines->Rewrite(0, 4, "RGB = \"0 0 0\";\n"));
  EXPECT_EQ(lines->ToFileBytes(), "    RGB = \"0 0 0\";\r\nnext\r\n");

  const std::string indent(240, ' ');
  lines->Fill(indent + "RGB = \"1 2 3\";\r\n");
  EXPECT_TRUE(lines->Rewrite(0, 240, std::string(15, 'x')));  // 255 bytes: fits
  lines->Fill(indent + "RGB = \"1 2 3\";\r\n");
  EXPECT_FALSE(lines->Rewrite(0, 240, std::string(16, 'x')));
  EXPECT_EQ(lines->ToFileBytes(), indent + "RGB = \"1 2 3\";\r\n");
  EXPECT_FALSE(lines->Rewrite(1, 0, "x"));  // no such line
}

TEST_F(ParamLinesTest, RewritingALongLineDropsItsContinuation) {
  const std::string comment(400, 'c');
  lines->Fill("  RGB = \"1 2 3\"; // " + comment + "\r\nnext\r\n");
  ASSERT_EQ(lines->count(), 3u);
  ASSERT_TRUE(lines->Rewrite(0, 2, "RGB = \"0 0 0\";\n"));
  EXPECT_EQ(lines->ToFileBytes(), "  RGB = \"0 0 0\";\r\nnext\r\n");
}

TEST_F(ParamLinesTest, LoadsFilesAndReportsOnesThatCannotBeOpened) {
  const plotxfer::testing::TempFolder scratch;
  const std::filesystem::path dir = scratch.Path();
  const std::string path = (dir / "vxcsd.cprm").string();
  const std::string content = Lines(3000, "\n");  // bigger than one read, too many lines
  WriteFileBytes(path, Lines(10) + std::string(20000, 'z') + "\n");
  ASSERT_EQ(LoadParamLines(path, *lines), 0);
  EXPECT_EQ(lines->count(), 10u + 20000u / 255u + 1u);
  WriteFileBytes(path, content);
  ASSERT_EQ(LoadParamLines(path, *lines), 0);
  EXPECT_EQ(lines->count(), 0u);
  EXPECT_NE(LoadParamLines((dir / "missing.cprm").string(), *lines), 0);
  EXPECT_EQ(lines->count(), 0u);
}

}  // namespace
