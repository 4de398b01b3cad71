#include "support/drawing_style.h"

namespace standin {

DrawingStyle DefaultStyle() {
  DrawingStyle style;
  static constexpr std::uint8_t kColours[kPenCount][3] = {
      {0, 0, 0},     {255, 0, 0},  {0, 160, 0},   {0, 0, 255},  {200, 160, 0}, {200, 0, 200},
      {0, 160, 200}, {96, 96, 96}, {255, 128, 0}, {128, 64, 0}, {0, 96, 64},   {0, 0, 128}};
  static constexpr double kWidths[kPenCount] = {0.13, 0.18, 0.25, 0.35, 0.5,  0.7,
                                                1.0,  1.4,  2.0,  0.26, 0.52, 0.79};
  for (int i = 0; i < kPenCount; ++i) {
    style.pens[i] = Pen{kColours[i][0], kColours[i][1], kColours[i][2], kWidths[i]};
  }
  style.line_types[0].segments = {3.0, 1.0, 0, 0, 0, 0};
  style.line_types[1].segments = {6.0, 1.0, 1.0, 1.0, 0, 0};
  style.line_types[2].segments = {6.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  style.line_types[3].segments = {0.5, 1.0, 0, 0, 0, 0};
  style.line_types[4].segments = {2.0, 2.0, 0, 0, 0, 0};
  return style;
}

}  // namespace standin
