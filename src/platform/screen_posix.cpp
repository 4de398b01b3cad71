#include "platform/screen.h"

namespace plotxfer::platform {

namespace {

// No screen device to ask: the resolution only converts pixels to millimetres, and 96 is the
// resolution the drafting system's display settings assume.
class FixedScreen : public Screen {
 public:
  int HorizontalDpi() override { return 96; }
};

}  // namespace

Screen& SystemScreen() {
  static FixedScreen screen;
  return screen;
}

}  // namespace plotxfer::platform
