#include "app/plotxfer_app_win.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/single_instance_win.h"
#include "app/startup_settings_win.h"
#include "core/params/param_file.h"
#include "platform/screen.h"
#include "platform/system_settings.h"
#include "resources/resource.h"
#include "ui/pltxfr_dlg_win.h"
#include "wingui/strings.h"

namespace plotxfer::app {
namespace {

int ScreenDpi() {
  const int dpi = platform::SystemScreen().HorizontalDpi();
  return dpi > 0 ? dpi : 96;
}

}  // namespace

CPLOTXFERApp::CPLOTXFERApp() : Options(ConversionOptions::WithScreenDpi(ScreenDpi())) {
}

std::span<const wingui::CommandEntry<CPLOTXFERApp>> CPLOTXFERApp::CommandTable() {
  static const wingui::CommandEntry<CPLOTXFERApp> table[] = {
      {wingui::kHelpCommand, BN_CLICKED, &CPLOTXFERApp::OnHelp},
  };
  return table;
}

bool CPLOTXFERApp::InitInstance() {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);

  Application::InitInstance();

  const std::wstring title = wingui::LoadText(IDS_APP_TITLE);
  switch (ClaimSingleInstance(instance(), title)) {
    case InstanceClaim::kOtherActivated:
      set_exit_code(kExitOtherActivated);
      return false;
    case InstanceClaim::kOtherNotActivated:
      set_exit_code(kExitOtherNotActivated);
      return false;
    case InstanceClaim::kFirst:
      break;
  }

  LoadStartupSettings(Options, CharVectorFont);

  ui::PLTXFRDlg dialog;
  dialog.FillFrom(Options);
  dialog.UseRecord(Options, platform::SystemSettingsStore());
  // A run takes its options into the record and its tables from the process.
  ui::DialogServices services = dialog.services();
  services.record = &Options;
  services.char_vector_font = CharVectorFont;
  services.tables = &Tables;
  dialog.SetServices(services);
  // A missing or unreadable template leaves the defaults as they are; the dialog opens all the
  // same.
  dialog.SetLineTypeLoader(
      [this](const std::string& app_folder) { params::LoadLineTypeDefaults(app_folder, Tables); });
  dialog.DoModal();
  return false;
}

void CPLOTXFERApp::OnHelpUnavailable(const std::wstring& path) {
  std::wstring text = wingui::LoadText(IDS_HELP_UNAVAILABLE);
  const std::size_t at = text.find(L"%s");
  if (at != std::wstring::npos) {
    text.replace(at, 2, path);
  }
  const std::wstring caption = wingui::LoadText(IDS_APP_TITLE);
  MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace plotxfer::app
