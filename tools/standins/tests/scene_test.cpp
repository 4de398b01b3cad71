#include "support/scene.h"

#include <gtest/gtest.h>

#include <set>

namespace standin {
namespace {

CsdDrawing Drawing() {
  CsdDrawing d;
  d.name = "plan.VX";
  d.version = 4;
  d.style = DefaultStyle();
  return d;
}

std::vector<std::uint8_t> RowOf(const SceneRaster& r, std::uint32_t y) {
  std::vector<std::uint8_t> row(r.Width() * 3u);
  r.Row(y, row.data());
  return row;
}

// Rows whose middle pixel is the colour, top to bottom.
std::vector<std::uint32_t> RowsWithColourAt(const SceneRaster& r, std::uint32_t x, Rgb c) {
  std::vector<std::uint32_t> rows;
  for (std::uint32_t y = 0; y < r.Height(); ++y) {
    auto row = RowOf(r, y);
    if (Rgb{row[3 * x], row[3 * x + 1], row[3 * x + 2]} == c) rows.push_back(y);
  }
  return rows;
}

TEST(SceneRaster, SizeIsMillimetresTimesResolutionRounded) {
  Scene a3 = BuildScene(Drawing(), 420, 297, {});
  SceneRaster at96(a3, 96);
  EXPECT_EQ(at96.Width(), 1587u);   // 1587.4
  EXPECT_EQ(at96.Height(), 1123u);  // 1122.5 rounds up
  SceneRaster at300(BuildScene(Drawing(), 297, 210, {}), 300);
  EXPECT_EQ(at300.Width(), 3508u);
  EXPECT_EQ(at300.Height(), 2480u);
  SceneRaster tiny(BuildScene(Drawing(), 1, 1, {}), 10);
  EXPECT_EQ(tiny.Width(), 1u) << "never less than one pixel";
}

TEST(SceneRaster, PensShowInTheirColourAndWidth) {
  CsdDrawing d = Drawing();
  d.style.pens[1] = Pen{10, 20, 30, 1.0};  // 1 mm at 254 dpi is 10 pixels
  d.style.pens[2] = Pen{40, 50, 60, 0.0};  // no width still shows as one pixel
  Scene scene = BuildScene(d, 200, 150, {});
  SceneRaster r(scene, 254);
  std::uint32_t middle = r.Width() * 3 / 4;
  EXPECT_EQ(RowsWithColourAt(r, middle, {10, 20, 30}).size(), 10u);
  EXPECT_EQ(RowsWithColourAt(r, middle, {40, 50, 60}).size(), 1u);

  SceneOptions thin;
  thin.ignore_widths = true;
  SceneRaster r_thin(BuildScene(d, 200, 150, thin), 254);
  EXPECT_EQ(RowsWithColourAt(r_thin, middle, {10, 20, 30}).size(), 1u);

  d.style.pens[1] = Pen{255, 255, 255, 1.0};  // white on screen
  SceneRaster r_white(BuildScene(d, 200, 150, {}), 254);
  EXPECT_EQ(RowsWithColourAt(r_white, middle, kBlack).size(),
            RowsWithColourAt(r, middle, kBlack).size() + 10)
      << "prints black";
}

TEST(SceneRaster, MonochromeHoldsOnlyBlackAndWhite) {
  SceneOptions mono;
  mono.monochrome = true;
  SceneRaster r(BuildScene(Drawing(), 100, 70, mono), 150);
  std::set<std::uint32_t> seen;
  for (std::uint32_t y = 0; y < r.Height(); ++y) {
    auto row = RowOf(r, y);
    for (std::uint32_t x = 0; x < r.Width(); ++x) {
      seen.insert(std::uint32_t{row[3 * x]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 |
                  row[3 * x + 2]);
    }
  }
  EXPECT_EQ(seen, (std::set<std::uint32_t>{0x000000, 0xFFFFFF}));
  EXPECT_EQ(r.Colours().size(), 2u);

  SceneRaster colour(BuildScene(Drawing(), 100, 70, {}), 150);
  EXPECT_GT(colour.Colours().size(), 10u);
}

// Runs of ink along the row through a line: lengths of dashes and gaps in pixels.
std::vector<std::pair<bool, std::uint32_t>> Runs(const SceneRaster& r, std::uint32_t y,
                                                 std::uint32_t from, std::uint32_t to) {
  auto row = RowOf(r, y);
  std::vector<std::pair<bool, std::uint32_t>> runs;
  for (std::uint32_t x = from; x < to; ++x) {
    bool ink = row[3 * x] != 255;
    if (runs.empty() || runs.back().first != ink) runs.emplace_back(ink, 0);
    ++runs.back().second;
  }
  return runs;
}

TEST(SceneRaster, LineTypesFollowTheirDashPattern) {
  CsdDrawing d = Drawing();
  d.style.line_types[1].segments = {6, 1, 1, 1, 0, 0};  // dash-dot chain, in mm
  d.style.line_types[3].segments = {0, 0, 0, 0, 0, 0};  // no pattern: solid
  Scene scene = BuildScene(d, 300, 200, {});
  SceneRaster r(scene, 254);  // 10 pixels per millimetre
  const SceneLine& chain = scene.lines[kPenCount + 1];
  auto y = static_cast<std::uint32_t>(chain.y * 10);
  auto x0 = static_cast<std::uint32_t>(chain.x0 * 10 + 0.5);
  auto runs = Runs(r, y, x0, x0 + 180);
  ASSERT_GE(runs.size(), 8u);
  const std::pair<bool, std::uint32_t> expected[] = {{true, 60},  {false, 10}, {true, 10},
                                                     {false, 10}, {true, 60},  {false, 10}};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(runs[i], expected[i]) << i;

  const SceneLine& dotted = scene.lines[kPenCount + 3];
  EXPECT_TRUE(dotted.dashes.empty());
  auto solid = Runs(r, static_cast<std::uint32_t>(dotted.y * 10), x0, x0 + 500);
  EXPECT_EQ(solid.size(), 1u);
  EXPECT_TRUE(solid[0].first);
}

TEST(SceneRaster, ZeroLengthDashesStillShowAsDots) {
  CsdDrawing d = Drawing();
  d.style.line_types[3].segments = {0, 1, 0, 0, 0, 0};
  Scene scene = BuildScene(d, 300, 200, {});
  SceneRaster r(scene, 254);
  const SceneLine& dotted = scene.lines[kPenCount + 3];
  auto x0 = static_cast<std::uint32_t>(dotted.x0 * 10 + 0.5);
  auto runs = Runs(r, static_cast<std::uint32_t>(dotted.y * 10), x0, x0 + 44);
  ASSERT_EQ(runs.size(), 8u);
  EXPECT_EQ(runs[0], std::make_pair(true, 1u));
  EXPECT_EQ(runs[1], std::make_pair(false, 10u));
}

TEST(SceneRaster, WritesTheDrawingsNameAboveTheLines) {
  auto title_ink = [](const std::string& name) {
    CsdDrawing d = Drawing();
    d.name = name;
    Scene scene = BuildScene(d, 420, 297, {});
    SceneRaster r(scene, 96);
    std::size_t ink = 0;
    const double px = 96 / 25.4;
    for (auto y = static_cast<std::uint32_t>((scene.title_baseline - scene.title_size) * px);
         y < static_cast<std::uint32_t>(scene.title_baseline * px); ++y) {
      auto row = RowOf(r, y);
      for (std::uint32_t x = 0; x < r.Width() / 2; ++x) ink += row[3 * x] == 0 ? 1 : 0;
    }
    return ink;
  };
  std::size_t frame_only = title_ink("");
  EXPECT_GT(title_ink("plan.VX"), frame_only + 100);
  EXPECT_GT(title_ink("plan.VX"), title_ink("p.VX")) << "longer names, more ink";
}

}  // namespace
}  // namespace standin
