#include "support/image_writers.h"

namespace standin {

std::optional<std::string> ImageSizeProblem(ImageFormat format, std::uint32_t width,
                                            std::uint32_t height, bool monochrome) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  switch (format) {
    case ImageFormat::Gif:
    case ImageFormat::Jpeg:
      if (width > 0xFFFF || height > 0xFFFF) {
        return size + " is beyond this format's limit of 65535 pixels a side";
      }
      break;
    case ImageFormat::Bmp:
      if (BmpFileSize(width, height, monochrome) > 0xFFFFFFFFull) {
        return size + " would make a BMP file of 4 GiB or more";
      }
      break;
    case ImageFormat::Tiff: {
      // PackBits never grows a row by more than one byte in 128, plus one.
      std::uint64_t row = monochrome ? (std::uint64_t{width} + 7) / 8 : std::uint64_t{width} * 3;
      std::uint64_t worst = (row + row / 128 + 1) * height + 16 * std::uint64_t{height} + 4096;
      if (worst > 0xFFFFFFFFull) return size + " could make a TIFF file of 4 GiB or more";
      break;
    }
  }
  return std::nullopt;
}

bool WriteImage(ImageFormat format, const RowSource& source, const ImageSettings& settings,
                ByteSink& out) {
  switch (format) {
    case ImageFormat::Bmp:
      return WriteBmp(source, settings, out);
    case ImageFormat::Gif:
      return WriteGif(source, settings, out);
    case ImageFormat::Jpeg:
      return WriteJpeg(source, settings, out);
    case ImageFormat::Tiff:
      return WriteTiff(source, settings, out);
  }
  return false;
}

}  // namespace standin
