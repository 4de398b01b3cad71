#pragma once
#include "core/text/path.h"

namespace plotxfer::platform {

// How paths are written on the platform we run on.
inline constexpr text::PathStyle NativePathStyle() {
#ifdef _WIN32
  return text::PathStyle::Windows;
#else
  return text::PathStyle::Posix;
#endif
}

}  // namespace plotxfer::platform
