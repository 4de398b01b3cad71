#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "support/image_writers.h"

namespace standin {
namespace {

// The example tables of the JPEG standard (Annex K): quantisation in natural order, and the
// luminance Huffman tables, which serve every component here.
constexpr std::array<int, 64> kLumaQuant = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChromaQuant = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

constexpr std::array<std::uint8_t, 16> kDcBits = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 12> kDcValues = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::array<std::uint8_t, 16> kAcBits = {0, 2, 1, 3, 3, 2, 4, 3,
                                                  5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr std::array<std::uint8_t, 162> kAcValues = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// Quality 90 in the usual scaling of the example tables.
constexpr int kQualityScale = 20;

struct HuffmanCode {
  std::uint16_t code = 0;
  std::uint8_t length = 0;
};

// Canonical codes from a table's code-length counts and symbols, as a decoder derives them.
std::array<HuffmanCode, 256> CanonicalCodes(const std::uint8_t* bits, const std::uint8_t* values) {
  std::array<HuffmanCode, 256> table{};
  std::uint16_t code = 0;
  std::size_t k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < bits[length - 1]; ++i) {
      table[values[k++]] = HuffmanCode{code, static_cast<std::uint8_t>(length)};
      ++code;
    }
    code <<= 1;
  }
  return table;
}

// Zig-zag position k -> natural index, by walking the anti-diagonals.
std::array<int, 64> ZigZag() {
  std::array<int, 64> order{};
  int k = 0;
  for (int s = 0; s < 15; ++s) {
    int lo = std::max(0, s - 7);
    int hi = std::min(s, 7);
    for (int i = lo; i <= hi; ++i) {
      int row = (s % 2 == 0) ? s - i : i;  // even diagonals run up, odd ones down
      int col = s - row;
      order[k++] = row * 8 + col;
    }
  }
  return order;
}

class BitWriter {
 public:
  explicit BitWriter(ByteSink& out) : out_(out) {}
  void Put(std::uint32_t bits, int length) {
    buffer_ = (buffer_ << length) | (bits & ((1u << length) - 1));
    count_ += length;
    while (count_ >= 8) {
      std::uint8_t b = static_cast<std::uint8_t>(buffer_ >> (count_ - 8));
      Emit(b);
      count_ -= 8;
    }
    buffer_ &= (1u << count_) - 1;
  }
  void Flush() {
    if (count_ > 0) Put(0x7F, 8 - count_);  // pad with one bits
    Drain();
  }

 private:
  void Emit(std::uint8_t b) {
    pending_[size_++] = b;
    if (b == 0xFF) pending_[size_++] = 0;  // byte stuffing
    if (size_ >= pending_.size() - 2) Drain();
  }
  void Drain() {
    out_.Write(pending_.data(), size_);
    size_ = 0;
  }

  ByteSink& out_;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
  std::array<std::uint8_t, 4096> pending_{};
  std::size_t size_ = 0;
};

// The float AAN forward DCT; its output needs the scale factors folded into the divisors below.
void ForwardDct(float* d) {
  for (int pass = 0; pass < 2; ++pass) {
    int step = pass == 0 ? 1 : 8;  // rows first, then columns
    int stride = pass == 0 ? 8 : 1;
    for (int line = 0; line < 8; ++line) {
      float* p = d + line * stride;
      float t0 = p[0] + p[7 * step], t7 = p[0] - p[7 * step];
      float t1 = p[step] + p[6 * step], t6 = p[step] - p[6 * step];
      float t2 = p[2 * step] + p[5 * step], t5 = p[2 * step] - p[5 * step];
      float t3 = p[3 * step] + p[4 * step], t4 = p[3 * step] - p[4 * step];
      float t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
      p[0] = t10 + t11;
      p[4 * step] = t10 - t11;
      float z1 = (t12 + t13) * 0.707106781f;
      p[2 * step] = t13 + z1;
      p[6 * step] = t13 - z1;
      t10 = t4 + t5;
      t11 = t5 + t6;
      t12 = t6 + t7;
      float z5 = (t10 - t12) * 0.382683433f;
      float z2 = 0.541196100f * t10 + z5;
      float z4 = 1.306562965f * t12 + z5;
      float z3 = t11 * 0.707106781f;
      float z11 = t7 + z3, z13 = t7 - z3;
      p[5 * step] = z13 + z2;
      p[3 * step] = z13 - z2;
      p[step] = z11 + z4;
      p[7 * step] = z11 - z4;
    }
  }
}

class JpegEncoder {
 public:
  JpegEncoder(ByteSink& out, int components)
      : out_(out), bits_(out), components_(components), zigzag_(ZigZag()) {
    dc_codes_ = CanonicalCodes(kDcBits.data(), kDcValues.data());
    ac_codes_ = CanonicalCodes(kAcBits.data(), kAcValues.data());
    static constexpr double kAan[8] = {1.0, 1.387039845, 1.306562965, 1.175875602,
                                       1.0, 0.785694958, 0.541196100, 0.275899379};
    for (int t = 0; t < 2; ++t) {
      const auto& base = t == 0 ? kLumaQuant : kChromaQuant;
      for (int i = 0; i < 64; ++i) {
        int q = std::clamp((base[i] * kQualityScale + 50) / 100, 1, 255);
        quant_[t][i] = static_cast<std::uint8_t>(q);
        divisor_[t][i] = static_cast<float>(1.0 / (q * kAan[i / 8] * kAan[i % 8] * 8.0));
      }
    }
  }

  void Headers(std::uint32_t width, std::uint32_t height, int dpi) {
    out_.Be16(0xFFD8);
    out_.Be16(0xFFE0);  // JFIF, with the resolution in dots per inch
    out_.Be16(16);
    out_.Text(std::string("JFIF\0", 5));
    out_.Byte(1);
    out_.Byte(1);
    out_.Byte(1);
    out_.Be16(static_cast<std::uint16_t>(std::clamp(dpi, 1, 0xFFFF)));
    out_.Be16(static_cast<std::uint16_t>(std::clamp(dpi, 1, 0xFFFF)));
    out_.Byte(0);
    out_.Byte(0);
    for (int t = 0; t < (components_ == 3 ? 2 : 1); ++t) {
      out_.Be16(0xFFDB);
      out_.Be16(67);
      out_.Byte(static_cast<std::uint8_t>(t));
      for (int k = 0; k < 64; ++k) out_.Byte(quant_[t][zigzag_[k]]);
    }
    out_.Be16(0xFFC0);
    out_.Be16(static_cast<std::uint16_t>(8 + 3 * components_));
    out_.Byte(8);
    out_.Be16(static_cast<std::uint16_t>(height));
    out_.Be16(static_cast<std::uint16_t>(width));
    out_.Byte(static_cast<std::uint8_t>(components_));
    for (int c = 0; c < components_; ++c) {
      out_.Byte(static_cast<std::uint8_t>(c + 1));
      out_.Byte(0x11);
      out_.Byte(c == 0 ? 0 : 1);
    }
    HuffmanTable(0x00, kDcBits.data(), kDcValues.data(), kDcValues.size());
    HuffmanTable(0x10, kAcBits.data(), kAcValues.data(), kAcValues.size());
    out_.Be16(0xFFDA);
    out_.Be16(static_cast<std::uint16_t>(6 + 2 * components_));
    out_.Byte(static_cast<std::uint8_t>(components_));
    for (int c = 0; c < components_; ++c) {
      out_.Byte(static_cast<std::uint8_t>(c + 1));
      out_.Byte(0x00);
    }
    out_.Byte(0);
    out_.Byte(63);
    out_.Byte(0);
  }

  // One 8x8 block of a component, samples already shifted to -128..127.
  void Block(float* samples, int component) {
    ForwardDct(samples);
    const int table = component == 0 ? 0 : 1;
    int coefficient[64];
    for (int k = 0; k < 64; ++k) {
      int natural = zigzag_[k];
      coefficient[k] = static_cast<int>(std::lround(samples[natural] * divisor_[table][natural]));
    }
    int diff = coefficient[0] - previous_dc_[component];
    previous_dc_[component] = coefficient[0];
    int size = Magnitude(diff);
    Emit(dc_codes_[size]);
    if (size > 0) bits_.Put(Bits(diff, size), size);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
      if (coefficient[k] == 0) {
        ++run;
        continue;
      }
      while (run > 15) {
        Emit(ac_codes_[0xF0]);
        run -= 16;
      }
      int s = Magnitude(coefficient[k]);
      Emit(ac_codes_[(run << 4) | s]);
      bits_.Put(Bits(coefficient[k], s), s);
      run = 0;
    }
    if (run > 0) Emit(ac_codes_[0x00]);
  }

  void Finish() {
    bits_.Flush();
    out_.Be16(0xFFD9);
  }

 private:
  void HuffmanTable(std::uint8_t id, const std::uint8_t* bits, const std::uint8_t* values,
                    std::size_t count) {
    out_.Be16(0xFFC4);
    out_.Be16(static_cast<std::uint16_t>(2 + 1 + 16 + count));
    out_.Byte(id);
    out_.Write(bits, 16);
    out_.Write(values, count);
  }
  static int Magnitude(int v) {
    int a = std::abs(v);
    int n = 0;
    while (a > 0) {
      ++n;
      a >>= 1;
    }
    return n;
  }
  static std::uint32_t Bits(int v, int size) {
    return static_cast<std::uint32_t>(v < 0 ? v + (1 << size) - 1 : v);
  }
  void Emit(const HuffmanCode& c) { bits_.Put(c.code, c.length); }

  ByteSink& out_;
  BitWriter bits_;
  int components_;
  std::array<int, 64> zigzag_;
  std::array<HuffmanCode, 256> dc_codes_{};
  std::array<HuffmanCode, 256> ac_codes_{};
  std::uint8_t quant_[2][64]{};
  float divisor_[2][64]{};
  int previous_dc_[3] = {0, 0, 0};
};

}  // namespace

bool WriteJpeg(const RowSource& source, const ImageSettings& settings, ByteSink& out) {
  const std::uint32_t width = source.Width();
  const std::uint32_t height = source.Height();
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return false;
  const int components = settings.monochrome ? 1 : 3;
  JpegEncoder encoder(out, components);
  encoder.Headers(width, height, settings.dpi);

  const std::uint32_t padded_width = (width + 7) / 8 * 8;
  // Eight rows of each component, edges repeated into the padding as the standard suggests.
  std::vector<float> planes(static_cast<std::size_t>(components) * padded_width * 8);
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
  for (std::uint32_t band = 0; band < height && out.Ok(); band += 8) {
    for (std::uint32_t r = 0; r < 8; ++r) {
      std::uint32_t y = std::min(band + r, height - 1);
      source.Row(y, rgb.data());
      for (std::uint32_t x = 0; x < padded_width; ++x) {
        const std::uint8_t* p = &rgb[static_cast<std::size_t>(std::min(x, width - 1)) * 3];
        float red = p[0], green = p[1], blue = p[2];
        std::size_t at = static_cast<std::size_t>(r) * padded_width + x;
        float luma = 0.299f * red + 0.587f * green + 0.114f * blue;
        if (components == 1) {
          planes[at] = (IsDark(p) ? 0.0f : 255.0f) - 128.0f;
        } else {
          const std::size_t plane = static_cast<std::size_t>(padded_width) * 8;
          planes[at] = luma - 128.0f;
          planes[plane + at] = -0.168736f * red - 0.331264f * green + 0.5f * blue;
          planes[2 * plane + at] = 0.5f * red - 0.418688f * green - 0.081312f * blue;
        }
      }
    }
    for (std::uint32_t bx = 0; bx < padded_width; bx += 8) {
      for (int c = 0; c < components; ++c) {
        float block[64];
        const float* plane = planes.data() + static_cast<std::size_t>(c) * padded_width * 8;
        for (int r = 0; r < 8; ++r) {
          for (int x = 0; x < 8; ++x) {
            block[r * 8 + x] = plane[static_cast<std::size_t>(r) * padded_width + bx + x];
          }
        }
        encoder.Block(block, c);
      }
    }
  }
  encoder.Finish();
  return out.Ok();
}

}  // namespace standin
