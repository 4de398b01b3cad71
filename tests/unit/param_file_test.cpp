#include "core/params/param_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/params/param_names.h"
#include "core/params/param_scan.h"
#include "params_fakes.h"
#include "temp_files.h"

namespace {

using namespace plotxfer::params;
using plotxfer::ConversionOptions;
using plotxfer::params::testing::FakeProfile;
using plotxfer::params::testing::FakeScreen;
using plotxfer::params::testing::ReadFileBytes;
using plotxfer::params::testing::ReplaceByWriting;
using plotxfer::params::testing::WriteFileBytes;
namespace fs = std::filesystem;

const std::string kSolidLine = "\x8E\xC0\x90\xFC";  // "実線", the line type without a pattern
const std::string kIndent = "                ";

// ---- A parameter file built piece by piece (LF line ends; the loader takes both).

struct Item {
  std::string name;
  std::string value_line;  // whole line, without its end
  std::vector<std::string> before_name;
  bool name_last = false;  // VxName after the value line, just before "}"
};

std::string ItemText(const Item& item) {
  std::string s = "            ParamItem\n            {\n";
  for (const auto& l : item.before_name) {
    s += l + "\n";
  }
  const std::string name = kIndent + "VxName = \"" + item.name + "\";\n";
  if (!item.name_last) {
    s += name;
  }
  s += item.value_line + "\n";
  if (item.name_last) {
    s += name;
  }
  return s + "            }\n";
}

std::string TableText(const std::string& name, const std::vector<Item>& items) {
  std::string s = "        ParamTable\n        {\n            TableName = \"" + name + "\";\n";
  for (const auto& item : items) {
    s += ItemText(item);
  }
  return s + "        }\n";
}

std::vector<Item> PenItems(const std::string& key_and_value) {
  std::vector<Item> items;
  for (const auto& name : kPenNames) {
    items.push_back({std::string(name), kIndent + key_and_value, {}});
  }
  return items;
}

std::vector<Item> LtypeItems() {
  std::vector<Item> items = {{kSolidLine, kIndent + "Segments = \"\";", {}}};
  for (const auto& name : kLineTypeNames) {
    items.push_back({std::string(name), kIndent + "Segments = \"1.0 1.0\";", {}});
  }
  return items;
}

struct FileParts {
  std::vector<Item> colors = PenItems("RGB = \"9 9 9\";");
  std::vector<Item> widths = PenItems("Value = 9.000000;");
  std::vector<Item> ltypes = LtypeItems();
  std::string before_section;
};

std::string FileText(const FileParts& p) {
  return "ParamFile\n{\n" + p.before_section +
         "    ParamSection\n    {\n        SectionName = \"Export\";\n" +
         TableText("Color", p.colors) + TableText("Width", p.widths) +
         TableText("Ltype", p.ltypes) + "    }\n}\n";
}

// The value line of the item named name in the rewritten text, without its indentation.
std::string ValueOf(const std::string& file, const std::string& table, std::string_view name) {
  const std::size_t t = file.find("TableName = \"" + table + "\"");
  const std::size_t n = file.find("VxName = \"" + std::string(name) + "\"", t);
  const std::size_t v = file.find_first_not_of(' ', file.find('\n', n) + 1);
  return file.substr(v, file.find('\r', v) - v);
}

class Rewrite : public ::testing::Test {
 protected:
  bool Run(const std::string& text, std::string* reason = nullptr) {
    lines->Fill(text);
    const bool result = RewriteParamTables(*lines, tables, screen, reason);
    out = lines->ToFileBytes();
    return result;
  }

  std::unique_ptr<ParamLines> lines = ParamLines::Allocate();
  ParamTables tables;
  FakeScreen screen{96};
  std::string out;
};

TEST_F(Rewrite, PensAreFoundByNameInAnyOrder) {
  FileParts parts;
  std::swap(parts.colors[0], parts.colors[11]);
  std::swap(parts.colors[3], parts.colors[4]);
  std::swap(parts.widths[1], parts.widths[9]);
  for (std::size_t pen = 0; pen < kPenCount; ++pen) {
    tables.PenPalette[pen] = static_cast<std::int32_t>(pen + 1);  // red only
    tables.PenDisplayWidths[pen] = static_cast<std::int32_t>(pen);
  }
  ASSERT_TRUE(Run(FileText(parts)));
  EXPECT_EQ(ValueOf(out, "Color", kPenNames[0]), "RGB = \"1 0 0\";");
  EXPECT_EQ(ValueOf(out, "Color", kPenNames[11]), "RGB = \"12 0 0\";");
  EXPECT_EQ(ValueOf(out, "Color", kPenNames[4]), "RGB = \"5 0 0\";");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[1]), "Value = 0.260000;");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[9]), "Value = 2.380000;");
}

TEST_F(Rewrite, KeepsTheIndentationAndDropsWhatFollowsTheKey) {
  FileParts parts;
  parts.colors[2].value_line = "\t \tRGB = \"1 2 3\";  // pen three";
  tables.PenPalette[2] = 0x00804020;
  ASSERT_TRUE(Run(FileText(parts)));
  EXPECT_NE(out.find("\n\t \tRGB = \"32 64 128\";\r\n"), std::string::npos);
  EXPECT_EQ(out.find("pen three"), std::string::npos);
}

TEST_F(Rewrite, WidthsAreMillimetresAtTheScreensResolutionAskedPerPen) {
  tables.PenDisplayWidths = {1, 2, 3, 0, -1, 100, 1, 1, 1, 1, 1, 2147483647};
  ASSERT_TRUE(Run(FileText({})));
  EXPECT_EQ(screen.asked(), 12);
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[0]), "Value = 0.260000;");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[1]), "Value = 0.520000;");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[2]), "Value = 0.790000;");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[3]), "Value = 0.000000;");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[4]), "Value = -0.260000;");
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[5]), "Value = 26.450001;");  // 26.45 as a float
  EXPECT_EQ(ValueOf(out, "Width", kPenNames[11]), "Value = 568188352.000000;");

  // A screen without an answer counts as 96 dpi.
  for (const auto& [dpi, width] : {std::pair{120, "0.210000"}, {0, "0.260000"}, {-5, "0.260000"}}) {
    FakeScreen other(dpi);
    lines->Fill(FileText({}));
    ASSERT_TRUE(RewriteParamTables(*lines, tables, other, nullptr));
    EXPECT_EQ(ValueOf(lines->ToFileBytes(), "Width", kPenNames[0]),
              std::string("Value = ") + width + ";")
        << dpi;
  }
}

TEST_F(Rewrite, PatternLengthsPassThroughSinglePrecisionBeforeOneDecimal) {
  tables.LineTypePatterns[kDashedLine] = {0.15, 0, 0, 1.25, 0, 0};
  tables.LineTypePatterns[kChainLine] = {12, 2.5, 9, 0.05, 0.35, 9};
  tables.LineTypePatterns[kDoubleChainLine] = {1, 2, 3, 4, 5, 6};
  tables.LineTypePatterns[kDottedLine] = {-0.25, 0, 0, 1e30, 0, 0};
  ASSERT_TRUE(Run(FileText({})));
  EXPECT_EQ(ValueOf(out, "Ltype", kLineTypeNames[0]), "Segments = \"0.2 1.2\";");
  EXPECT_EQ(ValueOf(out, "Ltype", kLineTypeNames[1]), "Segments = \"12.0 0.1 2.5 0.3\";");
  EXPECT_EQ(ValueOf(out, "Ltype", kLineTypeNames[2]), "Segments = \"1.0 4.0 2.0 5.0 3.0 6.0\";");
  EXPECT_EQ(ValueOf(out, "Ltype", kLineTypeNames[3]),
            "Segments = \"-0.2 1000000015047466219876688855040.0\";");
  EXPECT_EQ(ValueOf(out, "Ltype", kLineTypeNames[4]), "Segments = \"0.0 0.0\";");
}

TEST_F(Rewrite, OnlyTheFirstLineTypeItemMayBeSomethingElse) {
  FileParts parts;
  parts.ltypes[0].name = "Other";
  EXPECT_TRUE(Run(FileText(parts)));
  parts.ltypes[0].value_line = kIndent + "Dashes = \"\";";  // no value line either
  EXPECT_TRUE(Run(FileText(parts)));

  FileParts five;  // six items are scanned: five are too few
  five.ltypes.erase(five.ltypes.begin());
  EXPECT_FALSE(Run(FileText(five)));

  FileParts second;
  std::swap(second.ltypes[0], second.ltypes[1]);  // "破線" first, the solid line second
  std::string reason;
  EXPECT_FALSE(Run(FileText(second), &reason));
  EXPECT_NE(reason.find("item 2 of table \"Ltype\""), std::string::npos) << reason;
}

TEST_F(Rewrite, APenTableOfElevenItemsIsRefused) {
  FileParts parts;
  parts.colors.pop_back();
  std::string reason;
  EXPECT_FALSE(Run(FileText(parts), &reason));
  EXPECT_NE(reason.find("\"Color\" has only 11 items"), std::string::npos) << reason;

  FileParts twice;  // twelve items, but pen 5 named twice and pen 6 not at all
  twice.widths[5].name = std::string(kPenNames[4]);
  EXPECT_FALSE(Run(FileText(twice), &reason));
  EXPECT_NE(reason.find("no item for pen 6"), std::string::npos) << reason;
}

TEST_F(Rewrite, ALaterItemOfTheSameNameTakesTheValue) {
  FileParts parts;  // the free first line-type item names the dashed line, so does the second
  parts.ltypes[0] = {std::string(kLineTypeNames[0]), kIndent + "Segments = \"first\";", {}};
  tables.LineTypePatterns[kDashedLine] = {4, 0, 0, 2, 0, 0};
  ASSERT_TRUE(Run(FileText(parts)));
  EXPECT_NE(out.find("Segments = \"first\";"), std::string::npos);
  EXPECT_NE(out.find("Segments = \"4.0 2.0\";"), std::string::npos);

  FileParts pens;  // among twelve pen items a repeated name means a missing pen
  pens.colors[8].name = std::string(kPenNames[2]);
  EXPECT_FALSE(Run(FileText(pens)));
}

TEST_F(Rewrite, TablesBeforeTheExportSectionAreNotFound) {
  const std::string section = "        SectionName = \"Export\";\n";
  std::string text = FileText({});
  const std::size_t at = text.find(section);
  // Move the section line to after the tables.
  text.erase(at, section.size());
  text.insert(text.rfind("    }\n}"), section);
  std::string reason;
  EXPECT_FALSE(Run(text, &reason));
  EXPECT_NE(reason.find("no table \"Color\""), std::string::npos) << reason;

  text = FileText({});
  text.replace(text.find("\"Export\""), 8, "\"Import\"");
  EXPECT_FALSE(Run(text, &reason));
  EXPECT_NE(reason.find("\"Export\" section"), std::string::npos) << reason;

  FileParts earlier;  // the same tables before the section: only those after it count
  earlier.before_section = "    ParamSection\n    {\n        SectionName = \"Import\";\n" +
                           TableText("Color", PenItems("RGB = \"5 5 5\";")) + "    }\n";
  ASSERT_TRUE(Run(FileText(earlier)));
  EXPECT_NE(out.find("RGB = \"5 5 5\";"), std::string::npos);
  EXPECT_EQ(out.find("RGB = \"9 9 9\";"), std::string::npos);
}

TEST_F(Rewrite, ANameOnTheItemsLastLineIsNoName) {
  FileParts parts;
  parts.colors[3].name_last = true;
  std::string reason;
  EXPECT_FALSE(Run(FileText(parts), &reason));
  EXPECT_NE(reason.find("item 4 of table \"Color\""), std::string::npos) << reason;

  FileParts first_ltype;  // only passed over as the first line-type item
  first_ltype.ltypes[0].name_last = true;
  EXPECT_TRUE(Run(FileText(first_ltype)));
  first_ltype.ltypes[1].name_last = true;
  EXPECT_FALSE(Run(FileText(first_ltype)));

  FileParts value_last;  // the value line in that place is found
  value_last.widths[0].before_name = {kIndent + "Unit = \"mm\";"};
  ASSERT_TRUE(Run(FileText(value_last)));
  EXPECT_NE(out.find("Unit = \"mm\";\r\n" + kIndent + "VxName"), std::string::npos);
}

TEST_F(Rewrite, NamesAreComparedWholeAndBoundedInLength) {
  for (const std::string& bad :
       {std::string(kPenNames[0]) + " ", std::string("ABCDEFGHIJKL"), std::string()}) {
    FileParts parts;
    parts.colors[0].name = bad;
    EXPECT_FALSE(Run(FileText(parts))) << bad;
  }
  FileParts unquoted;
  unquoted.widths[0].before_name = {};
  unquoted.widths[0].name = "x";
  std::string text = FileText(unquoted);
  text.replace(text.find("VxName = \"x\""), 12, "VxName = x");
  EXPECT_FALSE(Run(text));
}

TEST_F(Rewrite, AnItemWithoutItsClosingBraceOrValueLineFailsTheTable) {
  FileParts no_value;
  no_value.widths[11].value_line = kIndent + "Width = 1;";
  EXPECT_FALSE(Run(FileText(no_value)));

  std::string text = FileText({});
  // The last colour item's "}" removed: the item would run into the next table.
  const std::size_t width_table = text.find("TableName = \"Width\"");
  const std::size_t brace = text.rfind("            }\n", width_table);
  text.erase(brace, 14);
  std::string reason;
  EXPECT_FALSE(Run(text, &reason));
  EXPECT_NE(reason.find("not closed"), std::string::npos) << reason;
}

TEST_F(Rewrite, BracesAndKeysInsideShiftJisCharactersAreNoMarkers) {
  FileParts parts;
  // "図" is 0x90 0x7D: its trail byte is the byte of "}".
  parts.colors[0].before_name = {kIndent + "// \x90\x7D"};
  tables.PenPalette[0] = 255;
  ASSERT_TRUE(Run(FileText(parts)));
  EXPECT_EQ(ValueOf(out, "Color", kPenNames[0]), "RGB = \"255 0 0\";");
  EXPECT_EQ(FindMarker("\x90\x7D}", "}"), 2u);
  EXPECT_EQ(FindMarker("a\x90}", "}"), std::string_view::npos);
  EXPECT_EQ(FindMarker("RGB", "RGB"), 0u);
  EXPECT_EQ(FindMarker("RG", "RGB"), std::string_view::npos);
}

TEST_F(Rewrite, AValueLineThatWouldNotFitFailsTheRewrite) {
  FileParts parts;
  parts.colors[6].value_line = std::string(235, ' ') + "RGB = \"1 2 3\";";
  tables.PenPalette[6] = 0x00FFFFFF;  // "RGB = \"255 255 255\";\n" is 21 bytes: 256 in all
  std::string reason;
  EXPECT_FALSE(Run(FileText(parts), &reason));
  EXPECT_NE(reason.find("would exceed 255 bytes"), std::string::npos) << reason;
  tables.PenPalette[6] = 0x00FFFF;  // "255 255 0" is two bytes shorter: fits
  EXPECT_TRUE(Run(FileText(parts)));
}

TEST_F(Rewrite, TheTablesAreThoseOfTheFileAsRead) {
  // The last pen's colour line also names the width table, which therefore starts there and
  // holds no item; the rewrite of that line, which would drop the name, must not move the table.
  FileParts parts;
  parts.colors.back().value_line = kIndent + "RGB = \"9 9 9\"; TableName = \"Width\"";
  std::string reason;
  EXPECT_FALSE(Run(FileText(parts), &reason));
  EXPECT_EQ(reason, "table \"Width\" has only 0 items");
}

TEST_F(Rewrite, NothingButTheValueLinesChanges) {
  const std::string text = FileText({});
  tables.PenPalette = {};
  ASSERT_TRUE(Run(text));
  std::string want = text;
  auto replace_all = [&want](const std::string& from, const std::string& to) {
    for (std::size_t at = want.find(from); at != std::string::npos; at = want.find(from, at)) {
      want.replace(at, from.size(), to);
      at += to.size();
    }
  };
  replace_all("\n", "\r\n");
  replace_all("RGB = \"9 9 9\"", "RGB = \"0 0 0\"");
  replace_all("Value = 9.000000", "Value = 0.260000");
  replace_all("Segments = \"1.0 1.0\"", "Segments = \"0.0 0.0\"");
  // The chain lines take four and six lengths.
  for (const auto& [type, more] :
       {std::pair{kChainLine, " 0.0 0.0"}, std::pair{kDoubleChainLine, " 0.0 0.0 0.0 0.0"}}) {
    const std::string item =
        "\"" + std::string(kLineTypeNames[type]) + "\";\r\n" + kIndent + "Segments = \"0.0 0.0";
    replace_all(item + "\"", item + more + "\"");
  }
  EXPECT_EQ(out, want);
}

// ---- Segments of the template.

TEST(ParseSegments, TakesAsManyNumbersAsTheLineTypeUses) {
  LineTypePattern p{9, 9, 9, 9, 9, 9};
  ParseSegments(kDashedLine, "  Segments = \"3 1 7 7\";\n", p);
  EXPECT_EQ(p, (LineTypePattern{3, 0, 0, 1, 0, 0}));
  ParseSegments(kChainLine, "Segments = \"10.0  1.0 2 3\";", p);
  EXPECT_EQ(p, (LineTypePattern{10, 2, 0, 1, 3, 0}));
  ParseSegments(kDoubleChainLine, "Segments = \"1 2 3 4 5 6\";", p);
  EXPECT_EQ(p, (LineTypePattern{1, 3, 5, 2, 4, 6}));
  ParseSegments(kAuxiliaryLine, "Segments = \" 2.5\t0.5 \";", p);
  EXPECT_EQ(p, (LineTypePattern{2.5, 0, 0, 0.5, 0, 0}));
}

TEST(ParseSegments, MissingNumbersStayZero) {
  LineTypePattern p{9, 9, 9, 9, 9, 9};
  ParseSegments(kChainLine, "Segments = \"10.0 1.0\";", p);
  EXPECT_EQ(p, (LineTypePattern{10, 0, 0, 1, 0, 0}));
  ParseSegments(kDoubleChainLine, "Segments = \"\";", p);
  EXPECT_EQ(p, LineTypePattern{});
  ParseSegments(kDottedLine, "Segments = 1 2;", p);  // no quotes: nothing to take
  EXPECT_EQ(p, LineTypePattern{});
  ParseSegments(kDottedLine, "Segments = \"0.5 x\";", p);  // text that is no number
  EXPECT_EQ(p, (LineTypePattern{0.5, 0, 0, 0, 0, 0}));
  ParseSegments(kDashedLine, "Segments = \"4 2\n", p);  // no closing quote
  EXPECT_EQ(p, (LineTypePattern{4, 0, 0, 2, 0, 0}));
  ParseSegments(kDashedLine, "Segments = \"inf 1e99\";", p);
  EXPECT_EQ(p, LineTypePattern{});
}

// ---- Whole files: the template, the parameter file and the golden results.

class ParamFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = scratch.Path();
    fs::copy(fs::path(PLOTXFER_TEST_DATA) / "params" / "app", dir);
    options.AppFolder = (dir / "").string();
    options.BAndWFlg = 0;
    options.WIdtHFlg = 0;
    options.PitchFlg = 0;
    profile.LoadIni(ReadFileBytes((dir / "VELLUMIX.SYS").string()));
  }
  std::string ParamFile() const { return ReadFileBytes((dir / "vxcsd.cprm").string()); }
  static std::string Golden(const char* name) {
    return ReadFileBytes((fs::path(PLOTXFER_TEST_DATA) / "params" / name).string());
  }
  bool Write(std::string* reason = nullptr) {
    return WriteParamFile(options, tables, services, reason);
  }

  plotxfer::testing::TempFolder scratch;
  fs::path dir;
  ConversionOptions options;
  ParamTables tables;
  FakeProfile profile;
  FakeScreen screen{96};
  int replaced = 0;
  ParamServices services{profile, screen,
                         [this](const std::string& path, std::string_view bytes, std::string* e) {
                           ++replaced;
                           return ReplaceByWriting(path, bytes, e);
                         }};
};

TEST_F(ParamFiles, AMissingOrBrokenTemplateLeavesTheDefaultsAsTheyWere) {
  fs::remove(dir / "vxcsd.std");
  std::string reason;
  EXPECT_FALSE(LoadLineTypeDefaults(options.AppFolder, tables, &reason));
  EXPECT_NE(reason.find("vxcsd.std"), std::string::npos) << reason;
  EXPECT_EQ(tables.LineTypeDefaults, LineTypeTable{});

  tables.LineTypeDefaults[kDottedLine].dash1 = 4;
  WriteFileBytes((dir / "vxcsd.std").string(), "SectionName = \"Export\"\r\n");
  EXPECT_FALSE(LoadLineTypeDefaults(options.AppFolder, tables));
  EXPECT_EQ(tables.LineTypeDefaults[kDottedLine].dash1, 4);

  // Runs without pitches then write lengths of 0.0.
  tables.LineTypeDefaults = {};
  ASSERT_TRUE(Write());
  EXPECT_NE(ParamFile().find("Segments = \"0.0 0.0 0.0 0.0\";"), std::string::npos);
}

// One file rewritten run after run: each run's tables replace the last run's, whatever they were.
TEST_F(ParamFiles, EachRunWritesItsGoldenFile) {
  struct Case {
    int mono, widths, pitches;
    const char* golden;
  };
  const Case runs[] = {
      {1, 0, 0, "expected-mono.cprm"},
      {0, 0, 0, "expected-colour.cprm"},
      {0, 1, 1, "expected-colour-widths-pitches.cprm"},
      {0, 1, 1, "expected-colour-widths-pitches.cprm"},
      {1, 0, 0, "expected-mono.cprm"},
  };
  ASSERT_TRUE(LoadLineTypeDefaults(options.AppFolder, tables));
  for (const Case& run : runs) {
    SCOPED_TRACE(run.golden);
    options.BAndWFlg = run.mono;
    options.WIdtHFlg = run.widths;
    options.PitchFlg = run.pitches;
    std::string reason;
    ASSERT_TRUE(Write(&reason)) << reason;
    EXPECT_EQ(ParamFile(), Golden(run.golden));
  }
}

TEST_F(ParamFiles, ARefusedRewriteLeavesTheFileUntouched) {
  const std::string before = ParamFile();
  std::string text = before;
  // Drop the twelfth colour item: eleven items are not enough.
  const std::string pen12 = "VxName = \"" + std::string(kPenNames[11]) + "\";";
  const std::size_t name = text.find(pen12);
  const std::size_t open = text.rfind("ParamItem", name);
  const std::size_t line_start = text.rfind('\n', open) + 1;
  const std::size_t close = text.find("}\r\n", name) + 3;
  text.erase(line_start, close - line_start);
  WriteFileBytes((dir / "vxcsd.cprm").string(), text);
  std::string reason;
  EXPECT_FALSE(Write(&reason));
  EXPECT_NE(reason.find("only 11 items"), std::string::npos) << reason;
  EXPECT_EQ(replaced, 0);
  EXPECT_EQ(ParamFile(), text);
}

TEST_F(ParamFiles, SixHundredNinetyNineLinesAreRewrittenSevenHundredAreNot) {
  const std::string base = ParamFile();
  std::size_t lines = 0;
  for (const char c : base) {
    lines += c == '\n';
  }
  // The file holds two lines of two slots each.
  const std::size_t slots = lines + 2;
  std::string padded = base;
  for (std::size_t i = slots; i < 699; ++i) {
    padded += "// \x93\x5F\r\n";
  }
  ASSERT_TRUE(LoadLineTypeDefaults(options.AppFolder, tables));
  options.BAndWFlg = 1;
  ASSERT_TRUE(Write());
  const std::string unpadded = ParamFile();
  WriteFileBytes((dir / "vxcsd.cprm").string(), padded);
  ASSERT_TRUE(Write());
  EXPECT_EQ(ParamFile(), unpadded + padded.substr(base.size()));

  padded += "// one more\r\n";
  WriteFileBytes((dir / "vxcsd.cprm").string(), padded);
  std::string reason;
  EXPECT_FALSE(Write(&reason));
  EXPECT_NE(reason.find("700 lines or more"), std::string::npos) << reason;
  EXPECT_EQ(ParamFile(), padded);
}

TEST_F(ParamFiles, AFailedReplacementLeavesTheOldFile) {
  const std::string before = ParamFile();
  services.replace_file = [](const std::string&, std::string_view, std::string* e) {
    *e = "disk full";
    return false;
  };
  std::string reason;
  EXPECT_FALSE(Write(&reason));
  EXPECT_EQ(reason, "disk full");
  EXPECT_EQ(ParamFile(), before);
}

TEST_F(ParamFiles, AMissingParameterFileIsNoRewrite) {
  fs::remove(dir / "vxcsd.cprm");
  std::string reason;
  EXPECT_FALSE(Write(&reason));
  EXPECT_NE(reason.find("cannot read"), std::string::npos) << reason;
  EXPECT_EQ(replaced, 0);
  EXPECT_FALSE(fs::exists(dir / "vxcsd.cprm"));
}

TEST_F(ParamFiles, AFileClosedToWritingIsLeftAlone) {
  const fs::path file = dir / "vxcsd.cprm";
  const std::string before = ParamFile();
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  if (std::FILE* f = std::fopen(file.string().c_str(), "r+b")) {
    std::fclose(f);
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    GTEST_SKIP() << "read-only files are writable here (running as the superuser)";
  }
  std::string reason;
  EXPECT_FALSE(Write(&reason));
  EXPECT_NE(reason.find("for writing"), std::string::npos) << reason;
  EXPECT_EQ(replaced, 0);
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ParamFile(), before);
}

}  // namespace
