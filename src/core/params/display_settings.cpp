#include "core/params/display_settings.h"

#include <cstdio>

#include "core/params/number_text.h"
#include "core/text/scan.h"

namespace plotxfer::params {

namespace {

// The profile reader's buffer: values are used up to 253 bytes.
constexpr std::size_t kProfileBuffer = 254;

std::string ReadValue(platform::ProfileReader& profile, const std::string& path,
                      const char* section, const std::string& key) {
  return profile.GetString(path, section, key.c_str(), kProfileBuffer);
}

std::string NumberedKey(const char* stem, std::size_t n) {
  char key[32];
  std::snprintf(key, sizeof key, "%s%zu", stem, n);
  return key;
}

// Reads one length key; the target keeps its value unless the key holds a number.
bool ReadLength(platform::ProfileReader& profile, const std::string& path, const std::string& key,
                double& target) {
  const auto value = ParseLength(ReadValue(profile, path, "DSPLINPITCH", key));
  if (!value) {
    return false;
  }
  target = *value;
  return true;
}

}  // namespace

std::string SystemSettingsPath(const std::string& app_folder) {
  return app_folder + "VELLUMIX.SYS";
}

int ReadPenPalette(platform::ProfileReader& profile, const std::string& settings_path,
                   PaletteTable& palette) {
  for (std::size_t n = 0; n < palette.size(); ++n) {
    if (const auto value = text::WrappedInt(
            ReadValue(profile, settings_path, "SYSCOLOR", NumberedKey("PALETTE", n)))) {
      palette[n] = *value;
    }
  }
  return 0;
}

int ReadPenDisplayWidths(platform::ProfileReader& profile, const std::string& settings_path,
                         PenWidthTable& widths) {
  for (std::size_t n = 0; n < widths.size(); ++n) {
    if (const auto value = text::WrappedInt(
            ReadValue(profile, settings_path, "LINEWIDTH", NumberedKey("DSPWIDTH", n)))) {
      widths[n] = *value;
    }
  }
  return 0;
}

int ReadLineTypePatterns(const ConversionOptions& options, platform::ProfileReader& profile,
                         ParamTables& tables) {
  tables.LineTypePatterns = tables.LineTypeDefaults;
  if (options.PitchFlg == 0) {
    return 0;
  }
  const std::string path = SystemSettingsPath(options.AppFolder);
  const auto enabled = text::WrappedInt(ReadValue(profile, path, "DSPLINPITCH", "OPTIONFLG"));
  if (!enabled || *enabled == 0) {
    return 0;
  }
  for (std::size_t type = 0; type < kLineTypeCount; ++type) {
    const std::string prefix = kLineTypeKeyPrefixes[type];
    LineTypePattern& p = tables.LineTypePatterns[type];
    ReadLength(profile, path, prefix + "LIN1", p.dash1);
    if (ReadLength(profile, path, prefix + "ITV1", p.gap1)) {
      // The drafting system keeps one interval for all gaps of a chain line.
      if (type == kChainLine || type == kDoubleChainLine) {
        p.gap2 = p.gap1;
      }
      if (type == kDoubleChainLine) {
        p.gap3 = p.gap1;
      }
    }
    if (type == kChainLine || type == kDoubleChainLine) {
      // The dot of a chain line; both dots of the dash-dot-dot line share it.
      if (ReadLength(profile, path, prefix + "LIN2", p.dash2) && type == kDoubleChainLine) {
        p.dash3 = p.dash2;
      }
    }
  }
  return 0;
}

void RefreshParamTables(const ConversionOptions& options, platform::ProfileReader& profile,
                        ParamTables& tables) {
  const std::string path = SystemSettingsPath(options.AppFolder);
  tables.PenDisplayWidths.fill(1);
  // A run's colours must not depend on the runs before it: a monochrome run would otherwise
  // leave every pen whose key is missing black until the program restarts.
  tables.PenPalette = kBuiltInPenPalette;
  if (options.BAndWFlg == 1) {
    tables.PenPalette.fill(0);
  } else {
    ReadPenPalette(profile, path, tables.PenPalette);
  }
  if (options.WIdtHFlg == 1) {
    ReadPenDisplayWidths(profile, path, tables.PenDisplayWidths);
  }
  ReadLineTypePatterns(options, profile, tables);
}

}  // namespace plotxfer::params
