#pragma once
// Small encoders of our own for the four image formats. Each asks its source for one row at a time
// (or eight, for JPEG), so memory stays a few rows whatever the picture's size.
#include <optional>
#include <string>
#include <vector>

#include "support/byte_sink.h"
#include "support/raster.h"

namespace standin {

enum class ImageFormat { Bmp = 0, Gif = 1, Jpeg = 2, Tiff = 3 };

struct ImageSettings {
  int dpi = 96;             // recorded in the header where the format has a field for it
  bool monochrome = false;  // one bit per pixel (BMP, TIFF), two colours (GIF), grey (JPEG)
};

// Why the format cannot hold a picture of this size, or nothing when it can.
std::optional<std::string> ImageSizeProblem(ImageFormat format, std::uint32_t width,
                                            std::uint32_t height, bool monochrome);

// Uncompressed bottom-up BMP: 24 bits per pixel, or 1 bit with a black and white palette.
bool WriteBmp(const RowSource& source, const ImageSettings& settings, ByteSink& out);

// GIF89a with LZW-compressed pixels over the source's palette (black and white when monochrome).
bool WriteGif(const RowSource& source, const ImageSettings& settings, ByteSink& out);

// Baseline JFIF JPEG: YCbCr without subsampling, or a single grey component when monochrome.
bool WriteJpeg(const RowSource& source, const ImageSettings& settings, ByteSink& out);

// Little-endian TIFF with PackBits-compressed strips: RGB, or bilevel when monochrome.
bool WriteTiff(const RowSource& source, const ImageSettings& settings, ByteSink& out);

// Size of a BMP file of these dimensions, which must stay below 4 GiB.
std::uint64_t BmpFileSize(std::uint32_t width, std::uint32_t height, bool monochrome);

// Appends the PackBits form of the bytes (TIFF compression 32773).
void PackBits(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

bool WriteImage(ImageFormat format, const RowSource& source, const ImageSettings& settings,
                ByteSink& out);

}  // namespace standin
