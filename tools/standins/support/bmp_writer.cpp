#include <algorithm>
#include <cmath>
#include <vector>

#include "support/image_writers.h"

namespace standin {

namespace {

std::uint64_t BmpRowBytes(std::uint32_t width, bool monochrome) {
  std::uint64_t bits = static_cast<std::uint64_t>(width) * (monochrome ? 1 : 24);
  return (bits + 31) / 32 * 4;
}

}  // namespace

std::uint64_t BmpFileSize(std::uint32_t width, std::uint32_t height, bool monochrome) {
  std::uint64_t headers = 14 + 40 + (monochrome ? 8 : 0);
  return headers + BmpRowBytes(width, monochrome) * height;
}

bool WriteBmp(const RowSource& source, const ImageSettings& settings, ByteSink& out) {
  const std::uint32_t width = source.Width();
  const std::uint32_t height = source.Height();
  const bool mono = settings.monochrome;
  const std::uint64_t row_bytes = BmpRowBytes(width, mono);
  const std::uint64_t file_size = BmpFileSize(width, height, mono);
  if (file_size > 0xFFFFFFFFull || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
  const std::uint32_t data_offset = 14 + 40 + (mono ? 8 : 0);
  const auto pixels_per_metre = static_cast<std::uint32_t>(std::lround(settings.dpi / 0.0254));

  out.Text("BM");
  out.Le32(static_cast<std::uint32_t>(file_size));
  out.Le32(0);
  out.Le32(data_offset);
  out.Le32(40);
  out.Le32(width);
  out.Le32(height);  // positive: rows run from the bottom up
  out.Le16(1);
  out.Le16(mono ? 1 : 24);
  out.Le32(0);  // BI_RGB
  out.Le32(static_cast<std::uint32_t>(row_bytes * height));
  out.Le32(pixels_per_metre);
  out.Le32(pixels_per_metre);
  out.Le32(mono ? 2 : 0);
  out.Le32(0);
  if (mono) {
    const std::uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};  // index 0 black, 1 white
    out.Write(palette, sizeof palette);
  }

  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(row_bytes));
  for (std::uint32_t k = 0; k < height && out.Ok(); ++k) {
    source.Row(height - 1 - k, rgb.data());
    std::fill(row.begin(), row.end(), 0);
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[static_cast<std::size_t>(x) * 3];
      if (mono) {
        if (!IsDark(p)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      } else {
        std::uint8_t* q = &row[static_cast<std::size_t>(x) * 3];
        q[0] = p[2];  // stored blue, green, red
        q[1] = p[1];
        q[2] = p[0];
      }
    }
    out.Write(row.data(), row.size());
  }
  return out.Ok();
}

}  // namespace standin
