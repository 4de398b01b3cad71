#include <algorithm>
#include <array>
#include <vector>

#include "support/image_writers.h"

namespace standin {
namespace {

// Packs variable-width codes, least significant bit first, into data sub-blocks of 255 bytes.
class CodeWriter {
 public:
  explicit CodeWriter(ByteSink& out) : out_(out) {}

  void Put(std::uint32_t code, int width) {
    bits_ |= static_cast<std::uint64_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      Emit(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }

  void Finish() {
    if (count_ > 0) Emit(static_cast<std::uint8_t>(bits_));
    bits_ = 0;
    count_ = 0;
    FlushBlock();
    out_.Byte(0);  // block terminator
  }

 private:
  void Emit(std::uint8_t b) {
    block_[size_++] = b;
    if (size_ == 255) FlushBlock();
  }
  void FlushBlock() {
    if (size_ == 0) return;
    out_.Byte(static_cast<std::uint8_t>(size_));
    out_.Write(block_.data(), size_);
    size_ = 0;
  }

  ByteSink& out_;
  std::uint64_t bits_ = 0;
  int count_ = 0;
  std::array<std::uint8_t, 255> block_{};
  std::size_t size_ = 0;
};

// The LZW dictionary: strings are (prefix code, next index) pairs found through an open hash.
class LzwEncoder {
 public:
  LzwEncoder(int min_code_size, CodeWriter& writer)
      : min_code_size_(min_code_size),
        clear_(1u << min_code_size),
        end_(clear_ + 1),
        writer_(writer),
        keys_(kTableSize),
        codes_(kTableSize) {
    Reset();
    writer_.Put(clear_, width_);
  }

  void Add(std::uint8_t index) {
    if (!have_prefix_) {
      prefix_ = index;
      have_prefix_ = true;
      return;
    }
    std::uint32_t key = (prefix_ << 8) | index;
    std::size_t slot = Find(key);
    if (keys_[slot] == key + 1) {
      prefix_ = codes_[slot];
      return;
    }
    writer_.Put(prefix_, width_);
    keys_[slot] = key + 1;
    codes_[slot] = next_;
    // The decoder learns each string one code later than we do, so the code width grows when the
    // code just assigned no longer fits: exactly when the decoder's next read needs the extra bit.
    if (next_ == (1u << width_) && width_ < kMaxWidth) ++width_;
    ++next_;
    if (next_ == kMaxCodes) {
      writer_.Put(clear_, width_);
      Reset();
    }
    prefix_ = index;
  }

  void Finish() {
    if (have_prefix_) {
      writer_.Put(prefix_, width_);
      // The decoder adds one more string after this code and may widen before reading the end.
      if (next_ == (1u << width_) && width_ < kMaxWidth) ++width_;
    }
    writer_.Put(end_, width_);
    writer_.Finish();
  }

 private:
  static constexpr std::size_t kTableSize = 8192;
  static constexpr std::uint32_t kMaxCodes = 4096;
  static constexpr int kMaxWidth = 12;

  std::size_t Find(std::uint32_t key) const {
    std::size_t slot = (key * 2654435761u) & (kTableSize - 1);
    while (keys_[slot] != 0 && keys_[slot] != key + 1) slot = (slot + 1) & (kTableSize - 1);
    return slot;
  }

  void Reset() {
    std::fill(keys_.begin(), keys_.end(), 0u);
    next_ = end_ + 1;
    width_ = min_code_size_ + 1;
  }

  int min_code_size_;
  std::uint32_t clear_;
  std::uint32_t end_;
  CodeWriter& writer_;
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint32_t> codes_;
  std::uint32_t next_ = 0;
  int width_ = 0;
  std::uint32_t prefix_ = 0;
  bool have_prefix_ = false;
};

}  // namespace

bool WriteGif(const RowSource& source, const ImageSettings& settings, ByteSink& out) {
  const std::uint32_t width = source.Width();
  const std::uint32_t height = source.Height();
  if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return false;

  std::vector<Rgb> palette =
      settings.monochrome ? std::vector<Rgb>{kBlack, kWhite} : source.Colours();
  if (palette.empty() || palette.size() > 256) return false;
  int bits = 1;
  while ((1u << bits) < palette.size()) ++bits;
  palette.resize(std::size_t{1} << bits, kBlack);

  out.Text("GIF89a");
  out.Le16(static_cast<std::uint16_t>(width));
  out.Le16(static_cast<std::uint16_t>(height));
  out.Byte(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
  out.Byte(0);  // background colour index
  out.Byte(0);  // square pixels
  for (const Rgb& c : palette) {
    out.Byte(c.red);
    out.Byte(c.green);
    out.Byte(c.blue);
  }
  out.Byte(0x2C);
  out.Le16(0);
  out.Le16(0);
  out.Le16(static_cast<std::uint16_t>(width));
  out.Le16(static_cast<std::uint16_t>(height));
  out.Byte(0);  // no local table, not interlaced

  const int min_code_size = std::max(2, bits);
  out.Byte(static_cast<std::uint8_t>(min_code_size));
  CodeWriter writer(out);
  LzwEncoder lzw(min_code_size, writer);

  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
  std::size_t last = 0;
  for (std::uint32_t y = 0; y < height && out.Ok(); ++y) {
    source.Row(y, rgb.data());
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[static_cast<std::size_t>(x) * 3];
      std::size_t index;
      if (settings.monochrome) {
        index = IsDark(p) ? 0 : 1;
      } else {
        Rgb c{p[0], p[1], p[2]};
        if (!(palette[last] == c)) {
          auto it = std::find(palette.begin(), palette.end(), c);
          // A colour outside the palette would be a fault of the source; show it as the first.
          last = it == palette.end() ? 0 : static_cast<std::size_t>(it - palette.begin());
        }
        index = last;
      }
      lzw.Add(static_cast<std::uint8_t>(index));
    }
  }
  lzw.Finish();
  out.Byte(0x3B);
  return out.Ok();
}

}  // namespace standin
