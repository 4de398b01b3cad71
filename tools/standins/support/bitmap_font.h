#pragma once
// A small bitmap font for the names written into raster pages.
#include <cstdint>

namespace standin {

inline constexpr int kGlyphWidth = 8;
inline constexpr int kGlyphHeight = 12;

// The rows of a character's glyph; characters outside printable ASCII show as '?'.
const std::uint8_t* Glyph(unsigned char c);

}  // namespace standin
