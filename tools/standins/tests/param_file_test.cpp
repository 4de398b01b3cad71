#include "support/param_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace standin {
namespace {

const std::string kPen = "\x83\x79\x83\x93";  // "pen" in Shift-JIS katakana
const char* const kLineTypeNames[] = {"\x94\x6A\x90\xFC", "\x88\xEA\x93\x5F\x8D\xBD\x90\xFC",
                                      "\x93\xF1\x93\x5F\x8D\xBD\x90\xFC", "\x93\x5F\x90\xFC",
                                      "\x95\xE2\x8F\x95\x90\xFC"};

std::string Item(const std::string& name, const std::string& value_line) {
  return "    ParamItem\r\n    {\r\n      VxName = \"" + name + "\";\r\n      " + value_line +
         "\r\n    }\r\n";
}

// A parameter file laid out as the drafting system writes it; pens listed in the order given.
std::string ParamFile(const std::vector<int>& pen_order, bool with_ltype = true) {
  std::string f =
      "// conversion parameters\r\nSection\r\n{\r\n  SectionName = \"Import\";\r\n"
      "  ParamTable\r\n  {\r\n    TableName = \"Color\";\r\n" +
      Item(kPen + "1", "RGB = \"9 9 9\";") +
      "  }\r\n}\r\nSection\r\n{\r\n  SectionName = \"Export\";\r\n";
  f += "  ParamTable\r\n  {\r\n    TableName = \"Color\";\r\n";
  for (int n : pen_order) {
    f += Item(kPen + std::to_string(n), "RGB = \"" + std::to_string(n) + " " +
                                            std::to_string(n * 2) + " " + std::to_string(n * 3) +
                                            "\";  // comment");
  }
  f += "  }\r\n  ParamTable\r\n  {\r\n    TableName = \"Width\";\r\n";
  for (int n = 1; n <= 12; ++n) {
    f += Item(kPen + std::to_string(n), "Value = " + std::to_string(n) + ".250000;");
  }
  f += "  }\r\n";
  if (with_ltype) {
    f += "  ParamTable\r\n  {\r\n    TableName = \"Ltype\";\r\n";
    f += Item("custom", "Segments = \"9.0 9.0\";");
    f += Item(kLineTypeNames[0], "Segments = \"3.0 1.5\";");
    f += Item(kLineTypeNames[1], "Segments = \"6.0 1.0 0.5 1.0\";");
    f += Item(kLineTypeNames[2], "Segments = \"6.0  1.0 0.5 1.0 0.5 1.0\";");
    f += Item(kLineTypeNames[3], "Segments = \"0.2 0.8\";");
    f += Item(kLineTypeNames[4], "Segments = \"2.0 2.0\";");
    f += "  }\r\n";
  }
  f += "}\r\n";
  return f;
}

TEST(ExportParams, ReadsPensByNameWhateverTheirOrder) {
  ExportParams p = ParseExportParams(ParamFile({12, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(p.source, ParamSource::File);
  for (int n = 1; n <= 12; ++n) {
    const Pen& pen = p.style.pens[n - 1];
    EXPECT_EQ(pen.red, n) << "pen " << n;
    EXPECT_EQ(pen.green, n * 2) << "pen " << n;
    EXPECT_EQ(pen.blue, n * 3) << "pen " << n;
    EXPECT_DOUBLE_EQ(pen.width_mm, n + 0.25) << "pen " << n;
  }
  EXPECT_DOUBLE_EQ(p.style.line_types[0].segments[0], 3.0);
  EXPECT_DOUBLE_EQ(p.style.line_types[0].segments[1], 1.5);
  EXPECT_DOUBLE_EQ(p.style.line_types[1].segments[2], 0.5);
  EXPECT_DOUBLE_EQ(p.style.line_types[2].segments[5], 1.0);
  EXPECT_DOUBLE_EQ(p.style.line_types[3].segments[0], 0.2);
  EXPECT_DOUBLE_EQ(p.style.line_types[4].segments[1], 2.0);
}

TEST(ExportParams, TablesBeforeTheExportSectionAreNotTaken) {
  // The import section's pen 1 is 9 9 9; the export section's pen 1 must win.
  ExportParams p = ParseExportParams(ParamFile({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(p.style.pens[0].red, 1);
}

TEST(ExportParams, WhatIsMissingKeepsItsDefault) {
  ExportParams p = ParseExportParams(ParamFile({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, false));
  EXPECT_EQ(p.source, ParamSource::Partial);
  const DrawingStyle defaults = DefaultStyle();
  EXPECT_EQ(p.style.pens[11].red, defaults.pens[11].red);
  EXPECT_EQ(p.style.pens[10].red, 11);
  EXPECT_DOUBLE_EQ(p.style.line_types[0].segments[0], defaults.line_types[0].segments[0]);
}

TEST(ExportParams, MalformedValuesKeepTheirDefault) {
  std::string f = ParamFile({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  auto replace = [&f](const std::string& from, const std::string& to) {
    std::size_t at = f.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    f.replace(at, from.size(), to);
  };
  replace("RGB = \"2 4 6\"", "RGB = \"2 4\"");          // too few components
  replace("RGB = \"3 6 9\"", "RGB = \"3 6 999\"");      // out of range
  replace("Value = 4.250000", "Value = wide");          // not a number
  replace("Segments = \"0.2 0.8\"", "Segments = 0.2");  // no quotes
  ExportParams p = ParseExportParams(f);
  const DrawingStyle d = DefaultStyle();
  EXPECT_EQ(p.source, ParamSource::Partial);
  EXPECT_EQ(p.style.pens[1].blue, d.pens[1].blue);
  EXPECT_EQ(p.style.pens[2].blue, d.pens[2].blue);
  EXPECT_DOUBLE_EQ(p.style.pens[3].width_mm, d.pens[3].width_mm);
  EXPECT_DOUBLE_EQ(p.style.line_types[3].segments[0], d.line_types[3].segments[0]);
  EXPECT_EQ(p.style.pens[4].red, 5) << "the rest is still read";
}

TEST(ExportParams, ShortPatternLeavesTheRestZero) {
  std::string f = ParamFile({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  std::size_t at = f.find("6.0 1.0 0.5 1.0\"");
  f.replace(at, 16, "6.0 1.0\"");
  ExportParams p = ParseExportParams(f);
  EXPECT_DOUBLE_EQ(p.style.line_types[1].segments[1], 1.0);
  EXPECT_DOUBLE_EQ(p.style.line_types[1].segments[2], 0.0);
  EXPECT_DOUBLE_EQ(p.style.line_types[1].segments[3], 0.0);
}

TEST(ExportParams, NoFileOrNoExportSectionGivesTheDefaults) {
  standin_test::ScratchDir dir;
  ExportParams missing = LoadExportParams(dir / "vxcsd.cprm");
  EXPECT_EQ(missing.source, ParamSource::Defaults);
  EXPECT_EQ(missing.style.pens[1].red, DefaultStyle().pens[1].red);

  ExportParams no_section =
      ParseExportParams("SectionName = \"Import\";\r\nTableName = \"Color\"\r\n");
  EXPECT_EQ(no_section.source, ParamSource::Defaults);
  ExportParams garbage = ParseExportParams(std::string("\0\xff\r\r\n}}{{", 9));
  EXPECT_EQ(garbage.source, ParamSource::Defaults);

  std::string path = dir / "vxcsd.cprm";
  ASSERT_TRUE(standin_test::WriteFile(path, ParamFile({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})));
  EXPECT_EQ(LoadExportParams(path).source, ParamSource::File);
}

}  // namespace
}  // namespace standin
