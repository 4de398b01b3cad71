#include "support/export_tool.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/csd_file.h"
#include "support/exit_codes.h"
#include "support/win_cmdline.h"
#include "test_support.h"

namespace standin {
namespace {

using standin_test::ScratchDir;

std::vector<std::string> Split(const std::string& line) {
  return SplitWindowsCommandLine(line);
}

TEST(ExportCommand, TakesTheConvertersLine) {
  std::string error;
  auto cmd = ParseExportCommand(
      Split("\"D:\\App\\VXCVPX.exe\" -M VXCSD.DLL -L VXCVLL.DLL -m export -p "
            "\"D:\\App\\vxcsd.cprm\" -l \"D:\\App\\VXCSD.lst\" \"D:\\My Work\\plan.VX\" "
            "\"D:\\App\\RSTKIT\\VXTMPDT2.CSD\""),
      &error);
  ASSERT_TRUE(cmd.has_value()) << error;
  EXPECT_EQ(cmd->param_path, "D:\\App\\vxcsd.cprm");
  EXPECT_EQ(cmd->list_path, "D:\\App\\VXCSD.lst");
  EXPECT_EQ(cmd->drawing_path, "D:\\My Work\\plan.VX");
  EXPECT_EQ(cmd->csd_path, "D:\\App\\RSTKIT\\VXTMPDT2.CSD");
}

TEST(ExportCommand, RefusesLinesItDoesNotTake) {
  const char* const bad[] = {
      "x",
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -p p -l l d",          // no CSD path
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -p p -l l d c extra",  // one path too many
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -l l d c",             // no -p
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -p p d c",             // no -l
      "x -L VXCVLL.DLL -m export -p p -l l d c",                     // no -M
      "x -M VXCSD.DLL -L VXCVLL.DLL -m import -p p -l l d c",        // wrong mode
      "x -M OTHER.DLL -L VXCVLL.DLL -m export -p p -l l d c",        // wrong module
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -p p -p q -l l d c",   // -p twice
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -p p -l l -q d c",     // unknown option
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -l l d c -p",          // -p without value
      "x -M VXCSD.DLL -L VXCVLL.DLL -m export -p p -l l \"\" c",     // empty drawing path
  };
  for (const char* line : bad) {
    std::string error;
    EXPECT_FALSE(ParseExportCommand(Split(line), &error).has_value()) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(RunExport, WritesTheCsdOfAnAcceptedDrawing) {
  ScratchDir dir;
  ExportCommand cmd{dir / "vxcsd.cprm", dir / "VXCSD.lst", dir / "plan.rev2.VX", dir / "out.CSD"};
  ASSERT_TRUE(standin_test::WriteFile(cmd.drawing_path, standin_test::DrawingBytes(11, 4096)));
  std::string message;
  ASSERT_EQ(RunExport(cmd, &message), kExitOk) << message;
  auto text = standin_test::ReadFile(cmd.csd_path);
  ASSERT_TRUE(text.has_value());
  auto csd = ParseCsd(*text, nullptr);
  ASSERT_TRUE(csd.has_value()) << *text;
  EXPECT_EQ(csd->name, "plan.rev2.VX");
  EXPECT_EQ(csd->source, cmd.drawing_path);
  EXPECT_EQ(csd->version, 11);
  EXPECT_EQ(csd->params, ParamSource::Defaults) << "no parameter file: built-in defaults";
  EXPECT_FALSE(standin_test::FileExists(cmd.list_path)) << "the list file is not written";
}

TEST(RunExport, RefusedDrawingLeavesNoCsd) {
  ScratchDir dir;
  struct Case {
    const char* what;
    std::optional<std::string> bytes;
  };
  std::string magic_at_zero = standin_test::DrawingBytes(4);
  magic_at_zero.replace(0, 17, "KRESTO PLANX V4.0");
  const Case cases[] = {
      {"missing", std::nullopt},
      {"31 bytes", standin_test::DrawingBytes(4, 31)},
      {"magic at offset 0", magic_at_zero},
      {"version 3", standin_test::DrawingBytes(3)},
      {"version 12", standin_test::DrawingBytes(12)},
  };
  for (const Case& c : cases) {
    std::string drawing = dir / "plan.VX";
    std::remove(drawing.c_str());
    if (c.bytes) {
      ASSERT_TRUE(standin_test::WriteFile(drawing, *c.bytes));
    }
    ExportCommand cmd{dir / "p", dir / "l", drawing, dir / "out.CSD"};
    std::string message;
    EXPECT_EQ(RunExport(cmd, &message), kExitBadInput) << c.what;
    EXPECT_FALSE(message.empty()) << c.what;
    EXPECT_FALSE(standin_test::FileExists(cmd.csd_path)) << c.what;
  }
}

TEST(RunExport, AcceptsTheWholeVersionRangeAndExactly32Bytes) {
  ScratchDir dir;
  for (int version : {4, 11}) {
    ExportCommand cmd{dir / "p", dir / "l", dir / "d.VX", dir / "out.CSD"};
    ASSERT_TRUE(standin_test::WriteFile(cmd.drawing_path, standin_test::DrawingBytes(version, 32)));
    std::string message;
    EXPECT_EQ(RunExport(cmd, &message), kExitOk) << version << message;
  }
}

}  // namespace
}  // namespace standin
