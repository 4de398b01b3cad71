// The two stand-ins run as child processes with the converter's command lines.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "json_reader.h"
#include "support/win_cmdline.h"
#include "test_support.h"

namespace standin_test {
namespace {

std::string Hex8(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(v));
  return buf;
}

// An application folder laid out as the drafting system's: the parameter file beside the export
// tool, the utility folder RSTKIT, and drawings in a folder of their own.
class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = dir_.path() + kSeparator;
    rstkit_ = app_ + "RSTKIT";
    ASSERT_TRUE(MakeDir(rstkit_));
    ASSERT_TRUE(MakeDir(dir_ / "work"));
  }

  std::string Drawing(const std::string& name, int version = 4) {
    std::string path = dir_ / "work" + kSeparator + name;
    EXPECT_TRUE(WriteFile(path, DrawingBytes(version, 2048)));
    return path;
  }
  std::string Csd(const std::string& name = "VXTMPDT2.CSD") const {
    return rstkit_ + kSeparator + name;
  }

  std::string ExportLine(const std::string& drawing, const std::string& csd) const {
    return Line(VxcvpxPath(), "-M VXCSD.DLL -L VXCVLL.DLL -m export -p \"" + app_ +
                                  "vxcsd.cprm\" -l \"" + app_ + "VXCSD.lst\" \"" + drawing +
                                  "\" \"" + csd + "\"");
  }
  // The PDF line token for token: empty optional tokens leave their doubled spaces.
  std::string PdfLine(const std::string& input, const std::string& output, int mono,
                      std::optional<std::pair<int, int>> size = std::nullopt,
                      const std::string& extra = "") const {
    std::string size_token = size ? "/pdfps:x" + Hex8(size->first) + Hex8(size->second) : "";
    return Line(RastronPath(),
                "\"" + input + "\" /s \"/pdfpath:" + output + "\" /c:" + std::to_string(mono) +
                    " /IgLWidth:0 /FontEmbed:0 /vf:0 " + size_token +
                    " \"/EllipseDiv:  5.0\" \"/PDFVec:1\" \"/VXAppPath:" + rstkit_ + "\"" + extra);
  }
  std::string ImageLine(const std::string& csd, const std::string& output, int type, int mono,
                        std::optional<std::pair<int, int>> size = std::nullopt,
                        std::optional<int> dpi = std::nullopt) const {
    std::string size_token = size ? "/Imageps:x" + Hex8(size->first) + Hex8(size->second) : "";
    std::string dpi_token = dpi ? "/ImageDPI:" + std::to_string(*dpi) : "";
    return Line(RastronPath(),
                "\"" + csd + "\" /s \"/Imagepath:" + output + "\" /c:" + std::to_string(mono) +
                    " /ImageType:" + std::to_string(type) + " /vf:0 " + size_token + " " +
                    dpi_token + " \"/PDFVec:0\" \"/VXAppPath:" + rstkit_ + "\"");
  }

  RunResult Export(const std::string& drawing, const std::string& csd,
                   const std::map<std::string, std::string>& env = {}) {
    return StartAndWait(VxcvpxPath(), ExportLine(drawing, csd), env);
  }
  RunResult Rastron(const std::string& line, const std::map<std::string, std::string>& env = {}) {
    return StartAndWait(RastronPath(), line, env);
  }
  // Exports a fresh drawing to the intermediate CSD file.
  std::string ExportedCsd(const std::string& name = "plan.VX") {
    std::string csd = Csd();
    RunResult r = Export(Drawing(name), csd);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0);
    return csd;
  }

  ScratchDir dir_;
  std::string app_;
  std::string rstkit_;
};

// --- Reading the outputs: pdfinfo and identify where they can be asked, our own header reading
// everywhere.

struct Dimensions {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
  return v;
}
std::uint32_t Be(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
  return v;
}

std::optional<Dimensions> HeaderDimensions(int type, const std::string& b) {
  if (type == 0 && b.compare(0, 2, "BM") == 0) return Dimensions{Le(b, 18, 4), Le(b, 22, 4)};
  if (type == 1 && b.compare(0, 6, "GIF89a") == 0) return Dimensions{Le(b, 6, 2), Le(b, 8, 2)};
  if (type == 2 && Be(b, 0, 2) == 0xFFD8) {
    for (std::size_t at = 2; at + 9 < b.size(); at += 2 + Be(b, at + 2, 2)) {
      if (Be(b, at, 2) == 0xFFC0) return Dimensions{Be(b, at + 7, 2), Be(b, at + 5, 2)};
    }
  }
  if (type == 3 && b.compare(0, 4, std::string("II*\0", 4)) == 0) {
    std::uint32_t ifd = Le(b, 4, 4);
    Dimensions d;
    for (std::uint32_t i = 0; i < Le(b, ifd, 2); ++i) {
      std::size_t e = ifd + 2 + 12 * i;
      if (Le(b, e, 2) == 256) d.width = Le(b, e + 8, 4);
      if (Le(b, e, 2) == 257) d.height = Le(b, e + 8, 4);
    }
    return d;
  }
  return std::nullopt;
}

std::size_t PdfPageObjects(const std::string& pdf) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = pdf.find("/Type /Page ", at)) != std::string::npos; ++at) ++n;
  return n;
}

// pdfinfo's page count and the first page's size in points.
struct PdfInfo {
  int pages = 0;
  double width = 0;
  double height = 0;
  std::string title;
};

std::optional<PdfInfo> AskPdfinfo(const std::string& path) {
  auto out = Capture("pdfinfo " + ShellQuote(path) + " 2>&1");
  if (!out) return std::nullopt;
  PdfInfo info;
  std::size_t at = out->find("Pages:");
  if (at != std::string::npos) info.pages = std::atoi(out->c_str() + at + 6);
  at = out->find("Page size:");
  if (at != std::string::npos) {
    std::sscanf(out->c_str() + at + 10, " %lf x %lf", &info.width, &info.height);
  }
  at = out->find("Title:");
  if (at != std::string::npos) {
    std::size_t start = out->find_first_not_of(' ', at + 6);
    info.title = out->substr(start, out->find('\n', start) - start);
  }
  return info;
}

// identify's format, width, height, resolution, its unit, colour count and type.
struct IdentifyInfo {
  std::string format;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  double x_resolution = 0;
  std::string units;
  int colours = 0;
  std::string type;
};

std::optional<IdentifyInfo> AskIdentify(const std::string& path) {
  auto out =
      Capture("identify -format '%m %w %h %x %U %k %[type]\\n' " + ShellQuote(path) + " 2>&1");
  if (!out) return std::nullopt;
  IdentifyInfo info;
  char format[32] = {}, units[64] = {}, type[64] = {};
  if (std::sscanf(out->c_str(), "%31s %u %u %lf %63s %d %63s", format, &info.width, &info.height,
                  &info.x_resolution, units, &info.colours, type) != 7) {
    ADD_FAILURE() << "identify said: " << *out;
    return std::nullopt;
  }
  info.format = format;
  info.units = units;
  info.type = type;
  return info;
}

// --- The export tool.

TEST_F(ToolsTest, ExportWritesTheCsdNamedLast) {
  std::string csd = ExportedCsd("plan.rev2.VX");
  auto text = ReadFile(csd);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->rfind("VXCSD-STANDIN 1\r\ndrawing plan.rev2.VX\r\n", 0), 0u) << *text;
}

TEST_F(ToolsTest, ExportRefusesDrawingsItCannotRead) {
  std::string bad = dir_ / "work" + kSeparator + "bad.VX";
  ASSERT_TRUE(WriteFile(bad, "KRESTO PLANX V4.0 at the wrong place, not a drawing"));
  for (const std::string& drawing : {bad, Drawing("old.VX", 3), dir_ / "missing.VX"}) {
    RunResult r = Export(drawing, Csd());
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 3) << drawing;
    EXPECT_FALSE(FileExists(Csd())) << drawing;
  }
}

TEST_F(ToolsTest, ExportTakesTheParameterFilesTables) {
  const std::string pen = "\x83\x79\x83\x93";
  std::string param =
      "Section\r\n{\r\n  SectionName = \"Export\";\r\n  ParamTable\r\n  {\r\n"
      "    TableName = \"Color\";\r\n";
  for (int n = 1; n <= 12; ++n) {
    param += "    ParamItem\r\n    {\r\n      VxName = \"" + pen + std::to_string(n) +
             "\";\r\n      RGB = \"" + std::to_string(n * 20) + " 0 0\";\r\n    }\r\n";
  }
  param += "  }\r\n}\r\n";
  ASSERT_TRUE(WriteFile(app_ + "vxcsd.cprm", param));
  auto text = ReadFile(ExportedCsd());
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find("params partial\r\n"), std::string::npos);
  EXPECT_NE(text->find("pen 12 240 0 0 "), std::string::npos) << *text;
}

// --- PDF output.

TEST_F(ToolsTest, PdfWithoutSizeIsOneA3LandscapePage) {
  std::string pdf = dir_ / "work" + kSeparator + "plan.pdf";
  RunResult r = Rastron(PdfLine(ExportedCsd(), pdf, 0));
  ASSERT_EQ(r.exit_code, 0);
  auto bytes = ReadFile(pdf);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(PdfPageObjects(*bytes), 1u);
  EXPECT_NE(bytes->find("/MediaBox [0 0 1190.551 841.89]"), std::string::npos);
  if (!HaveOutsideReaders()) return;
  auto info = AskPdfinfo(pdf);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->pages, 1);
  EXPECT_NEAR(info->width, 1190.55, 0.01);
  EXPECT_NEAR(info->height, 841.89, 0.01);
  EXPECT_EQ(info->title, "plan.VX");
}

TEST_F(ToolsTest, PdfTakesTheSizeToken) {
  std::string pdf = dir_ / "a4.pdf";
  for (auto [w, h] : {std::pair{297, 210}, std::pair{210, 297}, std::pair{1189, 841}}) {
    ASSERT_EQ(Rastron(PdfLine(ExportedCsd(), pdf, 1, std::pair{w, h})).exit_code, 0);
    if (!HaveOutsideReaders()) continue;
    auto info = AskPdfinfo(pdf);
    ASSERT_TRUE(info.has_value());
    EXPECT_NEAR(info->width, w * 72 / 25.4, 0.01);
    EXPECT_NEAR(info->height, h * 72 / 25.4, 0.01);
  }
}

TEST_F(ToolsTest, MonochromePdfRendersGrey) {
  if (!HaveOutsideReaders()) GTEST_SKIP() << "needs pdftoppm and identify";
  std::string csd = ExportedCsd();
  for (int mono : {0, 1}) {
    std::string pdf = dir_ / ("m" + std::to_string(mono) + ".pdf");
    ASSERT_EQ(Rastron(PdfLine(csd, pdf, mono)).exit_code, 0);
    auto type =
        Capture("pdftoppm -r 30 -png " + ShellQuote(pdf) + " | identify -format '%[type]' - 2>&1");
    ASSERT_TRUE(type.has_value());
    if (mono == 1) {
      EXPECT_TRUE(*type == "Grayscale" || *type == "Bilevel") << *type;
    } else {
      EXPECT_TRUE(*type != "Grayscale" && *type != "Bilevel") << *type;
    }
  }
}

TEST_F(ToolsTest, CombinedPdfHasOnePagePerListedCsd) {
  std::string list;
  for (int i = 0; i < 3; ++i) {
    std::string csd = Csd("VXTMPPDF00" + std::to_string(i) + ".CSD");
    ASSERT_EQ(Export(Drawing("sheet" + std::to_string(i) + ".VX"), csd).exit_code, 0);
    list += csd + "\r\n";
  }
  std::string list_path = Csd("PDFCONTINU.p2");
  ASSERT_TRUE(WriteFile(list_path, list));
  std::string pdf = dir_ / "work" + kSeparator + "sheet0.pdf";
  RunResult r =
      Rastron(PdfLine(list_path, pdf, 0, std::nullopt, " \"/PDFConnection:1\" \"/UnitNum:3\""));
  ASSERT_EQ(r.exit_code, 0);
  auto bytes = ReadFile(pdf);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(PdfPageObjects(*bytes), 3u);
  for (int i = 0; i < 3; ++i) {
    // Each page names its own drawing ("sheetN.VX" as hexadecimal text).
    std::string hex = "<7368656574" + std::to_string(30 + i) + "2E5658>";
    EXPECT_NE(bytes->find(hex), std::string::npos) << i;
  }
  if (!HaveOutsideReaders()) return;
  auto info = AskPdfinfo(pdf);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->pages, 3);
  EXPECT_EQ(info->title, "sheet0.VX");
}

TEST_F(ToolsTest, CombinedPdfIsAllOrNothing) {
  std::string good = Csd("VXTMPPDF000.CSD");
  ASSERT_EQ(Export(Drawing("a.VX"), good).exit_code, 0);
  std::string list_path = Csd("PDFCONTINU.p2");
  std::string pdf = dir_ / "out.pdf";
  const std::pair<std::string, std::string> cases[] = {
      {"count differs", good + "\r\n" + good + "\r\n"},
      {"a listed CSD is missing", good + "\r\n" + Csd("VXTMPPDF001.CSD") + "\r\n" + good + "\r\n"},
      {"empty line", good + "\r\n\r\n" + good + "\r\n"},
      {"empty list", ""},
  };
  for (const auto& [what, list] : cases) {
    ASSERT_TRUE(WriteFile(list_path, list));
    RunResult r =
        Rastron(PdfLine(list_path, pdf, 0, std::nullopt, " \"/PDFConnection:1\" \"/UnitNum:3\""));
    EXPECT_EQ(r.exit_code, 3) << what;
    EXPECT_FALSE(FileExists(pdf)) << what;
  }
}

// --- Image output.

// The size, resolution and colours asked for on the command line; the formats' own headers and
// pixels are the writers' tests, so each case takes one format.
TEST_F(ToolsTest, ImagesHaveTheRequestedSizeResolutionAndColours) {
  struct Case {
    int type;
    const char* extension;
    std::optional<std::pair<int, int>> size;
    std::optional<int> dpi;
    int mono;
    std::uint32_t width, height;
    int expected_dpi;
    const char* mono_type;  // identify's type of a black-and-white image
  };
  const Case cases[] = {
      {0, ".bmp", std::nullopt, std::nullopt, 0, 1587, 1123, 96, ""},  // A3 landscape at 96 dpi
      {1, ".gif", std::pair{297, 210}, std::nullopt, 1, 1123, 794, 96, "Bilevel"},
      {2, ".jpg", std::pair{210, 297}, 150, 1, 1240, 1754, 150, "Grayscale"},  // grey edges
      {3, ".tif", std::nullopt, 72, 0, 1191, 842, 72, ""},
  };
  std::string csd = ExportedCsd();
  for (const Case& c : cases) {
    std::string image = dir_ / (std::string("img") + c.extension);
    SCOPED_TRACE(image + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
    RunResult r = Rastron(ImageLine(csd, image, c.type, c.mono, c.size, c.dpi));
    ASSERT_EQ(r.exit_code, 0);
    auto bytes = ReadFile(image);
    ASSERT_TRUE(bytes.has_value());
    auto dims = HeaderDimensions(c.type, *bytes);
    ASSERT_TRUE(dims.has_value());
    EXPECT_EQ(dims->width, c.width);
    EXPECT_EQ(dims->height, c.height);
    if (!HaveOutsideReaders()) continue;
    auto info = AskIdentify(image);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->width, c.width);
    EXPECT_EQ(info->height, c.height);
    if (c.type == 0) {
      EXPECT_EQ(info->units, "PixelsPerCentimeter");
      EXPECT_NEAR(info->x_resolution, c.expected_dpi / 2.54, 0.01);
    } else if (c.type != 1) {  // GIF has no resolution field
      EXPECT_EQ(info->units, "PixelsPerInch");
      EXPECT_NEAR(info->x_resolution, c.expected_dpi, 0.01);
    }
    if (c.mono == 0) {
      EXPECT_GT(info->colours, 2) << "colour output";
    } else {
      EXPECT_EQ(info->type, c.mono_type);
    }
  }
}

TEST_F(ToolsTest, AllFormatsShowTheSamePicture) {
  if (!HaveOutsideReaders()) GTEST_SKIP() << "needs ImageMagick";
  std::string csd = ExportedCsd();
  std::string bmp = dir_ / "same.bmp", gif = dir_ / "same.gif", jpg = dir_ / "same.jpg",
              tif = dir_ / "same.tif";
  ASSERT_EQ(Rastron(ImageLine(csd, bmp, 0, 0)).exit_code, 0);
  ASSERT_EQ(Rastron(ImageLine(csd, gif, 1, 0)).exit_code, 0);
  ASSERT_EQ(Rastron(ImageLine(csd, jpg, 2, 0)).exit_code, 0);
  ASSERT_EQ(Rastron(ImageLine(csd, tif, 3, 0)).exit_code, 0);
  auto differing = [&](const std::string& other) {
    return Capture("compare -metric AE " + ShellQuote(bmp) + " " + ShellQuote(other) +
                   " null: 2>&1; true");
  };
  EXPECT_EQ(differing(gif).value_or("?"), "0") << "lossless";
  EXPECT_EQ(differing(tif).value_or("?"), "0") << "lossless";
  auto psnr = Capture("compare -metric PSNR " + ShellQuote(bmp) + " " + ShellQuote(jpg) +
                      " null: 2>&1; true");
  ASSERT_TRUE(psnr.has_value());
  EXPECT_GT(std::atof(psnr->c_str()), 35.0) << "JPEG close to the original: " << *psnr;
}

TEST_F(ToolsTest, ImageTooLargeForItsFormatIsRefused) {
  std::string image = dir_ / "huge.gif";
  // A0 at 2400 dpi is more than 65535 pixels a side.
  RunResult r = Rastron(ImageLine(ExportedCsd(), image, 1, 0, std::pair{1189, 841}, 2400));
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_FALSE(FileExists(image));
}

TEST_F(ToolsTest, MemoryStaysBoundedForLargePages) {
#ifdef _WIN32
  GTEST_SKIP() << "peak memory of a child is measured on Linux";
#else
  // A0 at 600 dpi: 28087 x 19866 pixels, 1.67 GB as a whole picture.
  std::string image = dir_ / "a0.tif";
  RunResult r = Rastron(ImageLine(ExportedCsd(), image, 3, 0, std::pair{1189, 841}, 600));
  ASSERT_EQ(r.exit_code, 0);
  auto bytes = ReadFile(image);
  ASSERT_TRUE(bytes.has_value());
  auto dims = HeaderDimensions(3, *bytes);
  ASSERT_TRUE(dims.has_value());
  EXPECT_EQ(dims->width, 28087u);
  EXPECT_EQ(dims->height, 19866u);
  EXPECT_LT(r.max_rss_kib, 64 * 1024) << "peak " << r.max_rss_kib << " KiB";
#endif
}

// --- Bad input: no output, non-zero exit.

TEST_F(ToolsTest, UnreadableCsdGivesNoOutput) {
  std::string out = dir_ / "out.pdf";
  ASSERT_TRUE(WriteFile(Csd(), "VXCSD-STANDIN 1\r\ndrawing x\r\n"));  // cut short
  EXPECT_EQ(Rastron(PdfLine(Csd(), out, 0)).exit_code, 3);
  EXPECT_FALSE(FileExists(out));
  EXPECT_EQ(Rastron(PdfLine(Csd("NOPE.CSD"), out, 0)).exit_code, 3);
  EXPECT_FALSE(FileExists(out));
  ASSERT_TRUE(WriteFile(Csd(), std::string(5000, '\xff')));
  EXPECT_EQ(Rastron(ImageLine(Csd(), out, 0, 0)).exit_code, 3);
  EXPECT_FALSE(FileExists(out));
}

TEST_F(ToolsTest, OutputThatCannotBeWrittenFails) {
  std::string out = dir_ / "no such folder" + kSeparator + "plan.pdf";
  EXPECT_EQ(Rastron(PdfLine(ExportedCsd(), out, 0)).exit_code, 4);
  EXPECT_FALSE(FileExists(out));
}

TEST_F(ToolsTest, MissingUtilityFolderIsRefused) {
  std::string csd = ExportedCsd();
  std::string line = PdfLine(csd, dir_ / "out.pdf", 0);
  std::size_t at = line.find("/VXAppPath:");
  line.insert(at + 11, "missing");
  EXPECT_EQ(Rastron(line).exit_code, 3);
  EXPECT_FALSE(FileExists(dir_ / "out.pdf"));
}

TEST_F(ToolsTest, UnknownCommandLinesAreUsageErrors) {
  EXPECT_EQ(StartAndWait(VxcvpxPath(), Line(VxcvpxPath(), "-m export")).exit_code, 2);
  EXPECT_EQ(
      Rastron(Line(RastronPath(), "\"" + ExportedCsd() + "\" /s /pdfpath:x.pdf /zoom:2")).exit_code,
      2);
}

// --- The run log.

TEST_F(ToolsTest, LogShowsEachRunsArgumentsAndCommandLine) {
  std::string log = dir_ / "runs.log";
  std::map<std::string, std::string> env = {{"PLOTXFER_STANDIN_LOG", log}};
  std::string drawing = Drawing("plan.VX");
  std::string export_line = ExportLine(drawing, Csd());
  std::string pdf_line = PdfLine(Csd(), dir_ / "plan.pdf", 1);  // two spaces: no size token
  ASSERT_EQ(StartAndWait(VxcvpxPath(), export_line, env).exit_code, 0);
  ASSERT_EQ(StartAndWait(RastronPath(), pdf_line, env).exit_code, 0);
  // A failing run is logged as well.
  ASSERT_EQ(StartAndWait(VxcvpxPath(), Line(VxcvpxPath(), "-bad"), env).exit_code, 2);

  std::vector<LogEntry> entries = ReadLog(log);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].tool, "VXCVPX");
  EXPECT_EQ(entries[1].tool, "RASTRON");
  EXPECT_EQ(entries[0].argv, standin::SplitWindowsCommandLine(export_line));
  EXPECT_EQ(entries[1].argv, standin::SplitWindowsCommandLine(pdf_line));
  EXPECT_EQ(entries[1].argv.size(), 11u) << "the empty size token is no argument";
#ifdef _WIN32
  // Exactly the line handed to CreateProcessA, quotes and doubled spaces included.
  EXPECT_EQ(entries[0].command_line, export_line);
  EXPECT_EQ(entries[1].command_line, pdf_line);
#else
  // Linux hands over argv only; the log rebuilds the line Windows would have passed.
  EXPECT_EQ(entries[1].command_line, standin::JoinWindowsCommandLine(entries[1].argv));
  EXPECT_EQ(standin::SplitWindowsCommandLine(entries[1].command_line), entries[1].argv);
#endif
}

// On a Japanese Windows a folder name whose last character has the trail byte 0x5C, as "表" has;
// elsewhere a name outside ASCII in the platform's encoding.
std::string NonAsciiName() {
  if (ShiftJisCodePage()) return "\x95\x5C";
#ifdef _WIN32
  return "\xE9t\xE9";  // "été" in code page 1252
#else
  return "\xE8\xA1\xA8";  // "表" in UTF-8
#endif
}

TEST_F(ToolsTest, ArgumentsKeepTheirExactBytes) {
  // The drawing need not exist: the log shows how the tool split its line before it looked.
  std::string log = dir_ / "runs.log";
  std::string drawing = dir_ / NonAsciiName();
  std::string line = ExportLine(drawing, Csd());
  RunResult r = StartAndWait(VxcvpxPath(), line, {{"PLOTXFER_STANDIN_LOG", log}});
  EXPECT_EQ(r.exit_code, 3);
  std::vector<LogEntry> entries = ReadLog(log);
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(entries[0].argv.size(), 13u) << "the quote after a trail byte 0x5C still closes";
  EXPECT_EQ(entries[0].argv[11], drawing);
  EXPECT_EQ(entries[0].argv[12], Csd());
}

TEST_F(ToolsTest, NonAsciiFoldersWork) {
  std::string folder = dir_ / NonAsciiName();
  if (!MakeDir(folder)) {
    // Wine maps such names to Unix ones only when the Unix locale of its code page exists.
    GTEST_SKIP() << "this system cannot create the folder name used here";
  }
  std::string drawing = folder + kSeparator + "plan.VX";
  ASSERT_TRUE(WriteFile(drawing, DrawingBytes(4)));
  std::string csd = folder + kSeparator + "x.CSD";
  std::string pdf = folder + kSeparator + "plan.pdf";
  ASSERT_EQ(StartAndWait(VxcvpxPath(), ExportLine(drawing, csd)).exit_code, 0);
  ASSERT_EQ(StartAndWait(RastronPath(), PdfLine(csd, pdf, 0)).exit_code, 0);
  auto bytes = ReadFile(pdf);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(PdfPageObjects(*bytes), 1u);
}

// --- Fault knobs.

TEST_F(ToolsTest, NoOutputKnobWritesNothingAndSucceeds) {
  RunResult r = Export(Drawing("plan.VX"), Csd(), {{"PLOTXFER_STANDIN_NO_OUTPUT", "1"}});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_FALSE(FileExists(Csd()));
}

TEST_F(ToolsTest, ExitKnobKeepsTheOutput) {
  std::string pdf = dir_ / "plan.pdf";
  RunResult r = Rastron(PdfLine(ExportedCsd(), pdf, 0), {{"PLOTXFER_STANDIN_EXIT", "9"}});
  EXPECT_EQ(r.exit_code, 9);
  EXPECT_TRUE(FileExists(pdf));
}

TEST_F(ToolsTest, CrashKnobEndsAbnormallyWithoutOutput) {
  std::string pdf = dir_ / "plan.pdf";
  RunResult r = Rastron(PdfLine(ExportedCsd(), pdf, 0), {{"PLOTXFER_STANDIN_CRASH", "1"}});
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.crashed);
  EXPECT_FALSE(FileExists(pdf));
}

TEST_F(ToolsTest, SleepKnobDelaysTheTool) {
  auto start = std::chrono::steady_clock::now();
  RunResult r = Export(Drawing("plan.VX"), Csd(), {{"PLOTXFER_STANDIN_SLEEP_MS", "300"}});
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_GE(elapsed, std::chrono::milliseconds(300));
  EXPECT_TRUE(FileExists(Csd())) << "then it does its work";
}

TEST_F(ToolsTest, OnlyKnobTargetsOneTool) {
  std::map<std::string, std::string> env = {{"PLOTXFER_STANDIN_ONLY", "RASTRON"},
                                            {"PLOTXFER_STANDIN_NO_OUTPUT", "1"}};
  ASSERT_EQ(Export(Drawing("plan.VX"), Csd(), env).exit_code, 0);
  EXPECT_TRUE(FileExists(Csd())) << "the export tool is not targeted";
  std::string pdf = dir_ / "plan.pdf";
  EXPECT_EQ(Rastron(PdfLine(Csd(), pdf, 0), env).exit_code, 0);
  EXPECT_FALSE(FileExists(pdf)) << "the output utility is";
}

}  // namespace
}  // namespace standin_test
