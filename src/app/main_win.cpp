// The process entry of PLOTXFER.exe.
#include <windows.h>

#include "app/plotxfer_app_win.h"

namespace plotxfer::app {
namespace {
// Built before start-up runs, as the framework expects of its application object.
CPLOTXFERApp the_app;
}  // namespace

CPLOTXFERApp& TheApp() {
  return the_app;
}

}  // namespace plotxfer::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  return plotxfer::app::TheApp().Run(instance, show_command);
}
