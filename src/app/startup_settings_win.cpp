#include "app/startup_settings_win.h"

#include "core/settings/stored_settings.h"
#include "platform/profile_reader.h"
#include "platform/program_path.h"
#include "platform/system_settings.h"

namespace plotxfer::app {

void LoadStartupSettings(ConversionOptions& options, int& char_vector_font) {
  LoadSettings(platform::SystemSettingsStore(), platform::SystemProfileReader(),
               platform::SystemProgramFile(platform::ProgramFilePath()), options, char_vector_font);
}

}  // namespace plotxfer::app
