#include "support/pdf_writer.h"

#include <cstdio>

namespace standin {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
// The length of a dash the drafting system gives as 0: a dot.
constexpr double kDotMm = 0.1;

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

// Hexadecimal, so no character of a file name can end the string early.
std::string HexText(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "<";
  for (char ch : PrintableAscii(text)) {
    auto c = static_cast<unsigned char>(ch);
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out + ">";
}

std::string Utf16Hex(const std::u16string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "<FEFF";
  for (char16_t u : text) {
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 15];
  }
  return out + ">";
}

std::string Colour(const Rgb& c, const char* op) {
  return Num(c.red / 255.0) + " " + Num(c.green / 255.0) + " " + Num(c.blue / 255.0) + " " + op +
         "\n";
}

std::string Text(double size, double x, double y, const std::string& text) {
  return "BT /F1 " + Num(size) + " Tf " + Num(x) + " " + Num(y) + " Td " + HexText(text) +
         " Tj ET\n";
}

}  // namespace

std::string PageContent(const Scene& scene) {
  const double k = kPointsPerMm;
  const double page_h = scene.height * k;
  auto y_of = [&](double mm) { return page_h - mm * k; };
  std::string c = "q\n0 G 0 g\n";
  double m = scene.frame_inset + scene.frame_width / 2;
  c += Num(scene.frame_width * k) + " w\n";
  c += Num(m * k) + " " + Num(y_of(scene.height - m)) + " " + Num((scene.width - 2 * m) * k) + " " +
       Num((scene.height - 2 * m) * k) + " re S\n";
  c += Text(scene.title_size * k, scene.title_x * k, y_of(scene.title_baseline), scene.title);
  c += Text(scene.label_size * k, scene.title_x * k,
            y_of(scene.title_baseline + scene.title_size * 0.8), scene.subtitle);
  for (const SceneLine& line : scene.lines) {
    c += Colour(line.colour, "RG");
    c += Num(line.width * k) + " w\n";
    c += "[";
    for (std::size_t i = 0; i < line.dashes.size(); ++i) {
      double mm = line.dashes[i];
      if (i % 2 == 0 && mm <= 0) mm = kDotMm;
      if (i > 0) c += ' ';
      c += Num(mm * k);
    }
    c += "] 0 d\n";
    c += Num(line.x0 * k) + " " + Num(y_of(line.y)) + " m " + Num(line.x1 * k) + " " +
         Num(y_of(line.y)) + " l S\n";
    c += Text(scene.label_size * k, scene.title_x * k, y_of(line.y + scene.label_size * 0.35),
              line.label);
  }
  c += "Q\n";
  return c;
}

bool WritePdf(const std::vector<Scene>& pages, const std::u16string& title, ByteSink& out) {
  if (pages.empty()) return false;
  // Objects: 1 catalog, 2 page tree, 3 font, 4 information, then a page and its content per page.
  const std::size_t count = 4 + 2 * pages.size();
  std::vector<std::uint64_t> offsets(count + 1, 0);
  auto object = [&](std::size_t number, const std::string& body) {
    offsets[number] = out.Position();
    out.Text(std::to_string(number) + " 0 obj\n" + body + "\nendobj\n");
  };

  out.Text("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) kids += ' ';
    kids += std::to_string(5 + 2 * i);
    kids += " 0 R";
  }
  object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  object(4, "<< /Title " + Utf16Hex(title) + " /Producer (PLOTXFER stand-in RASTRON.EXE) >>");
  for (std::size_t i = 0; i < pages.size() && out.Ok(); ++i) {
    const Scene& scene = pages[i];
    std::size_t page = 5 + 2 * i;
    object(page, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Num(scene.width * kPointsPerMm) +
                     " " + Num(scene.height * kPointsPerMm) +
                     "] /Resources << /Font << /F1 3 0 R >> >> /Contents " +
                     std::to_string(page + 1) + " 0 R >>");
    std::string content = PageContent(scene);
    object(page + 1, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                         "\nendstream");
  }
  const std::uint64_t xref = out.Position();
  std::string table = "xref\n0 " + std::to_string(count + 1) + "\n0000000000 65535 f \n";
  for (std::size_t n = 1; n <= count; ++n) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                  static_cast<unsigned long long>(offsets[n]));
    table += entry;
  }
  out.Text(table);
  out.Text("trailer\n<< /Size " + std::to_string(count + 1) +
           " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  return out.Ok();
}

}  // namespace standin
