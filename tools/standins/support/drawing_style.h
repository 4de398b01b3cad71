#pragma once
// What the export hands on about how a drawing looks: the twelve pens and the five line types.
#include <array>
#include <cstdint>
#include <string>

namespace standin {

inline constexpr int kPenCount = 12;
inline constexpr int kLineTypeCount = 5;
inline constexpr int kMaxSegments = 6;

struct Pen {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  double width_mm = 0.25;
};

// Dash, gap, dash, gap... in millimetres; a pattern of zeros draws a solid line.
struct LinePattern {
  std::array<double, kMaxSegments> segments{};
};

struct DrawingStyle {
  std::array<Pen, kPenCount> pens;
  std::array<LinePattern, kLineTypeCount> line_types;
};

// How many lengths each line type carries, in the order dashed, dash-dot chain, dash-dot-dot chain,
// dotted, auxiliary.
inline constexpr std::array<int, kLineTypeCount> kSegmentCount = {2, 4, 6, 2, 2};

// Plain names of the line types, as the CSD file writes them.
inline constexpr std::array<const char*, kLineTypeCount> kLineTypeIds = {
    "dashed", "dash-dot", "dash-dot-dot", "dotted", "auxiliary"};

// What the drafting system shows out of the box; used wherever the parameter file says nothing.
DrawingStyle DefaultStyle();

}  // namespace standin
