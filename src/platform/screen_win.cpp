#include <windows.h>

#include "platform/screen.h"

namespace plotxfer::platform {
namespace {

class WindowsScreen : public Screen {
 public:
  int HorizontalDpi() override {
    HDC dc = GetDC(nullptr);
    if (!dc) {
      return 0;
    }
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
  }
};

}  // namespace

Screen& SystemScreen() {
  static WindowsScreen screen;
  return screen;
}

}  // namespace plotxfer::platform
