#include "core/convert/command_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/command_line.h"

using plotxfer::BuildCombinedPdfCommandLine;
using plotxfer::BuildExportCommandLine;
using plotxfer::BuildImageCommandLine;
using plotxfer::BuildPdfCommandLine;
using plotxfer::CommandContext;
using plotxfer::ConversionOptions;
using plotxfer::MakeOutputPath;
using plotxfer::text::CodePage;
using plotxfer::text::PathStyle;

namespace {

CommandContext Windows(const ConversionOptions& o, int char_vector_font = 2) {
  return CommandContext{o, char_vector_font, PathStyle::Windows, CodePage::ShiftJis};
}
CommandContext Posix(const ConversionOptions& o, int char_vector_font = 2) {
  return CommandContext{o, char_vector_font, PathStyle::Posix, CodePage::Utf8};
}

const char kCsd[] = R"(C:\VX\RSTKIT\VXTMPDT2.CSD)";

}  // namespace

TEST(ExportCommandLine, MatchesTheToolsFormatOnBothPathStyles) {
  const ConversionOptions o;
  const auto win = BuildExportCommandLine(Windows(o), R"(C:\VX\)", R"(D:\Work\plan.VX)", kCsd);
  ASSERT_TRUE(win);
  EXPECT_EQ(win->program, R"(C:\VX\VXCVPX.exe)");
  EXPECT_EQ(
      win->command_line,
      R"cmd("C:\VX\VXCVPX.exe" -M VXCSD.DLL -L VXCVLL.DLL -m export -p "C:\VX\vxcsd.cprm" -l "C:\VX\VXCSD.lst" "D:\Work\plan.VX" "C:\VX\RSTKIT\VXTMPDT2.CSD")cmd");

  // An application folder given without its separator gains one.
  const auto posix =
      BuildExportCommandLine(Posix(o), "/opt/vx", "/home/u/plan.VX", "/opt/vx/RSTKIT/VXTMPDT2.CSD");
  ASSERT_TRUE(posix);
  EXPECT_EQ(posix->program, "/opt/vx/VXCVPX.exe");
  EXPECT_EQ(
      posix->command_line,
      R"cmd("/opt/vx/VXCVPX.exe" -M VXCSD.DLL -L VXCVLL.DLL -m export -p "/opt/vx/vxcsd.cprm" -l "/opt/vx/VXCSD.lst" "/home/u/plan.VX" "/opt/vx/RSTKIT/VXTMPDT2.CSD")cmd");
}

TEST(PdfCommandLine, DefaultsLeaveTheSizeTokenEmpty) {
  const ConversionOptions o;  // monochrome, fonts on, the drawing's own size, CharVectorFont 2
  const auto built = BuildPdfCommandLine(Windows(o), R"(C:\VX\)", kCsd, R"(D:\Work\plan.pdf)");
  ASSERT_TRUE(built);
  EXPECT_EQ(built->program, R"(C:\VX\RSTKIT\RASTRON.EXE)");
  // Two spaces where the size token would stand, and the ellipse division right-aligned.
  EXPECT_EQ(
      built->command_line,
      R"cmd("C:\VX\RSTKIT\RASTRON.EXE" "C:\VX\RSTKIT\VXTMPDT2.CSD" /s "/pdfpath:D:\Work\plan.pdf" /c:1 /IgLWidth:0 /FontEmbed:0 /vf:0  "/EllipseDiv:  5.0" "/PDFVec:1" "/VXAppPath:C:\VX\RSTKIT")cmd");
}

TEST(PdfCommandLine, SizeColourFontsAndVectorFlagFillTheirTokens) {
  ConversionOptions o;
  o.BAndWFlg = 0;
  o.VFontFlg = 1;
  o.PdfSizeType = 1;
  o.PdfPaperType = 4;  // A4, 297 x 210
  const auto a4 = BuildPdfCommandLine(Windows(o, 0), R"(C:\VX\)", kCsd, R"(E:\Out\plan.pdf)");
  ASSERT_TRUE(a4);
  EXPECT_EQ(
      a4->command_line,
      R"cmd("C:\VX\RSTKIT\RASTRON.EXE" "C:\VX\RSTKIT\VXTMPDT2.CSD" /s "/pdfpath:E:\Out\plan.pdf" /c:0 /IgLWidth:0 /FontEmbed:0 /vf:1 /pdfps:x00000129000000d2 "/EllipseDiv:  5.0" "/PDFVec:0" "/VXAppPath:C:\VX\RSTKIT")cmd");

  // Paper 5 is A4 portrait; 11 and above take the PDF custom pair, never the image one.
  o.PdfPaperType = 5;
  EXPECT_NE(BuildPdfCommandLine(Windows(o), "C:\\", kCsd, "o.pdf")
                ->command_line.find(" /pdfps:x000000d200000129 "),
            std::string::npos);
  o.PdfPaperType = 11;
  o.PdfOptXSize = 1000;
  o.PdfOptYSize = 707;
  o.ImgOptXSize = 11;
  o.ImgOptYSize = 22;
  EXPECT_NE(BuildPdfCommandLine(Windows(o), "C:\\", kCsd, "o.pdf")
                ->command_line.find(" /pdfps:x000003e8000002c3 "),
            std::string::npos);
  o.PdfPaperType = 57;
  o.PdfOptXSize = -1;  // a stored value outside the sheet's range is written as it stands
  o.PdfOptYSize = 10;
  EXPECT_NE(BuildPdfCommandLine(Windows(o), "C:\\", kCsd, "o.pdf")
                ->command_line.find(" /pdfps:xffffffff0000000a "),
            std::string::npos);
}

TEST(PdfCommandLine, OnlyCharVectorFontTwoGivesVectorText) {
  const ConversionOptions o;
  for (int cvf : {0, 1, 3, -2}) {
    EXPECT_NE(BuildPdfCommandLine(Windows(o, cvf), "C:\\", kCsd, "o.pdf")
                  ->command_line.find(R"( "/PDFVec:0" )"),
              std::string::npos)
        << cvf;
  }
  EXPECT_NE(BuildPdfCommandLine(Windows(o, 2), "C:\\", kCsd, "o.pdf")
                ->command_line.find(R"( "/PDFVec:1" )"),
            std::string::npos);
}

TEST(ImageCommandLine, DefaultsLeaveSizeAndResolutionEmpty) {
  ConversionOptions o;
  o.PdfOrImage = 1;
  const auto built = BuildImageCommandLine(Windows(o), R"(C:\VX\)", kCsd, R"(D:\Work\plan.bmp)");
  ASSERT_TRUE(built);
  // Three spaces: the size token and the resolution token are both empty.
  EXPECT_EQ(
      built->command_line,
      R"cmd("C:\VX\RSTKIT\RASTRON.EXE" "C:\VX\RSTKIT\VXTMPDT2.CSD" /s "/Imagepath:D:\Work\plan.bmp" /c:1 /ImageType:0 /vf:0   "/PDFVec:1" "/VXAppPath:C:\VX\RSTKIT")cmd");
}

TEST(ImageCommandLine, CustomSizeAndResolution) {
  ConversionOptions o = ConversionOptions::WithScreenDpi(120);
  o.PdfOrImage = 1;
  o.ImageType = 2;
  o.ImgSizeType = 1;
  o.ImgPaperType = 11;
  o.ImgOptXSize = 420;
  o.ImgOptYSize = 297;
  o.PdfOptXSize = 1;  // the PDF custom pair must not leak into the image line
  o.OutXdpi = 300;
  const auto built =
      BuildImageCommandLine(Posix(o), "/vx/", "/vx/RSTKIT/VXTMPDT2.CSD", "/out/plan.jpg");
  ASSERT_TRUE(built);
  EXPECT_EQ(
      built->command_line,
      R"cmd("/vx/RSTKIT/RASTRON.EXE" "/vx/RSTKIT/VXTMPDT2.CSD" /s "/Imagepath:/out/plan.jpg" /c:1 /ImageType:2 /vf:0 /Imageps:x000001a400000129 /ImageDPI:300 "/PDFVec:1" "/VXAppPath:/vx/RSTKIT")cmd");

  // The resolution token stands exactly when OutXdpi differs from BaseXdpi.
  o.OutXdpi = 120;
  o.ImgSizeType = 0;
  EXPECT_NE(BuildImageCommandLine(Posix(o), "/vx/", "/c", "/o.jpg")
                ->command_line.find(R"( /vf:0   "/PDFVec:1")"),
            std::string::npos);
  o.OutXdpi = 96;
  EXPECT_NE(BuildImageCommandLine(Posix(o), "/vx/", "/c", "/o.jpg")
                ->command_line.find(R"( /vf:0  /ImageDPI:96 "/PDFVec:1")"),
            std::string::npos);
}

TEST(CombinedPdfCommandLine, AddsConnectionAndUnitCount) {
  const ConversionOptions o;
  const auto built = BuildCombinedPdfCommandLine(
      Windows(o), R"(C:\VX\)", R"(C:\VX\RSTKIT\PDFCONTINU.p2)", R"(D:\Work\plan.pdf)", 3);
  ASSERT_TRUE(built);
  EXPECT_EQ(
      built->command_line,
      R"cmd("C:\VX\RSTKIT\RASTRON.EXE" "C:\VX\RSTKIT\PDFCONTINU.p2" /s "/pdfpath:D:\Work\plan.pdf" /c:1 /IgLWidth:0 /FontEmbed:0 /vf:0  "/EllipseDiv:  5.0" "/PDFVec:1" "/VXAppPath:C:\VX\RSTKIT" "/PDFConnection:1" "/UnitNum:3")cmd");
  const auto one = BuildCombinedPdfCommandLine(Windows(o), "C:\\", "l", "o.pdf", 1);
  EXPECT_NE(one->command_line.find(R"( "/PDFConnection:0" "/UnitNum:1")"), std::string::npos);
}

TEST(CommandLines, SplitBackIntoTheTokensTheyWereBuiltFrom) {
  ConversionOptions o;
  o.PdfOrImage = 1;
  const auto built =
      BuildImageCommandLine(Windows(o), R"(C:\Program Files\VX\)",
                            R"(C:\Program Files\VX\RSTKIT\VXTMPDT2.CSD)", R"(D:\My Work\plan.bmp)");
  ASSERT_TRUE(built);
  const auto argv = plotxfer::text::SplitCommandLine(built->command_line, CodePage::ShiftJis);
  const std::vector<std::string> expected = {R"(C:\Program Files\VX\RSTKIT\RASTRON.EXE)",
                                             R"(C:\Program Files\VX\RSTKIT\VXTMPDT2.CSD)",
                                             "/s",
                                             R"(/Imagepath:D:\My Work\plan.bmp)",
                                             "/c:1",
                                             "/ImageType:0",
                                             "/vf:0",
                                             "/PDFVec:1",
                                             R"(/VXAppPath:C:\Program Files\VX\RSTKIT)"};
  EXPECT_EQ(argv, expected);
}

TEST(OutputPath, BesideTheDrawingOrInTheSpecifiedFolder) {
  ConversionOptions o;
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan.VX)", ".pdf"), R"(D:\Work\plan.pdf)");
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan.rev2.VX)", ".pdf"),
            R"(D:\Work\plan.rev2.pdf)");
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan)", ".bmp"), R"(D:\Work\plan.bmp)");
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\v1.2\plan)", ".bmp"), R"(D:\v1.2\plan.bmp)");
  EXPECT_EQ(MakeOutputPath(Posix(o), "/w/plan.rev2.VX", ".tif"), "/w/plan.rev2.tif");

  o.FolderType = 1;
  o.SelFolder = R"(E:\Out\)";
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan.VX)", ".pdf"), R"(E:\Out\plan.pdf)");
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan.rev2.VX)", ".pdf"),
            R"(E:\Out\plan.rev2.pdf)");
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan)", ".gif"), R"(E:\Out\plan.gif)");
  // Two drawings of one name in different folders share one output.
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\A\plan.VX)", ".pdf"),
            MakeOutputPath(Windows(o), R"(D:\B\plan.VX)", ".pdf"));
  // A folder given without its separator still yields a file inside it.
  o.SelFolder = R"(E:\Out)";
  EXPECT_EQ(MakeOutputPath(Windows(o), R"(D:\Work\plan.VX)", ".pdf"), R"(E:\Out\plan.pdf)");
  o.SelFolder = "/out";
  EXPECT_EQ(MakeOutputPath(Posix(o), "/w/plan.VX", ".pdf"), "/out/plan.pdf");
}

TEST(OutputPath, ExtensionFollowsTheOutputKind) {
  ConversionOptions o;
  EXPECT_STREQ(plotxfer::OutputExtension(o), ".pdf");
  o.ImageType = 2;
  EXPECT_STREQ(plotxfer::OutputExtension(o), ".pdf");  // ImageType means nothing for PDF
  o.PdfOrImage = 1;
  const char* expected[] = {".bmp", ".gif", ".jpg", ".tif"};
  for (int t = 0; t < 4; ++t) {
    o.ImageType = t;
    EXPECT_STREQ(plotxfer::OutputExtension(o), expected[t]);
  }
}

TEST(CommandLineLimits, PathsAtTheLimitPassAndOneByteMoreIsRefused) {
  const ConversionOptions o;
  const std::string folder = "C:\\" + std::string(250, 'f') + "\\";  // 254 bytes
  const std::string at_limit = folder + std::string(263 - folder.size(), 'd');
  ASSERT_EQ(at_limit.size(), 263u);
  const auto app = std::string(R"(C:\VX\)");
  EXPECT_TRUE(BuildExportCommandLine(Windows(o), app, at_limit, kCsd));
  std::string why;
  EXPECT_FALSE(BuildExportCommandLine(Windows(o), app, at_limit + "x", kCsd, &why));
  EXPECT_NE(why.find("drawing path"), std::string::npos) << why;

  EXPECT_TRUE(BuildPdfCommandLine(Windows(o), app, kCsd, at_limit));
  EXPECT_FALSE(BuildPdfCommandLine(Windows(o), app, kCsd, at_limit + "x"));
  EXPECT_FALSE(BuildImageCommandLine(Windows(o), app, at_limit + "x", "o.bmp"));
}

TEST(CommandLineLimits, TheUtilityPathIsShorterThanOtherPaths) {
  const ConversionOptions o;
  // AppFolder + "RSTKIT\RASTRON.EXE" may hold 259 bytes: AppFolder 241 passes, 242 does not,
  // though the export tool of the same folder is still within its own limit.
  const std::string app241 = "C:\\" + std::string(237, 'a') + "\\";
  ASSERT_EQ(app241.size(), 241u);
  const std::string app242 = "C:\\" + std::string(238, 'a') + "\\";
  EXPECT_TRUE(BuildPdfCommandLine(Windows(o), app241, kCsd, "o.pdf"));
  std::string why;
  EXPECT_FALSE(BuildPdfCommandLine(Windows(o), app242, kCsd, "o.pdf", &why));
  EXPECT_NE(why.find("output utility path"), std::string::npos) << why;
  EXPECT_TRUE(BuildExportCommandLine(Windows(o), app242, "d.VX", kCsd));
}

TEST(CommandLineLimits, UnquotablePathsAreRefused) {
  const ConversionOptions o;
  std::string why;
  EXPECT_FALSE(BuildExportCommandLine(Posix(o), "/vx/", "/w/a\" -m import \"b.VX", "/c", &why));
  EXPECT_NE(why.find("drawing path"), std::string::npos);
  EXPECT_FALSE(BuildExportCommandLine(Posix(o), "/vx/", std::string("/w/a\0b.VX", 9), "/c"));
  EXPECT_FALSE(BuildPdfCommandLine(Posix(o), "/v\"x/", "/c", "/o.pdf"));
  EXPECT_FALSE(BuildPdfCommandLine(Posix(o), "/vx/", "/c", "/o\\"));
  // Control characters come back as they were between quotes.
  EXPECT_TRUE(BuildPdfCommandLine(Posix(o), "/vx/", "/c", "/o\t.pdf"));
  ConversionOptions image;
  image.PdfOrImage = 1;
  EXPECT_FALSE(BuildImageCommandLine(Windows(image), "C:\\vx\\", "C:\\c", "C:\\o\x81\x22.bmp"));
  // A Shift-JIS name ending in 表 (trail byte 0x5C) is quoted safely.
  EXPECT_TRUE(BuildExportCommandLine(Windows(o), "C:\\VX\\", "D:\\\x95\x5C", kCsd));
}
