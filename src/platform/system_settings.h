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

// The file the settings live in (the REGEDIT4 file); empty where they live in the registry.
std::string SystemSettingsFile();

// A dry run reads the settings but never moves a broken settings file aside.
void KeepBrokenSettingsFile();

// What became of a settings file that could not be read, since the program started; empty
// when the settings were read or there were none.
std::string SettingsFallback();

// The program file at path, in this platform's path style and narrow code page.
ProgramFile SystemProgramFile(std::string path);

}  // namespace plotxfer::platform
