#include "support/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "support/bitmap_font.h"
#include "support/system.h"

namespace standin {
namespace {

std::string Format(const char* format, double a) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

}  // namespace

Scene BuildScene(const CsdDrawing& drawing, double w, double h, const SceneOptions& options) {
  Scene scene;
  scene.width = w;
  scene.height = h;
  double shorter = std::min(w, h);
  scene.frame_inset = std::min(10.0, shorter * 0.05);
  scene.frame_width = std::min(0.5, shorter * 0.005);
  double m = scene.frame_inset;
  double inner_h = h - 2 * m;
  double inner_w = w - 2 * m;
  scene.title_size = std::clamp(inner_h * 0.04, 0.5, 8.0);
  scene.label_size = scene.title_size * 0.5;
  scene.title_x = m + scene.title_size;
  scene.title_baseline = m + scene.title_size * 1.6;
  scene.title = drawing.name;
  scene.subtitle = "header version " + std::to_string(drawing.version) + ", pens from " +
                   ParamSourceName(drawing.params) + (options.monochrome ? ", monochrome" : "");

  double top = m + scene.title_size * 2.5;
  double bottom = h - m - scene.title_size;
  double step = (bottom - top) / (kPenCount + kLineTypeCount);
  double x0 = m + inner_w * 0.25;
  double x1 = w - m - scene.title_size;
  int row = 0;
  for (int i = 0; i < kPenCount; ++i, ++row) {
    const Pen& pen = drawing.style.pens[i];
    SceneLine line;
    line.x0 = x0;
    line.x1 = x1;
    line.y = top + (row + 0.5) * step;
    line.width = options.ignore_widths ? 0 : pen.width_mm;
    line.colour = options.monochrome ? kBlack : Rgb{pen.red, pen.green, pen.blue};
    // White is the ink of a dark screen: on paper it prints black, as plotters do.
    if (line.colour == kWhite) line.colour = kBlack;
    line.label = "pen " + std::to_string(i + 1) + Format("  %.2f mm", pen.width_mm);
    scene.lines.push_back(line);
  }
  for (int t = 0; t < kLineTypeCount; ++t, ++row) {
    const LinePattern& pattern = drawing.style.line_types[t];
    SceneLine line;
    line.x0 = x0;
    line.x1 = x1;
    line.y = top + (row + 0.5) * step;
    line.width = options.ignore_widths ? 0 : 0.35;
    line.colour = kBlack;
    line.label = kLineTypeIds[t];
    bool any_gap = false;
    for (int k = 0; k < kSegmentCount[t]; ++k) {
      double v = pattern.segments[k];
      line.dashes.push_back(v);
      line.label += Format(" %g", v);
      if (k % 2 == 1 && v > 0) any_gap = true;
    }
    // Without any gap the line is solid (so is a pattern of zeros, as written when pitches are
    // off); dashes of 0 between gaps are dots.
    if (!any_gap) line.dashes.clear();
    scene.lines.push_back(line);
  }
  return scene;
}

std::string PrintableAscii(const std::string& narrow_text) {
  std::string out;
  for (char16_t u : NarrowToUtf16(narrow_text)) {
    if (u >= 0xDC00 && u <= 0xDFFF) continue;  // second half of a pair already shown
    out += u >= 0x20 && u <= 0x7E ? static_cast<char>(u) : '?';
  }
  return out;
}

std::uint32_t PixelsFor(double mm, int dpi) {
  double px = std::floor(mm * dpi / 25.4 + 0.5);
  return px < 1 ? 1u : static_cast<std::uint32_t>(px);
}

SceneRaster::SceneRaster(const Scene& scene, int dpi)
    : width_(PixelsFor(scene.width, dpi)),
      height_(PixelsFor(scene.height, dpi)),
      scale_(dpi / 25.4) {
  double m = scene.frame_inset;
  double f = scene.frame_width;
  AddRect(m, m, scene.width - m, m + f, kBlack);
  AddRect(m, scene.height - m - f, scene.width - m, scene.height - m, kBlack);
  AddRect(m, m, m + f, scene.height - m, kBlack);
  AddRect(scene.width - m - f, m, scene.width - m, scene.height - m, kBlack);

  AddText(scene.title_x, scene.title_baseline, scene.title_size, scene.title);
  AddText(scene.title_x, scene.title_baseline + scene.title_size * 0.8, scene.label_size,
          scene.subtitle);
  for (const SceneLine& line : scene.lines) {
    AddText(scene.title_x, line.y + scene.label_size * 0.35, scene.label_size, line.label);
  }

  // Every line is at least one pixel thick and every dash at least one pixel long.
  for (const SceneLine& line : scene.lines) {
    double half = line.width / 2;
    std::size_t first = bands_.size();
    AddRect(line.x0, line.y - half, line.x1, line.y + half, line.colour);
    if (bands_.size() == first || line.dashes.empty()) continue;
    Band& band = bands_.back();
    std::uint32_t start = band.spans[0].first;
    std::uint32_t end = band.spans[0].second;
    std::vector<std::uint32_t> lengths;
    for (std::size_t k = 0; k < line.dashes.size(); ++k) {
      double px = std::floor(line.dashes[k] * scale_ + 0.5);
      // Dashes never vanish; gaps may.
      if (k % 2 == 0 && px < 1) px = 1;
      lengths.push_back(static_cast<std::uint32_t>(std::min(px, 1e9)));
    }
    band.spans.clear();
    std::uint32_t x = start;
    std::size_t k = 0;
    while (x < end) {
      std::uint32_t len = lengths[k];
      std::uint32_t stop = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(static_cast<std::uint64_t>(x) + len, end));
      if (k % 2 == 0) {
        if (!band.spans.empty() && band.spans.back().second == x) {
          band.spans.back().second = stop;  // a gap too short to show joins the dashes
        } else {
          band.spans.emplace_back(x, stop);
        }
      }
      x = stop;
      k = (k + 1) % lengths.size();
    }
  }
}

void SceneRaster::AddRect(double x0, double y0, double x1, double y1, Rgb colour) {
  auto to_pixel = [this](double mm, std::uint32_t limit) {
    double px = std::floor(mm * scale_ + 0.5);
    if (px < 0) px = 0;
    return static_cast<std::uint32_t>(std::min(px, static_cast<double>(limit)));
  };
  std::uint32_t left = to_pixel(x0, width_);
  std::uint32_t right = to_pixel(x1, width_);
  std::uint32_t top = to_pixel(y0, height_);
  std::uint32_t bottom = to_pixel(y1, height_);
  if (right <= left) right = std::min(left + 1, width_);
  if (bottom <= top) bottom = std::min(top + 1, height_);
  if (right <= left || bottom <= top) return;
  Band band;
  band.top = top;
  band.bottom = bottom;
  band.colour = colour;
  band.spans.emplace_back(left, right);
  bands_.push_back(std::move(band));
}

void SceneRaster::AddText(double x, double baseline, double size, const std::string& text) {
  // The font's letters stand 11 pixels tall with their baseline below the ninth row.
  double scale = std::max(1.0, std::floor(size * scale_ / 11 + 0.5));
  double top = std::floor(baseline * scale_ + 0.5) - 9 * scale;
  if (top < 0 || scale > 1e6) return;
  TextRun run;
  run.left = static_cast<std::uint32_t>(std::max(0.0, std::floor(x * scale_ + 0.5)));
  run.top = static_cast<std::uint32_t>(top);
  run.scale = static_cast<std::uint32_t>(scale);
  run.text = PrintableAscii(text);
  texts_.push_back(std::move(run));
}

void SceneRaster::DrawText(const TextRun& run, std::uint32_t y, std::uint8_t* rgb) const {
  if (y < run.top) return;
  std::uint64_t row = (y - run.top) / run.scale;
  if (row >= static_cast<std::uint64_t>(kGlyphHeight)) return;
  for (std::size_t i = 0; i < run.text.size(); ++i) {
    std::uint8_t bits = Glyph(static_cast<unsigned char>(run.text[i]))[row];
    for (int b = 0; b < kGlyphWidth; ++b) {
      if ((bits & (0x80 >> b)) == 0) continue;
      std::uint64_t from = run.left + (static_cast<std::uint64_t>(i) * kGlyphWidth + b) * run.scale;
      std::uint64_t to = std::min<std::uint64_t>(from + run.scale, width_);
      for (std::uint64_t x = from; x < to; ++x) {
        std::memset(rgb + x * 3, 0, 3);
      }
    }
  }
}

void SceneRaster::Row(std::uint32_t y, std::uint8_t* rgb) const {
  std::memset(rgb, 0xFF, static_cast<std::size_t>(width_) * 3);
  for (const Band& band : bands_) {
    if (y < band.top || y >= band.bottom) continue;
    for (const auto& [from, to] : band.spans) {
      for (std::uint32_t x = from; x < to; ++x) {
        std::uint8_t* p = rgb + static_cast<std::size_t>(x) * 3;
        p[0] = band.colour.red;
        p[1] = band.colour.green;
        p[2] = band.colour.blue;
      }
    }
  }
  for (const TextRun& run : texts_) DrawText(run, y, rgb);
}

std::vector<Rgb> SceneRaster::Colours() const {
  std::vector<Rgb> colours = {kWhite};
  for (const Band& band : bands_) {
    if (std::find(colours.begin(), colours.end(), band.colour) == colours.end()) {
      colours.push_back(band.colour);
    }
  }
  return colours;
}

}  // namespace standin
