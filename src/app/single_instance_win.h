#pragma once
// One copy of the program per desktop. The first copy leaves a hidden top-level window titled
// "VELLUMIX_ImageConverter"; a later copy that finds it brings the first copy's main dialog to
// the front and ends.
#include <windows.h>

#include <string>

namespace plotxfer::app {

inline constexpr wchar_t kMarkerTitle[] = L"VELLUMIX_ImageConverter";

enum class InstanceClaim {
  kFirst,             // no other copy: the marker now stands for this one
  kOtherActivated,    // another copy runs; its main dialog was brought to the front
  kOtherNotActivated  // another copy runs, but no window with the program title was found
};

// Process exit codes of a copy that ended because another one runs (nothing examines them;
// they tell tests and scripts why a start ended at once).
inline constexpr int kExitOtherActivated = 2;
inline constexpr int kExitOtherNotActivated = 3;

// The test for another copy and the creation of the marker, as one step: a named mutex is held
// across both, so two copies started at the same moment cannot both find no marker.
InstanceClaim ClaimSingleInstance(HINSTANCE instance, const std::wstring& program_title);

}  // namespace plotxfer::app
