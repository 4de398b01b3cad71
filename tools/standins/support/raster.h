#pragma once
// An image that is produced one row at a time, so that no encoder ever holds the whole picture.
#include <cstdint>
#include <vector>

namespace standin {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual std::uint32_t Width() const = 0;
  virtual std::uint32_t Height() const = 0;
  // Fills Width() pixels of row y (0 is the top row) as red, green, blue bytes. Rows may be asked
  // for in any order.
  virtual void Row(std::uint32_t y, std::uint8_t* rgb) const = 0;
  // Every colour a row can hold; at most 256.
  virtual std::vector<Rgb> Colours() const = 0;
};

// Ink for a black-and-white picture: anything darker than mid-grey.
inline bool IsDark(const std::uint8_t* rgb) {
  return 299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2] < 128000;
}

}  // namespace standin
