#include "platform/screen.h"

#include <windows.h>

namespace plotxfer::platform {

namespace {

class DesktopScreen : public Screen {
 public:
  int HorizontalDpi() override {
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) {
      return 0;
    }
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
  }
};

}  // namespace

Screen& SystemScreen() {
  static DesktopScreen screen;
  return screen;
}

}  // namespace plotxfer::platform
