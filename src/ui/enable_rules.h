#pragma once
// When each control of the main dialog is enabled, as data: the run locks and unlocks exactly
// the controls whose rule depends on it, and tests check every control against its rule.
#include <array>

#include "resources/resource.h"

namespace plotxfer::ui {

enum class EnableRule {
  Always,              // the read-only folder field and the list
  OutsideRun,          // everything a run must not see changed
  OutsideRunImage,     // image formats: outside a run, with image output chosen
  WithRows,            // Abort: whenever the list has rows, a run included
  OutsideRunWithRows,  // Execute
  Hidden,              // buttons without a function, never shown
};

struct ControlRule {
  int id;
  EnableRule rule;
};

struct EnableState {
  bool running = false;
  int pdf_or_image = 0;
  int row_count = 0;
};

// The controls the run locks come first, in the order it switches them; the image formats last.
inline constexpr std::array<ControlRule, 24> kControlRules = {{
    {IDC_EXECUTE, EnableRule::OutsideRunWithRows},
    {IDC_ADD_FILE, EnableRule::OutsideRun},
    {IDC_DELETE_FILE, EnableRule::OutsideRun},
    {IDC_EXIT, EnableRule::OutsideRun},
    {ID_HELP, EnableRule::OutsideRun},
    {IDC_BROWSE_FOLDER, EnableRule::OutsideRun},
    {IDC_FILE_FOLDER, EnableRule::OutsideRun},
    {IDC_SEL_FOLDER, EnableRule::OutsideRun},
    {IDC_MONOCHROME, EnableRule::OutsideRun},
    {IDC_LINE_WIDTH, EnableRule::OutsideRun},
    {IDC_LINE_PITCH, EnableRule::OutsideRun},
    {IDC_FONTS, EnableRule::OutsideRun},
    {IDC_OUTPUT_SETTINGS, EnableRule::OutsideRun},
    {IDC_PDF, EnableRule::OutsideRun},
    {IDC_IMAGE, EnableRule::OutsideRun},
    {IDC_BMP, EnableRule::OutsideRunImage},
    {IDC_GIF, EnableRule::OutsideRunImage},
    {IDC_JPEG, EnableRule::OutsideRunImage},
    {IDC_TIFF, EnableRule::OutsideRunImage},
    {IDC_ABORT, EnableRule::WithRows},
    {IDC_FOLDER_EDIT, EnableRule::Always},
    {IDC_DRAWING_LIST, EnableRule::Always},
    {IDC_READ_LIST, EnableRule::Hidden},
    {IDC_WRITE_LIST, EnableRule::Hidden},
}};

inline constexpr std::array<int, 4> kImageFormatIds = {IDC_BMP, IDC_GIF, IDC_JPEG, IDC_TIFF};

// Whether a control under this rule is enabled in the given state.
constexpr bool EnabledBy(EnableRule rule, const EnableState& s) {
  switch (rule) {
    case EnableRule::Always:
      return true;
    case EnableRule::OutsideRun:
      return !s.running;
    case EnableRule::OutsideRunImage:
      return !s.running && s.pdf_or_image == 1;
    case EnableRule::WithRows:
      return s.row_count > 0;
    case EnableRule::OutsideRunWithRows:
      return !s.running && s.row_count > 0;
    case EnableRule::Hidden:
      return false;
  }
  return false;
}

// Whether the run switches this control when it starts and ends.
constexpr bool LockedByRun(EnableRule rule) {
  return rule == EnableRule::OutsideRun || rule == EnableRule::OutsideRunImage ||
         rule == EnableRule::OutsideRunWithRows;
}

}  // namespace plotxfer::ui
