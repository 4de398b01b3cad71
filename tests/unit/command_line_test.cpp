#include "core/text/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using plotxfer::text::CodePage;
using plotxfer::text::Quotable;
using plotxfer::text::SplitCommandLine;
using Args = std::vector<std::string>;

namespace {

// The arguments after the program name.
Args Tail(const std::string& line, CodePage cp = CodePage::Utf8) {
  Args argv = SplitCommandLine("prog " + line, cp);
  EXPECT_FALSE(argv.empty());
  EXPECT_EQ(argv.front(), "prog");
  return Args(argv.begin() + 1, argv.end());
}

}  // namespace

TEST(CommandLineSplit, BackslashesAndQuotesFollowTheRuntimeRules) {
  // The classic cases of the C runtime's documentation.
  EXPECT_EQ(Tail(R"("abc" d e)"), (Args{"abc", "d", "e"}));
  EXPECT_EQ(Tail(R"(a\\\b d"e f"g h)"), (Args{R"(a\\\b)", "de fg", "h"}));
  EXPECT_EQ(Tail(R"(a\\\"b c d)"), (Args{R"(a\"b)", "c", "d"}));
  EXPECT_EQ(Tail(R"(a\\\\"b c" d e)"), (Args{R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(Tail(R"(a"b"" c d)"), (Args{R"(ab" c d)"}));
}

TEST(CommandLineSplit, QuotingEdgeCases) {
  EXPECT_EQ(Tail(R"("")"), (Args{""}));  // an empty argument
  EXPECT_EQ(Tail(R"("" "")"), (Args{"", ""}));
  EXPECT_EQ(Tail(R"("a b)"), (Args{"a b"}));       // an unclosed quote runs to the end
  EXPECT_EQ(Tail(R"(a"b c"d)"), (Args{"ab cd"}));  // quotes inside a token
  EXPECT_EQ(Tail(R"("a""b")"), (Args{R"(a"b)"}));  // "" inside quotes
  EXPECT_EQ(Tail(R"("a"""b")"), (Args{R"(a"b)"}));
  EXPECT_EQ(Tail(R"(\"a\")"), (Args{R"("a")"}));
  EXPECT_EQ(Tail(R"("C:\dir\" next)"), (Args{R"(C:\dir" next)"}));  // \" escapes the close
  EXPECT_EQ(Tail(R"("C:\dir\\" next)"), (Args{R"(C:\dir\)", "next"}));
  EXPECT_EQ(Tail(R"(a\b\ c\\)"), (Args{R"(a\b\)", R"(c\\)"}));  // no quote: all literal
}

TEST(CommandLineSplit, BlanksSeparateRunsAndEnds) {
  EXPECT_EQ(Tail("a  b\t\tc   "), (Args{"a", "b", "c"}));
  EXPECT_EQ(Tail(""), Args{});
  EXPECT_EQ(Tail("   \t "), Args{});
  // Empty optional tokens of our command lines leave runs of blanks: no empty arguments.
  EXPECT_EQ(Tail(R"(/vf:0  "/EllipseDiv:  5.0" "/PDFVec:1")"),
            (Args{"/vf:0", "/EllipseDiv:  5.0", "/PDFVec:1"}));
  // Only space and tab separate.
  EXPECT_EQ(Tail("a\vb"), (Args{"a\vb"}));
}

TEST(CommandLineSplit, ProgramNameHasNoEscapes) {
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\VX\VXCVPX.exe" -m)", CodePage::Utf8),
            (Args{R"(C:\Program Files\VX\VXCVPX.exe)", "-m"}));
  // A backslash before the closing quote of the program name is a plain character.
  EXPECT_EQ(SplitCommandLine(R"("C:\dir\" x)", CodePage::Utf8), (Args{R"(C:\dir\)", "x"}));
  EXPECT_EQ(SplitCommandLine(R"(C:\a" "b\c.exe x)", CodePage::Utf8),
            (Args{R"(C:\a b\c.exe)", "x"}));
  EXPECT_EQ(SplitCommandLine("", CodePage::Utf8), (Args{""}));
  EXPECT_EQ(SplitCommandLine(" x", CodePage::Utf8), (Args{"", "x"}));
}

TEST(CommandLineSplit, ShiftJisTrailBytesAreNotBackslashes) {
  // "C:\表" then a quote: the 0x5C of 表 must not escape the closing quote.
  const std::string hyo = "\x95\x5C";
  EXPECT_EQ(Tail("\"C:\\" + hyo + "\" next", CodePage::ShiftJis), (Args{"C:\\" + hyo, "next"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\" + hyo + "\\p.exe\" a", CodePage::ShiftJis),
            (Args{"C:\\" + hyo + "\\p.exe", "a"}));
  // The same bytes read as a single-byte code page: 0x5C escapes the quote.
  EXPECT_EQ(Tail("\"C:\\" + hyo + "\" next", CodePage::SingleByte), (Args{"C:\\\x95\" next"}));
}

TEST(CommandLineQuoting, RefusesTextThatWouldChangeTheTokens) {
  EXPECT_TRUE(Quotable("C:\\Work\\plan.VX", CodePage::ShiftJis));
  EXPECT_TRUE(Quotable("/home/u/my plan.VX", CodePage::Utf8));
  EXPECT_TRUE(Quotable("", CodePage::Utf8));
  EXPECT_FALSE(Quotable("/tmp/a\" /s \"b.VX", CodePage::Utf8));
  // Between quotes, control characters come back as they were; only space and tab separate.
  EXPECT_TRUE(Quotable("/tmp/a\nb.VX", CodePage::Utf8));
  EXPECT_TRUE(Quotable("/tmp/a\tb.VX", CodePage::Utf8));
  EXPECT_TRUE(Quotable("/tmp/a\x7F", CodePage::Utf8));
  // A lone lead byte at the end would swallow the closing quote.
  EXPECT_FALSE(Quotable("C:\\\x94\x94\x94", CodePage::ShiftJis));
  EXPECT_TRUE(Quotable("C:\\\x94\x94\x94", CodePage::SingleByte));
  // A lead byte before a byte that cannot follow it: Windows makes one other character of the
  // pair, quote or blank included.
  EXPECT_FALSE(Quotable("C:\\\x81\" /s \"x", CodePage::ShiftJis));
  EXPECT_FALSE(Quotable("C:\\\xE5\x1B.VX", CodePage::ShiftJis));
  EXPECT_FALSE(Quotable("C:\\\x81\x7F.VX", CodePage::ShiftJis));
  EXPECT_TRUE(Quotable("C:\\\x81\x40\x81\x7E\x81\x80\x81\xFC", CodePage::ShiftJis));
  EXPECT_FALSE(Quotable(std::string("/tmp/a\0b", 8), CodePage::Utf8));
  EXPECT_FALSE(Quotable("C:\\dir\\", CodePage::ShiftJis));
  // 表 ends in byte 0x5C but is no backslash in Shift-JIS; it is in a single-byte code page.
  EXPECT_TRUE(Quotable("C:\\\x95\x5C", CodePage::ShiftJis));
  EXPECT_FALSE(Quotable("C:\\\x95\x5C", CodePage::SingleByte));
}

TEST(CommandLineQuoting, QuotableTextComesBackWhole) {
  const char* samples[] = {"C:\\Program Files\\VX\\vxcsd.cprm", "/pdfpath:D:\\a b\\c.pdf",
                           "\\\\server\\share\\x y", "a\\\\b", "/EllipseDiv:  5.0"};
  for (const char* s : samples) {
    ASSERT_TRUE(Quotable(s, CodePage::SingleByte)) << s;
    EXPECT_EQ(Tail(std::string("x \"") + s + "\" y"), (Args{"x", s, "y"})) << s;
  }
}
