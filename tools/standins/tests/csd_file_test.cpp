#include "support/csd_file.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

CsdDrawing Sample() {
  CsdDrawing d;
  d.name = "plan 100%\r\n\x95\x5C.VX";
  d.source = "D:\\Work\\plan 100%\r\n\x95\x5C.VX";
  d.version = 11;
  d.params = ParamSource::Partial;
  d.style = DefaultStyle();
  d.style.pens[4] = Pen{1, 2, 3, 0.26};
  d.style.line_types[2].segments = {6, 1, 0.5, 1, 0.25, 1.125};
  return d;
}

TEST(CsdFile, ReadsBackWhatItWrites) {
  CsdDrawing d = Sample();
  std::string text = FormatCsd(d);
  std::string error;
  auto back = ParseCsd(text, &error);
  ASSERT_TRUE(back.has_value()) << error;
  EXPECT_EQ(back->name, d.name);
  EXPECT_EQ(back->source, d.source);
  EXPECT_EQ(back->version, 11);
  EXPECT_EQ(back->params, ParamSource::Partial);
  for (int i = 0; i < kPenCount; ++i) {
    EXPECT_EQ(back->style.pens[i].red, d.style.pens[i].red);
    EXPECT_EQ(back->style.pens[i].green, d.style.pens[i].green);
    EXPECT_EQ(back->style.pens[i].blue, d.style.pens[i].blue);
    EXPECT_DOUBLE_EQ(back->style.pens[i].width_mm, d.style.pens[i].width_mm);
  }
  for (int t = 0; t < kLineTypeCount; ++t) {
    for (int k = 0; k < kMaxSegments; ++k) {
      EXPECT_DOUBLE_EQ(back->style.line_types[t].segments[k], d.style.line_types[t].segments[k]);
    }
  }
}

TEST(CsdFile, NamesNeverBreakALine) {
  std::string text = FormatCsd(Sample());
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 5u + kPenCount + kLineTypeCount + 1);
  EXPECT_NE(text.find("drawing plan 100%25%0D%0A\x95\x5C.VX\r\n"), std::string::npos) << text;
}

TEST(CsdFile, AcceptsLineFeedsAlone) {
  std::string text = FormatCsd(Sample());
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  EXPECT_TRUE(ParseCsd(lf, nullptr).has_value());
}

TEST(CsdFile, RefusesAnythingIncompleteOrMalformed) {
  const std::string good = FormatCsd(Sample());
  auto without = [&good](const std::string& line) {
    std::string t = good;
    std::size_t at = t.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    t.erase(at, t.find("\r\n", at) + 2 - at);
    return t;
  };
  auto with = [&good](const std::string& from, const std::string& to) {
    std::string t = good;
    std::size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    t.replace(at, from.size(), to);
    return t;
  };
  const std::pair<std::string, std::string> bad[] = {
      {"empty", ""},
      {"not a CSD", "%PDF-1.4\r\n"},
      {"truncated", good.substr(0, good.size() / 2)},
      {"no end", without("end")},
      {"pen missing", without("pen 7 ")},
      {"line type missing", without("ltype 3 ")},
      {"version missing", without("version ")},
      {"pen repeated", with("pen 2 ", "pen 3 ")},
      {"colour out of range", with("pen 1 0 0 0", "pen 1 0 256 0")},
      {"negative width", with("pen 1 0 0 0 0.13", "pen 1 0 0 0 -1")},
      {"width not a number", with("pen 1 0 0 0 0.13", "pen 1 0 0 0 0.13mm")},
      {"too few lengths", with("ltype 1 dashed 3 1", "ltype 1 dashed 3")},
      {"wrong id", with("ltype 1 dashed", "ltype 1 dotted")},
      {"unknown line", with("params partial", "params partial\r\ncolour 3")},
      {"bad escape", with("drawing plan 100%25", "drawing plan 100%2")},
  };
  for (const auto& [what, text] : bad) {
    std::string error;
    EXPECT_FALSE(ParseCsd(text, &error).has_value()) << what;
    EXPECT_FALSE(error.empty()) << what;
  }
}

}  // namespace
}  // namespace standin
