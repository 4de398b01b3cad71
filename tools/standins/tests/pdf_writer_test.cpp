#include "support/pdf_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/utf.h"

namespace standin {
namespace {

Scene Page(const std::string& name, double w, double h, const SceneOptions& options = {}) {
  CsdDrawing d;
  d.name = name;
  d.version = 5;
  d.style = DefaultStyle();
  return BuildScene(d, w, h, options);
}

TEST(PdfWriter, CrossReferenceTablePointsAtEveryObject) {
  MemorySink sink;
  std::vector<Scene> pages = {Page("a.VX", 420, 297), Page("b.VX", 420, 297),
                              Page("c.VX", 420, 297)};
  ASSERT_TRUE(WritePdf(pages, u"a.VX", sink));
  const std::string& pdf = sink.bytes();
  ASSERT_EQ(pdf.substr(0, 9), "%PDF-1.4\n");
  ASSERT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
  std::size_t startxref = pdf.rfind("startxref\n");
  ASSERT_NE(startxref, std::string::npos);
  std::size_t xref = std::strtoull(pdf.c_str() + startxref + 10, nullptr, 10);
  ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
  std::size_t count = std::strtoull(pdf.c_str() + xref + 7, nullptr, 10);
  EXPECT_EQ(count, 4 + 2 * pages.size() + 1);
  std::size_t entries = pdf.find('\n', xref + 5) + 1;
  for (std::size_t n = 1; n < count; ++n) {
    std::string entry = pdf.substr(entries + 20 * n, 20);
    ASSERT_EQ(entry.substr(10), " 00000 n \n") << n;
    std::size_t offset = std::strtoull(entry.c_str(), nullptr, 10);
    std::string header = std::to_string(n) + " 0 obj\n";
    EXPECT_EQ(pdf.compare(offset, header.size(), header), 0) << "object " << n;
  }
  EXPECT_NE(pdf.find("/Count 3"), std::string::npos);
}

TEST(PdfWriter, StreamLengthsAreExact) {
  MemorySink sink;
  ASSERT_TRUE(WritePdf({Page("plan.VX", 297, 210)}, u"plan.VX", sink));
  const std::string& pdf = sink.bytes();
  std::size_t at = pdf.find("/Length ");
  ASSERT_NE(at, std::string::npos);
  std::size_t length = std::strtoull(pdf.c_str() + at + 8, nullptr, 10);
  std::size_t data = pdf.find("stream\n", at) + 7;
  EXPECT_EQ(pdf.compare(data + length, 10, "\nendstream"), 0);
}

TEST(PdfWriter, PageSizeIsInPoints) {
  MemorySink sink;
  ASSERT_TRUE(WritePdf({Page("p", 297, 210)}, u"p", sink));
  EXPECT_NE(sink.bytes().find("/MediaBox [0 0 841.89 595.276]"), std::string::npos);
}

TEST(PdfWriter, TitleIsUtf16AndPageTextIsPrintableAscii) {
  MemorySink sink;
  std::string name = "\xE5\x9B\xB3 (1).VX";  // a kanji, blanks and brackets
  ASSERT_TRUE(WritePdf({Page(name, 100, 100)}, Utf8ToUtf16(name), sink));
  const std::string& pdf = sink.bytes();
  EXPECT_NE(pdf.find("/Title <FEFF56F30020002800310029002E00560058>"), std::string::npos);
#ifndef _WIN32
  // File names are UTF-8 here. "? (1).VX" as hexadecimal text: one mark for the kanji, and no
  // bracket can end the string early.
  EXPECT_NE(pdf.find("<3F202831292E5658>"), std::string::npos);
#endif
}

TEST(PdfContent, MonochromeStrokesOnlyInBlack) {
  SceneOptions mono;
  mono.monochrome = true;
  std::string content = PageContent(Page("p", 420, 297, mono));
  std::size_t strokes = 0;
  for (std::size_t at = 0; (at = content.find(" RG\n", at)) != std::string::npos; ++at) {
    std::size_t start = content.rfind('\n', at) + 1;
    EXPECT_EQ(content.substr(start, at - start), "0 0 0");
    ++strokes;
  }
  EXPECT_EQ(strokes, 17u) << "twelve pens and five line types";
  std::string colour = PageContent(Page("p", 420, 297));
  EXPECT_NE(colour.find("1 0 0 RG"), std::string::npos) << "pen 2 is red by default";
}

TEST(PdfContent, WidthsAndDashesInPoints) {
  std::string content = PageContent(Page("p", 420, 297));
  EXPECT_NE(content.find("\n5.669 w\n"), std::string::npos) << "pen 9, 2 mm";
  EXPECT_NE(content.find("[8.504 2.835] 0 d"), std::string::npos) << "dashed 3 1 mm";
  EXPECT_NE(content.find("[17.008 2.835 2.835 2.835] 0 d"), std::string::npos);
  SceneOptions thin;
  thin.ignore_widths = true;
  std::string hairlines = PageContent(Page("p", 420, 297, thin));
  EXPECT_EQ(hairlines.find("\n5.669 w\n"), std::string::npos);
}

}  // namespace
}  // namespace standin
