#include "support/image_writers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace standin {
namespace {

// A picture with long runs, short runs and noise over a small palette, so the encoders meet
// every case: runs longer than PackBits' 128, literals, and LZW tables that fill up and restart.
class TestPicture : public RowSource {
 public:
  TestPicture(std::uint32_t w, std::uint32_t h, std::vector<Rgb> palette)
      : w_(w), h_(h), palette_(std::move(palette)) {}
  std::uint32_t Width() const override { return w_; }
  std::uint32_t Height() const override { return h_; }
  std::vector<Rgb> Colours() const override { return palette_; }
  Rgb At(std::uint32_t x, std::uint32_t y) const {
    if (y % 7 == 0) return palette_[0];                          // a whole row of one colour
    if (x < w_ / 3) return palette_[(y / 3) % palette_.size()];  // wide bands
    std::uint32_t h = (x * 2654435761u) ^ (y * 40503u) ^ (x >> 3);
    return palette_[(h >> 7) % palette_.size()];  // noise
  }
  void Row(std::uint32_t y, std::uint8_t* rgb) const override {
    for (std::uint32_t x = 0; x < w_; ++x) {
      Rgb c = At(x, y);
      rgb[3 * x] = c.red;
      rgb[3 * x + 1] = c.green;
      rgb[3 * x + 2] = c.blue;
    }
  }

 private:
  std::uint32_t w_, h_;
  std::vector<Rgb> palette_;
};

const std::vector<Rgb> kPalette = {kWhite,      kBlack,        {255, 0, 0}, {0, 160, 0},
                                   {0, 0, 255}, {200, 160, 0}, {96, 96, 96}};

std::uint16_t Le16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                    static_cast<std::uint8_t>(b[at + 1]) << 8);
}
std::uint32_t Le32(const std::string& b, std::size_t at) {
  return Le16(b, at) | static_cast<std::uint32_t>(Le16(b, at + 2)) << 16;
}
std::uint16_t Be16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) << 8 |
                                    static_cast<std::uint8_t>(b[at + 1]));
}

// --- GIF: a decoder written the way common readers work, to check our code widths and resets.
std::vector<std::uint8_t> DecodeGifIndices(const std::string& gif, std::size_t* palette_size) {
  std::size_t at = 6;
  std::uint8_t packed = static_cast<std::uint8_t>(gif[at + 4]);
  *palette_size = std::size_t{2} << (packed & 7);
  at += 7 + 3 * *palette_size;
  EXPECT_EQ(static_cast<std::uint8_t>(gif[at]), 0x2C);
  at += 10;
  int min_size = static_cast<std::uint8_t>(gif[at++]);
  std::string data;
  while (std::size_t n = static_cast<std::uint8_t>(gif[at++])) {
    data.append(gif, at, n);
    at += n;
  }
  EXPECT_EQ(static_cast<std::uint8_t>(gif[at]), 0x3B) << "trailer";

  const int clear = 1 << min_size;
  std::vector<std::vector<std::uint8_t>> table;
  auto reset = [&] {
    table.assign(clear + 2, {});
    for (int i = 0; i < clear; ++i) table[i] = {static_cast<std::uint8_t>(i)};
  };
  reset();
  int width = min_size + 1;
  std::size_t bitpos = 0;
  int previous = -1;
  std::vector<std::uint8_t> out;
  for (;;) {
    if (bitpos + width > data.size() * 8) {
      ADD_FAILURE() << "data ends without an end code";
      break;
    }
    int code = 0;
    for (int b = 0; b < width; ++b, ++bitpos) {
      code |= ((static_cast<std::uint8_t>(data[bitpos / 8]) >> (bitpos % 8)) & 1) << b;
    }
    if (code == clear) {
      reset();
      width = min_size + 1;
      previous = -1;
      continue;
    }
    if (code == clear + 1) break;
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size())) {
      entry = table[code];
    } else if (code == static_cast<int>(table.size()) && previous >= 0) {
      entry = table[previous];
      entry.push_back(table[previous][0]);
    } else {
      ADD_FAILURE() << "code " << code << " not yet defined";
      break;
    }
    out.insert(out.end(), entry.begin(), entry.end());
    if (previous >= 0 && table.size() < 4096) {
      std::vector<std::uint8_t> added = table[previous];
      added.push_back(entry[0]);
      table.push_back(added);
      if (table.size() == (1u << width) && width < 12) ++width;
    }
    previous = code;
  }
  return out;
}

// Every pixel decodes back to its colour, or in monochrome to black or white by its darkness.
TEST(GifWriter, PixelsDecodeBackExactly) {
  struct Case {
    std::uint32_t width, height;
    bool monochrome;
    std::size_t palette_size;
  };
  const Case cases[] = {
      {1, 1, false, 8}, {3, 2, false, 8}, {300, 257, false, 8}, {64, 40, true, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    TestPicture picture(c.width, c.height, kPalette);
    MemorySink sink;
    ImageSettings settings;
    settings.monochrome = c.monochrome;
    ASSERT_TRUE(WriteGif(picture, settings, sink));
    const std::string& gif = sink.bytes();
    ASSERT_EQ(gif.substr(0, 6), "GIF89a");
    EXPECT_EQ(Le16(gif, 6), c.width);
    EXPECT_EQ(Le16(gif, 8), c.height);
    std::size_t palette_size = 0;
    std::vector<std::uint8_t> indices = DecodeGifIndices(gif, &palette_size);
    ASSERT_EQ(indices.size(), std::size_t{c.width} * c.height);
    EXPECT_EQ(palette_size, c.palette_size);
    for (std::uint32_t y = 0; y < c.height; ++y) {
      for (std::uint32_t x = 0; x < c.width; ++x) {
        std::size_t i = indices[std::size_t{y} * c.width + x];
        ASSERT_LT(i, palette_size);
        const std::size_t p = 13 + 3 * i;
        Rgb got{static_cast<std::uint8_t>(gif[p]), static_cast<std::uint8_t>(gif[p + 1]),
                static_cast<std::uint8_t>(gif[p + 2])};
        Rgb want = picture.At(x, y);
        if (c.monochrome) {
          std::uint8_t rgb[3] = {want.red, want.green, want.blue};
          want = IsDark(rgb) ? kBlack : kWhite;
        }
        ASSERT_EQ(got, want) << x << "," << y;
      }
    }
  }
}

// --- TIFF and PackBits.
std::vector<std::uint8_t> UnpackBits(const std::string& data) {
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < data.size()) {
    auto n = static_cast<std::int8_t>(data[i++]);
    if (n >= 0) {
      for (int k = 0; k <= n; ++k) out.push_back(static_cast<std::uint8_t>(data[i++]));
    } else if (n != -128) {
      for (int k = 0; k < 1 - n; ++k) out.push_back(static_cast<std::uint8_t>(data[i]));
      ++i;
    }
  }
  return out;
}

TEST(PackBits, RoundTripsRunsAndLiterals) {
  std::vector<std::string> inputs = {"", "a", "ab", "aa", std::string(1000, 'x'), "abcabcabc"};
  std::string mixed;
  for (int i = 0; i < 700; ++i) mixed += static_cast<char>(i % 5 == 0 ? 'r' : (i * 37) & 0xFF);
  mixed += std::string(129, 'q') + "z" + std::string(300, '\0');
  inputs.push_back(mixed);
  for (const std::string& in : inputs) {
    std::vector<std::uint8_t> packed;
    PackBits(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), packed);
    std::vector<std::uint8_t> back = UnpackBits(std::string(packed.begin(), packed.end()));
    EXPECT_EQ(std::string(back.begin(), back.end()), in);
    EXPECT_LE(packed.size(), in.size() + in.size() / 128 + 1) << "never grows much";
  }
}

struct TiffImage {
  std::map<int, std::vector<std::uint32_t>> tags;
  std::vector<std::uint8_t> pixels;  // all strips unpacked
};

TiffImage ReadTiff(const std::string& b) {
  TiffImage t;
  EXPECT_EQ(b.substr(0, 4), std::string("II*\0", 4));
  std::uint32_t ifd = Le32(b, 4);
  EXPECT_EQ(ifd % 2, 0u);
  std::uint16_t n = Le16(b, ifd);
  int last_tag = 0;
  for (std::uint16_t i = 0; i < n; ++i) {
    std::size_t e = ifd + 2 + 12u * i;
    int tag = Le16(b, e), type = Le16(b, e + 2);
    std::uint32_t count = Le32(b, e + 4);
    EXPECT_GT(tag, last_tag) << "tags ascending";
    last_tag = tag;
    std::size_t size = type == 3 ? 2 : type == 5 ? 8 : type == 4 ? 4 : 1;
    std::size_t at = size * count <= 4 ? e + 8 : Le32(b, e + 8);
    for (std::uint32_t k = 0; k < count; ++k) {
      if (type == 3) t.tags[tag].push_back(Le16(b, at + 2 * k));
      if (type == 4) t.tags[tag].push_back(Le32(b, at + 4 * k));
      if (type == 5) {
        t.tags[tag].push_back(Le32(b, at + 8 * k));
        t.tags[tag].push_back(Le32(b, at + 8 * k + 4));
      }
    }
  }
  const auto& offsets = t.tags[273];
  const auto& counts = t.tags[279];
  EXPECT_EQ(offsets.size(), counts.size());
  for (std::size_t s = 0; s < offsets.size() && s < counts.size(); ++s) {
    std::vector<std::uint8_t> strip = UnpackBits(b.substr(offsets[s], counts[s]));
    t.pixels.insert(t.pixels.end(), strip.begin(), strip.end());
  }
  return t;
}

TEST(TiffWriter, ColourStripsDecodeToThePicture) {
  // Wide enough for several strips of 64 KiB.
  TestPicture picture(1000, 70, kPalette);
  MemorySink sink;
  ImageSettings settings;
  settings.dpi = 300;
  ASSERT_TRUE(WriteTiff(picture, settings, sink));
  TiffImage t = ReadTiff(sink.bytes());
  EXPECT_EQ(t.tags[256], std::vector<std::uint32_t>{1000});
  EXPECT_EQ(t.tags[257], std::vector<std::uint32_t>{70});
  EXPECT_EQ(t.tags[258], (std::vector<std::uint32_t>{8, 8, 8}));
  EXPECT_EQ(t.tags[259], std::vector<std::uint32_t>{32773});
  EXPECT_EQ(t.tags[262], std::vector<std::uint32_t>{2});
  EXPECT_EQ(t.tags[282], (std::vector<std::uint32_t>{300, 1}));
  EXPECT_EQ(t.tags[296], std::vector<std::uint32_t>{2});
  EXPECT_GT(t.tags[273].size(), 1u);
  ASSERT_EQ(t.pixels.size(), 1000u * 70u * 3u);
  for (std::uint32_t y = 0; y < 70; ++y) {
    for (std::uint32_t x = 0; x < 1000; ++x) {
      Rgb c = picture.At(x, y);
      const std::uint8_t* p = &t.pixels[(y * 1000u + x) * 3];
      ASSERT_EQ((Rgb{p[0], p[1], p[2]}), c) << x << "," << y;
    }
  }
}

TEST(TiffWriter, MonochromeIsOneBitBlackIsZero) {
  TestPicture picture(13, 5, kPalette);  // rows that end inside a byte
  MemorySink sink;
  ImageSettings mono;
  mono.monochrome = true;
  ASSERT_TRUE(WriteTiff(picture, mono, sink));
  TiffImage t = ReadTiff(sink.bytes());
  EXPECT_EQ(t.tags[258], std::vector<std::uint32_t>{1});
  EXPECT_EQ(t.tags[262], std::vector<std::uint32_t>{1});
  EXPECT_EQ(t.tags[277], std::vector<std::uint32_t>{1});
  ASSERT_EQ(t.pixels.size(), 2u * 5u);
  for (std::uint32_t y = 0; y < 5; ++y) {
    for (std::uint32_t x = 0; x < 13; ++x) {
      Rgb c = picture.At(x, y);
      std::uint8_t rgb[3] = {c.red, c.green, c.blue};
      bool white = (t.pixels[y * 2 + x / 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(white, !IsDark(rgb)) << x << "," << y;
    }
  }
}

// --- BMP.
TEST(BmpWriter, BottomUpRowsPaddedToFourBytes) {
  TestPicture picture(5, 3, kPalette);
  MemorySink sink;
  ImageSettings settings;
  settings.dpi = 254;
  ASSERT_TRUE(WriteBmp(picture, settings, sink));
  const std::string& b = sink.bytes();
  ASSERT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(Le32(b, 18), 5u);
  EXPECT_EQ(Le32(b, 22), 3u);
  EXPECT_EQ(Le16(b, 28), 24);
  EXPECT_EQ(Le32(b, 38), 10000u) << "254 dpi is 10000 pixels per metre";
  const std::size_t stride = 16;  // 15 bytes padded
  ASSERT_EQ(b.size(), 54 + 3 * stride);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x) {
      const std::size_t p = 54 + (2 - y) * stride + 3 * x;
      Rgb got{static_cast<std::uint8_t>(b[p + 2]), static_cast<std::uint8_t>(b[p + 1]),
              static_cast<std::uint8_t>(b[p])};
      EXPECT_EQ(got, picture.At(x, y)) << x << "," << y;
    }
  }
}

TEST(BmpWriter, MonochromeIsOneBitWithBlackAndWhitePalette) {
  TestPicture picture(33, 2, kPalette);
  MemorySink sink;
  ImageSettings mono;
  mono.monochrome = true;
  ASSERT_TRUE(WriteBmp(picture, mono, sink));
  const std::string& b = sink.bytes();
  EXPECT_EQ(Le16(b, 28), 1);
  EXPECT_EQ(Le32(b, 10), 62u);
  EXPECT_EQ(b.substr(54, 8), std::string("\0\0\0\0\xff\xff\xff\0", 8));
  EXPECT_EQ(b.size(), 62u + 2 * 8);  // 33 bits padded to 8 bytes
  EXPECT_EQ(BmpFileSize(33, 2, true), b.size());
}

// --- JPEG: the markers and fields a reader relies on; the pixels are compared with ImageMagick in
// the tools' tests.
TEST(JpegWriter, HeadersCarrySizeResolutionAndComponents) {
  for (bool mono : {false, true}) {
    TestPicture picture(17, 9, kPalette);  // not a multiple of the 8x8 block
    MemorySink sink;
    ImageSettings settings;
    settings.dpi = 600;
    settings.monochrome = mono;
    ASSERT_TRUE(WriteJpeg(picture, settings, sink));
    const std::string& j = sink.bytes();
    ASSERT_EQ(Be16(j, 0), 0xFFD8);
    ASSERT_EQ(Be16(j, j.size() - 2), 0xFFD9);
    std::map<int, std::size_t> segments;
    std::size_t at = 2;
    while (at + 4 <= j.size()) {
      int marker = Be16(j, at);
      ASSERT_EQ(marker & 0xFF00, 0xFF00) << "at " << at;
      segments[marker] = at;
      if (marker == 0xFFDA) break;
      at += 2 + Be16(j, at + 2);
    }
    ASSERT_TRUE(segments.count(0xFFE0));
    std::size_t app0 = segments[0xFFE0];
    EXPECT_EQ(j.substr(app0 + 4, 5), std::string("JFIF\0", 5));
    EXPECT_EQ(j[app0 + 11], 1) << "dots per inch";
    EXPECT_EQ(Be16(j, app0 + 12), 600);
    EXPECT_EQ(Be16(j, app0 + 14), 600);
    ASSERT_TRUE(segments.count(0xFFC0)) << "baseline";
    std::size_t sof = segments[0xFFC0];
    EXPECT_EQ(Be16(j, sof + 5), 9);
    EXPECT_EQ(Be16(j, sof + 7), 17);
    EXPECT_EQ(j[sof + 9], mono ? 1 : 3);
    EXPECT_TRUE(segments.count(0xFFC4));
    // Entropy-coded data holds no bare 0xFF: every one is stuffed or starts the end marker.
    std::size_t data = segments[0xFFDA] + 2 + Be16(j, segments[0xFFDA] + 2);
    for (std::size_t k = data; k + 2 < j.size(); ++k) {
      if (static_cast<std::uint8_t>(j[k]) == 0xFF) {
        ASSERT_EQ(j[k + 1], 0) << "at " << k;
        ++k;
      }
    }
  }
}

TEST(ImageLimits, RefusesSizesTheFormatsCannotHold) {
  EXPECT_FALSE(ImageSizeProblem(ImageFormat::Jpeg, 65535, 65535, false).has_value());
  EXPECT_TRUE(ImageSizeProblem(ImageFormat::Jpeg, 65536, 10, false).has_value());
  EXPECT_TRUE(ImageSizeProblem(ImageFormat::Gif, 10, 70000, true).has_value());
  // A0 at 600 dpi fits a BMP; at 1200 dpi it does not.
  EXPECT_FALSE(ImageSizeProblem(ImageFormat::Bmp, 19866, 28087, false).has_value());
  EXPECT_TRUE(ImageSizeProblem(ImageFormat::Bmp, 39732, 56173, false).has_value());
  EXPECT_FALSE(ImageSizeProblem(ImageFormat::Bmp, 39732, 56173, true).has_value());
  EXPECT_TRUE(ImageSizeProblem(ImageFormat::Tiff, 39732, 56173, false).has_value());
  EXPECT_FALSE(ImageSizeProblem(ImageFormat::Tiff, 19866, 28087, false).has_value());
}

}  // namespace
}  // namespace standin
