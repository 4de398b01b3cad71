#include <gtest/gtest.h>

#include "support/output_tool.h"
#include "support/win_cmdline.h"

namespace standin {
namespace {

std::optional<OutputCommand> Parse(const std::string& rest, std::string* error = nullptr) {
  return ParseOutputCommand(SplitWindowsCommandLine("\"R\" " + rest), error);
}

TEST(OutputCommand, PdfLineWithoutSizeTakesA3Landscape) {
  std::string error;
  auto cmd = Parse(
      "\"C:\\A\\RSTKIT\\VXTMPDT2.CSD\" /s \"/pdfpath:D:\\W\\plan.pdf\" /c:1 /IgLWidth:0 "
      "/FontEmbed:0 /vf:0  \"/EllipseDiv:  5.0\" \"/PDFVec:1\" \"/VXAppPath:C:\\A\\RSTKIT\"",
      &error);
  ASSERT_TRUE(cmd.has_value()) << error;
  EXPECT_EQ(cmd->input_path, "C:\\A\\RSTKIT\\VXTMPDT2.CSD");
  EXPECT_EQ(cmd->kind, OutputKind::Pdf);
  EXPECT_EQ(cmd->output_path, "D:\\W\\plan.pdf");
  EXPECT_TRUE(cmd->monochrome);
  EXPECT_FALSE(cmd->size.has_value());
  EXPECT_EQ(cmd->size.value_or(PageSize{}).width_mm, 420);
  EXPECT_EQ(cmd->size.value_or(PageSize{}).height_mm, 297);
  EXPECT_EQ(cmd->pdf_vector, 1);
  EXPECT_DOUBLE_EQ(cmd->ellipse_divisions, 5.0);
  EXPECT_EQ(cmd->utility_folder, "C:\\A\\RSTKIT");
  EXPECT_FALSE(cmd->combined);
}

TEST(OutputCommand, ReadsSizesAsHexMillimetres) {
  auto a4 = Parse("in /s /pdfpath:o.pdf /pdfps:x00000129000000d2");
  ASSERT_TRUE(a4 && a4->size);
  EXPECT_EQ(a4->size->width_mm, 297);
  EXPECT_EQ(a4->size->height_mm, 210);
  auto custom = Parse("in /s /Imagepath:o.bmp /ImageType:0 /Imageps:x000001A400000129");
  ASSERT_TRUE(custom && custom->size);
  EXPECT_EQ(custom->size->width_mm, 420);
  EXPECT_EQ(custom->size->height_mm, 297);
}

TEST(OutputCommand, ImageLineTakesTypeAndResolution) {
  auto cmd = Parse(
      "in /s \"/Imagepath:o.jpg\" /c:0 /ImageType:2 /vf:1 /Imageps:x000000d200000129 "
      "/ImageDPI:300 \"/PDFVec:0\" \"/VXAppPath:k\"");
  ASSERT_TRUE(cmd.has_value());
  EXPECT_EQ(cmd->kind, OutputKind::Image);
  EXPECT_EQ(cmd->format, ImageFormat::Jpeg);
  EXPECT_EQ(cmd->dpi, 300);
  EXPECT_FALSE(cmd->monochrome);
  EXPECT_EQ(Parse("in /s /Imagepath:o /ImageType:3")->dpi, 96) << "96 dpi without the token";
}

TEST(OutputCommand, CombinedTokensMakeTheInputAList) {
  auto cmd = Parse("list.p2 /s /pdfpath:o.pdf \"/PDFConnection:1\" \"/UnitNum:3\"");
  ASSERT_TRUE(cmd.has_value());
  EXPECT_TRUE(cmd->combined);
  EXPECT_EQ(cmd->unit_count, 3);
}

TEST(OutputCommand, TokenNamesIgnoreCase) {
  auto cmd = Parse("in /S /PDFPATH:o.pdf /C:1 /pdfvec:1");
  ASSERT_TRUE(cmd.has_value());
  EXPECT_TRUE(cmd->monochrome);
}

TEST(OutputCommand, RefusesWhatWouldBeMisread) {
  const char* const bad[] = {
      "",                                                       // no input
      "in /s",                                                  // no output
      "in /pdfpath:a.pdf /Imagepath:b.bmp /ImageType:0",        // two outputs
      "in /pdfpath:",                                           // empty output path
      "in /Imagepath:b.bmp",                                    // image without a type
      "in /Imagepath:b.bmp /ImageType:4",                       // no such type
      "in /pdfpath:a.pdf /c:2",                                 // /c is 0 or 1
      "in /pdfpath:a.pdf /c:1 /c:0",                            // twice
      "in /pdfpath:a.pdf /pdfps:x0000012900000d2",              // fifteen digits
      "in /pdfpath:a.pdf /pdfps:x00000129g00000d2",             // not hexadecimal
      "in /pdfpath:a.pdf /pdfps:xffffffff000000d2",             // negative width
      "in /pdfpath:a.pdf /pdfps:x00000000000000d2",             // zero width
      "in /pdfpath:a.pdf /Imageps:x00000129000000d2",           // image size on a PDF
      "in /pdfpath:a.pdf /ImageDPI:300",                        // resolution on a PDF
      "in /Imagepath:b /ImageType:0 /pdfps:x00000129000000d2",  // PDF size on an image
      "in /Imagepath:b /ImageType:0 /UnitNum:2",                // combining images
      "in /Imagepath:b /ImageType:0 /ImageDPI:0",               // no resolution
      "in /Imagepath:b /ImageType:0 /ImageDPI:96dpi",           // not a number
      "in /pdfpath:a.pdf /UnitNum:0",                           // nothing to combine
      "in /pdfpath:a.pdf \"/EllipseDiv:  five\"",               // not a number
      "in /pdfpath:a.pdf /Colour:1",                            // unknown token
      "in /pdfpath:a.pdf stray",                                // not a token
  };
  for (const char* rest : bad) {
    std::string error;
    EXPECT_FALSE(Parse(rest, &error).has_value()) << rest;
    EXPECT_FALSE(error.empty()) << rest;
  }
}

}  // namespace
}  // namespace standin
