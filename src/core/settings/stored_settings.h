#pragma once
// Filling the option record from the settings store at start-up, and the two save sequences:
// the general options at every run start and the output options when the output settings sheet
// is confirmed.
#include <string>
#include <string_view>

#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "core/text/codepage.h"
#include "platform/profile_reader.h"

namespace plotxfer {

// The drafting system's settings file, in the application folder.
inline constexpr std::string_view kSystemSettingsFile = "VELLUMIX.SYS";

// The running program's own file, from which the application folder is taken.
struct ProgramFile {
  std::string path;       // full path of the program file
  char separator = '\\';  // the path style: '\\' for Windows paths, '/' for POSIX ones
  text::CodePage code_page = text::CodePage::ShiftJis;
};

// The folder of program_path with a separator at its end: D:\Apps\Conv\prog.exe gives
// D:\Apps\Conv\. A path without any separator gives the current folder (".\" or "./").
std::string AppFolderOf(std::string_view program_path, char separator, text::CodePage cp);

// Fills options (whose defaults are already in place) and char_vector_font from the store and
// from the drafting system's settings file. A value that is missing or out of range leaves the
// field as it was.
void LoadSettings(const SettingsStore& store, platform::ProfileReader& profile,
                  const ProgramFile& program, ConversionOptions& options, int& char_vector_font);

// Sets char_vector_font from CHARVECTORFONT of section FONTINFO in app_folder's VELLUMIX.SYS
// when that starts with a number; otherwise leaves it as it was.
void ReadCharVectorFont(platform::ProfileReader& profile, std::string_view app_folder,
                        int& char_vector_font);

// Copies the general options captured at run start into options and stores them. True when
// every value was stored; the dialog ignores the answer, the command line reports it.
bool SaveGeneralSettings(SettingsStore& store, const GeneralOptions& captured,
                         ConversionOptions& options);

// Stores the output options of the record: page sizes of both kinds, ConnectNum and OutXdpi.
// A custom size pair is stored only for a paper number of 11. True when every value was stored.
bool SaveOutputSettings(SettingsStore& store, const ConversionOptions& options);

// Stores the folder of the last accepted file selection, where the next one opens.
bool SaveAddFilFolder(SettingsStore& store, const std::string& folder);

}  // namespace plotxfer
