#include "support/win_cmdline.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

using Args = std::vector<std::string>;

bool ShiftJisLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(SplitWindowsCommandLine, FollowsTheRuntimeRulesForQuotesAndBackslashes) {
  struct Case {
    const char* line;
    Args expected;
  };
  const Case cases[] = {
      {R"(p a b  c)", {"p", "a", "b", "c"}},
      {"p\ta\t \tb", {"p", "a", "b"}},
      {R"(p "a b" c)", {"p", "a b", "c"}},
      {R"(p a"b c"d)", {"p", "ab cd"}},
      {R"(p a\\b c\d)", {"p", R"(a\\b)", R"(c\d)"}},
      {R"(p a\"b)", {"p", R"(a"b)"}},
      {R"(p a\\"b c")", {"p", R"(a\b c)"}},
      {R"(p a\\\"b)", {"p", R"(a\"b)"}},
      {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
      {R"(p "")", {"p", ""}},
      {R"(p "" "")", {"p", "", ""}},
      {R"(p "a""b")", {"p", R"(a"b)"}},
      {R"(p "a b)", {"p", "a b"}},
      {R"(p a   )", {"p", "a"}},
      {R"(p "/EllipseDiv:  5.0")", {"p", "/EllipseDiv:  5.0"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitWindowsCommandLine(c.line), c.expected) << c.line;
  }
}

TEST(SplitWindowsCommandLine, ProgramTokenTakesBackslashesLiterally) {
  EXPECT_EQ(SplitWindowsCommandLine(R"("C:\Tools\x\" a)"), (Args{R"(C:\Tools\x\)", "a"}));
  EXPECT_EQ(SplitWindowsCommandLine(R"("C:\Program Files\VXCVPX.exe" -M)"),
            (Args{R"(C:\Program Files\VXCVPX.exe)", "-M"}));
  EXPECT_EQ(SplitWindowsCommandLine(R"(C:\x\RASTRON.EXE "in")"),
            (Args{R"(C:\x\RASTRON.EXE)", "in"}));
}

TEST(SplitWindowsCommandLine, ConverterLinesKeepEmptyOptionalTokensOut) {
  // Absent optional tokens leave two or three spaces, which must not become empty arguments.
  std::string line =
      "\"D:\\App\\RSTKIT\\RASTRON.EXE\" \"D:\\App\\RSTKIT\\VXTMPDT2.CSD\" /s "
      "\"/Imagepath:D:\\Work\\plan.bmp\" /c:1 /ImageType:0 /vf:0   \"/PDFVec:1\" "
      "\"/VXAppPath:D:\\App\\RSTKIT\"";
  EXPECT_EQ(SplitWindowsCommandLine(line),
            (Args{"D:\\App\\RSTKIT\\RASTRON.EXE", "D:\\App\\RSTKIT\\VXTMPDT2.CSD", "/s",
                  "/Imagepath:D:\\Work\\plan.bmp", "/c:1", "/ImageType:0", "/vf:0", "/PDFVec:1",
                  "/VXAppPath:D:\\App\\RSTKIT"}));
}

TEST(SplitWindowsCommandLine, TrailByteOfShiftJisIsNeverABackslash) {
  // "表" is 0x95 0x5C in Shift-JIS: a folder ending in it, quoted, must not escape the quote.
  const std::string folder = "D:\\\x95\x5C";
  const std::string line = "\"p\" \"" + folder + "\" next";
  EXPECT_EQ(SplitWindowsCommandLine(line, ShiftJisLead), (Args{"p", folder, "next"}));
  // Without the code page's knowledge the same bytes read as an escaped quote.
  EXPECT_EQ(SplitWindowsCommandLine(line).size(), 2u);
  // The program token too.
  EXPECT_EQ(SplitWindowsCommandLine("\"D:\\\x83\x5C\\x.exe\" a", ShiftJisLead),
            (Args{"D:\\\x83\x5C\\x.exe", "a"}));
}

TEST(JoinWindowsCommandLine, SplitsBackIntoTheSameArguments) {
  const Args torture[] = {
      {"/usr/bin/p", "plain", "with space", "", "quote\"inside", "trailing\\", "both \\\" mixed",
       "\\\\server\\share", "tab\there", "end\\\\"},
      {"/a b/program", "/pdfpath:/x y/plan.pdf", "/EllipseDiv:  5.0", "\"", "\\", "\\\""},
      {"p", "\xE8\xA1\xA8\\", "/\xE4\xBD\x9C\xE6\xA5\xAD/plan.VX"},
  };
  for (const Args& args : torture) {
    std::string line = JoinWindowsCommandLine(args);
    EXPECT_EQ(SplitWindowsCommandLine(line), args) << line;
  }
}

TEST(JoinWindowsCommandLine, QuotesOnlyWhereNeeded) {
  EXPECT_EQ(JoinWindowsCommandLine({"/x/RASTRON.EXE", "/s", "/c:1", "a b", ""}),
            "\"/x/RASTRON.EXE\" /s /c:1 \"a b\" \"\"");
  EXPECT_EQ(QuoteWindowsArgument("a\\b"), "a\\b");
  EXPECT_EQ(QuoteWindowsArgument("a b\\"), "\"a b\\\\\"");
  EXPECT_EQ(QuoteWindowsArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
}

}  // namespace
}  // namespace standin
