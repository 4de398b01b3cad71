#pragma once
// The drafting system's display settings (VELLUMIX.SYS): pen colours, pen display widths and
// the dash patterns of the patterned line types, as the parameter file takes them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings/options.h"
#include "platform/profile_reader.h"

namespace plotxfer::params {

inline constexpr std::size_t kPaletteEntries = 20;
inline constexpr std::size_t kPenCount = 12;  // pens 1 to 12 are palette entries 0 to 11
inline constexpr std::size_t kLineTypeCount = 5;

// Colours as 0x00BBGGRR: red in bits 0-7, green 8-15, blue 16-23; bits 24-31 mean nothing.
using PaletteTable = std::array<std::int32_t, kPaletteEntries>;
// Display widths of pens 1 to 12, in screen pixels.
using PenWidthTable = std::array<std::int32_t, kPenCount>;

inline constexpr PaletteTable kBuiltInPenPalette = {
    65280,   16776960, 16777215, 16711935, 16711680, 8388736,  32896, 8421504,  3329434,  42495,
    3901624, 11823615, 16711935, 255,      65535,    16777215, 0,     16777215, 16776960, 8388608};

inline int RedOf(std::int32_t colour) {
  return static_cast<int>(colour & 0xFF);
}
inline int GreenOf(std::int32_t colour) {
  return static_cast<int>((colour >> 8) & 0xFF);
}
inline int BlueOf(std::int32_t colour) {
  return static_cast<int>((colour >> 16) & 0xFF);
}

// One dash pattern; it is drawn dash 1, gap 1, dash 2, gap 2, dash 3, gap 3, and each line type
// uses a leading part of it. Lengths are passed on as the drafting system gives them.
struct LineTypePattern {
  double dash1 = 0;
  double dash2 = 0;
  double dash3 = 0;
  double gap1 = 0;
  double gap2 = 0;
  double gap3 = 0;
  bool operator==(const LineTypePattern&) const = default;
};

enum LineType : std::size_t {
  kDashedLine = 0,       // dash 1, gap 1
  kChainLine = 1,        // dash-dot: dash 1, gap 1, dash 2, gap 2
  kDoubleChainLine = 2,  // dash-dot-dot: all six lengths
  kDottedLine = 3,       // dash 1, gap 1
  kAuxiliaryLine = 4,    // dash 1, gap 1
};

using LineTypeTable = std::array<LineTypePattern, kLineTypeCount>;

// Key prefixes of the line types in section "DSPLINPITCH", by line type.
inline constexpr std::array<const char*, kLineTypeCount> kLineTypeKeyPrefixes = {
    "DASHED_", "CHAIN_", "CHAINDD_", "DOTTED_", "ADDITION_"};

// The tables one process keeps between runs. The dialog and the command line each own one;
// nothing here is global, so every test starts from a fresh set.
struct ParamTables {
  PaletteTable PenPalette = kBuiltInPenPalette;
  PenWidthTable PenDisplayWidths = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  // From the template, once per program start; all zero while the template was not read.
  LineTypeTable LineTypeDefaults{};
  // The working copy of a run.
  LineTypeTable LineTypePatterns{};
};

// AppFolder (ending in a separator) followed by "VELLUMIX.SYS".
std::string SystemSettingsPath(const std::string& app_folder);

// Section "SYSCOLOR", keys "PALETTE0".."PALETTE19": each present key replaces its entry.
int ReadPenPalette(platform::ProfileReader& profile, const std::string& settings_path,
                   PaletteTable& palette);

// Section "LINEWIDTH", keys "DSPWIDTH0".."DSPWIDTH11": each present key replaces its entry.
int ReadPenDisplayWidths(platform::ProfileReader& profile, const std::string& settings_path,
                         PenWidthTable& widths);

// Resets LineTypePatterns from LineTypeDefaults, then, when options.PitchFlg is set and
// "OPTIONFLG" of "DSPLINPITCH" is non-zero, applies the pitch keys of that section.
int ReadLineTypePatterns(const ConversionOptions& options, platform::ProfileReader& profile,
                         ParamTables& tables);

// What every run does first: palette back to its built-in values, widths back to one pixel,
// then colours (all black for monochrome), widths (when honoured) and dash patterns from the
// settings file in AppFolder. A missing file, section or key leaves the entry as reset.
void RefreshParamTables(const ConversionOptions& options, platform::ProfileReader& profile,
                        ParamTables& tables);

}  // namespace plotxfer::params
