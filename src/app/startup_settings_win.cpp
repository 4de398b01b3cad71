#include "app/startup_settings_win.h"

#include "core/text/path.h"
#include "platform/codepage.h"
#include "platform/program_path.h"

namespace plotxfer::app {

void LoadStartupSettings(ConversionOptions& options, int& char_vector_font) {
  // SEAM(settings): the settings store's LoadSettings takes over here once it is on main; until
  // then the record keeps its defaults and only AppFolder is derived.
  (void)char_vector_font;
  options.AppFolder = text::FolderOfPath(platform::ProgramFilePath(), text::PathStyle::Windows,
                                         platform::ActiveCodePage());
}

}  // namespace plotxfer::app
