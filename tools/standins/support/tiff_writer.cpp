#include <algorithm>
#include <vector>

#include "support/image_writers.h"

namespace standin {
// PackBits: runs of 2 to 128 equal bytes as (1 - n, byte), anything else as literals (n - 1, ...).
void PackBits(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
  std::size_t i = 0;
  while (i < size) {
    std::size_t run = 1;
    while (i + run < size && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(1 - static_cast<int>(run)));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    std::size_t start = i;
    std::size_t count = 0;
    // Literals stop where a run of at least two equal bytes begins.
    while (i < size && count < 128 && !(i + 1 < size && data[i + 1] == data[i])) {
      ++i;
      ++count;
    }
    if (count == 0) continue;
    out.push_back(static_cast<std::uint8_t>(count - 1));
    out.insert(out.end(), data + start, data + start + count);
  }
}

namespace {

struct Entry {
  std::uint16_t tag;
  std::uint16_t type;  // 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL
  std::uint32_t count;
  std::uint32_t value;  // the value itself when it fits in four bytes, else its offset
};

}  // namespace

bool WriteTiff(const RowSource& source, const ImageSettings& settings, ByteSink& out) {
  const std::uint32_t width = source.Width();
  const std::uint32_t height = source.Height();
  const bool mono = settings.monochrome;
  if (width == 0 || height == 0) return false;
  const std::uint64_t row_bytes =
      mono ? (static_cast<std::uint64_t>(width) + 7) / 8 : static_cast<std::uint64_t>(width) * 3;
  // Strips of about 64 KiB before compression, at least one row.
  const std::uint32_t rows_per_strip =
      static_cast<std::uint32_t>(std::clamp<std::uint64_t>(65536 / row_bytes, 1, height));
  const std::uint32_t strips = (height + rows_per_strip - 1) / rows_per_strip;

  out.Text("II");
  out.Le16(42);
  out.Le32(0);  // where the directory starts, known at the end

  std::vector<std::uint32_t> offsets;
  std::vector<std::uint32_t> counts;
  offsets.reserve(strips);
  counts.reserve(strips);
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(row_bytes));
  std::vector<std::uint8_t> packed;
  for (std::uint32_t strip = 0; strip < strips && out.Ok(); ++strip) {
    packed.clear();
    std::uint32_t first = strip * rows_per_strip;
    std::uint32_t last = std::min(height, first + rows_per_strip);
    for (std::uint32_t y = first; y < last; ++y) {
      source.Row(y, rgb.data());
      if (mono) {
        std::fill(row.begin(), row.end(), 0);
        for (std::uint32_t x = 0; x < width; ++x) {
          if (!IsDark(&rgb[static_cast<std::size_t>(x) * 3])) {
            row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));  // 1 is white
          }
        }
        PackBits(row.data(), row.size(), packed);
      } else {
        PackBits(rgb.data(), rgb.size(), packed);  // each row packed on its own, as readers expect
      }
    }
    if (out.Position() + packed.size() > 0xFFFFFFFFull) return false;
    offsets.push_back(static_cast<std::uint32_t>(out.Position()));
    counts.push_back(static_cast<std::uint32_t>(packed.size()));
    out.Write(packed.data(), packed.size());
  }
  if (!out.Ok()) return false;
  if (out.Position() % 2 == 1) out.Byte(0);  // the directory starts on a word boundary

  // Values too big for an entry follow the directory.
  const std::uint16_t entry_count = 12;
  const std::uint64_t directory = out.Position();
  std::uint64_t extra = directory + 2 + entry_count * 12ull + 4;
  auto take = [&extra](std::uint64_t size) {
    std::uint64_t at = extra;
    extra += size;
    return static_cast<std::uint32_t>(at);
  };
  const std::uint32_t bits_at = mono ? 1u : take(6);
  const std::uint32_t offsets_at = strips == 1 ? offsets[0] : take(4ull * strips);
  const std::uint32_t counts_at = strips == 1 ? counts[0] : take(4ull * strips);
  const std::uint32_t xres_at = take(8);
  const std::uint32_t yres_at = take(8);
  if (extra > 0xFFFFFFFFull) return false;

  const Entry entries[entry_count] = {
      {256, 4, 1, width},
      {257, 4, 1, height},
      {258, 3, mono ? 1u : 3u, bits_at},
      {259, 3, 1, 32773},           // PackBits
      {262, 3, 1, mono ? 1u : 2u},  // black is zero / RGB
      {273, 4, strips, offsets_at},
      {277, 3, 1, mono ? 1u : 3u},
      {278, 4, 1, rows_per_strip},
      {279, 4, strips, counts_at},
      {282, 5, 1, xres_at},
      {283, 5, 1, yres_at},
      {296, 3, 1, 2},  // inches
  };
  out.Le16(entry_count);
  for (const Entry& e : entries) {
    out.Le16(e.tag);
    out.Le16(e.type);
    out.Le32(e.count);
    if (e.type == 3 && e.count == 1) {
      out.Le16(static_cast<std::uint16_t>(e.value));  // a short sits in the first two bytes
      out.Le16(0);
    } else {
      out.Le32(e.value);
    }
  }
  out.Le32(0);  // no further directory
  if (!mono) {
    out.Le16(8);
    out.Le16(8);
    out.Le16(8);
  }
  if (strips > 1) {
    for (std::uint32_t v : offsets) out.Le32(v);
    for (std::uint32_t v : counts) out.Le32(v);
  }
  for (int axis = 0; axis < 2; ++axis) {
    out.Le32(static_cast<std::uint32_t>(settings.dpi));
    out.Le32(1);
  }
  const std::uint8_t directory_at[4] = {
      static_cast<std::uint8_t>(directory), static_cast<std::uint8_t>(directory >> 8),
      static_cast<std::uint8_t>(directory >> 16), static_cast<std::uint8_t>(directory >> 24)};
  out.Patch(4, directory_at, 4);
  return out.Ok();
}

}  // namespace standin
