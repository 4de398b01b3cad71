#pragma once
// The application object of PLOTXFER.exe.
#include <windows.h>

#include "core/params/display_settings.h"
#include "core/settings/options.h"
#include "wingui/application.h"

namespace plotxfer::app {

class CPLOTXFERApp : public wingui::ApplicationImpl<CPLOTXFERApp> {
 public:
  // The record takes its defaults here, with both resolutions from the screen.
  CPLOTXFERApp();

  // Start-up: COM and common controls, base start-up, one copy per desktop, the settings, then
  // the main dialog run modally. Always false: the process ends when the dialog has ended.
  bool InitInstance() override;

  static std::span<const wingui::CommandEntry<CPLOTXFERApp>> CommandTable();

  ConversionOptions Options;

 protected:
  void OnHelpUnavailable(const std::wstring& path) override;

 public:
  int CharVectorFont = kDefaultCharVectorFont;
  // Pen and line-type tables of the process; the line-type defaults are read once at start.
  params::ParamTables Tables;
};

// The one application object of the process.
CPLOTXFERApp& TheApp();

}  // namespace plotxfer::app
