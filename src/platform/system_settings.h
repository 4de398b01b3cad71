#pragma once
// The user's settings on this platform, wired for LoadSettings and the save sequences:
//
//   plotxfer::LoadSettings(platform::SystemSettingsStore(), platform::SystemProfileReader(),
//                          platform::SystemProgramFile(program_path), options, char_vector_font);
#include <string>

#include "core/settings/settings_store.h"
#include "core/settings/stored_settings.h"

namespace plotxfer::platform {

// The settings under SOFTWARE\MORVA\PLOTXFER of the user's store: the registry on Windows, the
// REGEDIT4 file elsewhere.
SettingsStore& SystemSettingsStore();

// The program file at path, in this platform's path style and narrow code page.
ProgramFile SystemProgramFile(std::string path);

}  // namespace plotxfer::platform
