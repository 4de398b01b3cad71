#include "support/drawing_header.h"

#include <cstdio>
#include <cstring>

namespace standin {

DrawingHeader ParseDrawingHeader(const unsigned char* bytes, std::size_t size) {
  DrawingHeader header;
  if (size < kHeaderSize) {
    header.status = HeaderStatus::TooShort;
    return header;
  }
  if (std::memcmp(bytes + kMagicOffset, kHeaderMagic, sizeof kHeaderMagic - 1) != 0) {
    header.status = HeaderStatus::BadMagic;
    return header;
  }
  header.version = bytes[kVersionOffset];
  header.status = header.version >= kMinVersion && header.version <= kMaxVersion
                      ? HeaderStatus::Ok
                      : HeaderStatus::BadVersion;
  return header;
}

DrawingHeader ReadDrawingHeader(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return DrawingHeader{};
  unsigned char bytes[kHeaderSize];
  std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  return ParseDrawingHeader(bytes, got);
}

const char* HeaderStatusText(HeaderStatus status) {
  switch (status) {
    case HeaderStatus::Ok:
      return "accepted";
    case HeaderStatus::OpenFailed:
      return "cannot be opened";
    case HeaderStatus::TooShort:
      return "is shorter than its 32-byte header";
    case HeaderStatus::BadMagic:
      return "is not a drawing (no \"KRESTO PLANX V4.0\" at byte 4)";
    case HeaderStatus::BadVersion:
      return "has a drawing version outside 4 to 11";
  }
  return "?";
}

}  // namespace standin
