// The progress line.
#include "cli/progress.h"

#include <gtest/gtest.h>

using plotxfer::cli::ClockText;
using plotxfer::cli::ProgressLine;
using std::chrono::seconds;
namespace text = plotxfer::text;

TEST(Progress, TheLineFitsTheTerminalAndShortensTheNameFromTheFront) {
  struct Case {
    std::size_t done;
    std::size_t total;
    const char* name;
    long gone;
    long left;
    bool estimate;
    int columns;
    text::CodePage cp;
    const char* line;
  };
  constexpr auto utf8 = text::CodePage::Utf8;
  constexpr auto sjis = text::CodePage::ShiftJis;
  const Case cases[] = {
      {0, 3, "plan.VX", 0, 0, false, 80, utf8, "[0/3] plan.VX  0:00 gone"},
      {2, 99, "plan.VX", 754, 3600, true, 80, utf8,
       "[ 2/99] plan.VX  12:34 gone, about 1:00:00 left"},
      {2, 99, "long-drawing-name.VX", 5, 7, true, 47, utf8,
       "[ 2/99] ...name.VX  0:05 gone, about 0:07 left"},
      // Whole characters only: never half of 表 (0x95 0x5C).
      {1, 2, "\x95\x5C\x95\x5C\x95\x5C.VX", 1, 1, true, 43, sjis,
       "[1/2] ...\x95\x5C.VX  0:01 gone, about 0:01 left"},
      {1, 2, "\x95\x5C\x95\x5C\x95\x5C.VX", 1, 1, true, 42, sjis,
       "[1/2] ....VX  0:01 gone, about 0:01 left"},
      {1, 2, "plan.VX", 1, 1, true, 10, utf8, "[1/2]   0"},
  };
  for (const Case& c : cases) {
    const std::string line = ProgressLine(c.done, c.total, c.name, seconds(c.gone), seconds(c.left),
                                          c.estimate, c.columns, c.cp);
    EXPECT_EQ(line, c.line);
    EXPECT_LT(line.size(), static_cast<std::size_t>(c.columns));
  }
  EXPECT_EQ(ClockText(seconds(59)), "0:59");
  EXPECT_EQ(ClockText(seconds(3661)), "1:01:01");
}
