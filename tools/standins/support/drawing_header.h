#pragma once
// The 32-byte header every drawing file starts with.
#include <string>

namespace standin {

enum class HeaderStatus { Ok, OpenFailed, TooShort, BadMagic, BadVersion };

struct DrawingHeader {
  HeaderStatus status = HeaderStatus::OpenFailed;
  int version = 0;  // byte 25, valid once the magic text matched
};

inline constexpr std::size_t kHeaderSize = 32;
inline constexpr char kHeaderMagic[] = "KRESTO PLANX V4.0";  // at offset 4, without terminator
inline constexpr std::size_t kMagicOffset = 4;
inline constexpr std::size_t kVersionOffset = 25;
inline constexpr int kMinVersion = 4;
inline constexpr int kMaxVersion = 11;

// Judges the first 32 bytes of a file.
DrawingHeader ParseDrawingHeader(const unsigned char* bytes, std::size_t size);

// Reads at most the first 32 bytes of the file and judges them.
DrawingHeader ReadDrawingHeader(const std::string& path);

const char* HeaderStatusText(HeaderStatus status);

}  // namespace standin
