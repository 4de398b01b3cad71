#pragma once

namespace plotxfer::platform {

class Screen {
 public:
  virtual ~Screen() = default;
  // The screen's horizontal logical pixels per inch; 0 or less when there is no answer.
  virtual int HorizontalDpi() = 0;
};

// GetDC/GetDeviceCaps(LOGPIXELSX)/ReleaseDC on Windows; 96 where there is no screen device.
Screen& SystemScreen();

}  // namespace plotxfer::platform
