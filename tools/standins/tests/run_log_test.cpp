#include "support/run_log.h"

#include <gtest/gtest.h>

#include "json_reader.h"

namespace standin {
namespace {

TEST(RunLog, EscapesWhatJsonRequiresAndKeepsHighBytes) {
  EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString("\r\n\t\b\f"), R"("\r\n\t\b\f")");
  EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), R"("\u0001\u001f\u007f")");
  EXPECT_EQ(JsonString(std::string("\0", 1)), R"("\u0000")");
  // Shift-JIS bytes, trail byte 0x5C included, pass unchanged apart from the backslash rule.
  EXPECT_EQ(JsonString("\x95\x5C"), "\"\x95\\\\\"");
  EXPECT_EQ(JsonString("\xE8\xA1\xA8"), "\"\xE8\xA1\xA8\"");
}

TEST(RunLog, LineReadsBackAsTheSameToolArgumentsAndCommandLine) {
  std::vector<std::string> argv = {"C:\\App\\VXCVPX.exe",    "-p", "say \"x\"", "", "tab\there",
                                   std::string("nul\0in", 6)};
  std::string command_line = "\"C:\\App\\VXCVPX.exe\"  -p  \"say \\\"x\\\"\"\r\n";
  std::string line = FormatLogLine("VXCVPX", argv, command_line);
  ASSERT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line per run";
  auto entry = standin_test::ParseLogLine(line.substr(0, line.size() - 1));
  ASSERT_TRUE(entry.has_value()) << line;
  EXPECT_EQ(entry->tool, "VXCVPX");
  EXPECT_EQ(entry->argv, argv);
  EXPECT_EQ(entry->command_line, command_line);
}

}  // namespace
}  // namespace standin
