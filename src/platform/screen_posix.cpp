#include "platform/screen.h"

namespace plotxfer::platform {
namespace {

// No screen device to ask: the resolution Windows reports at 100 % scaling.
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
