#include "wingui/window.h"

#include <vector>

namespace plotxfer::wingui {

std::wstring Window::Text() const {
  const int n = GetWindowTextLengthW(hwnd_);
  if (n <= 0) {
    return {};
  }
  std::vector<wchar_t> buffer(static_cast<std::size_t>(n) + 1);
  const int got = GetWindowTextW(hwnd_, buffer.data(), n + 1);
  return std::wstring(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

std::string Window::TextAnsi() const {
  // The ANSI length may exceed the UTF-16 one (two bytes per double-byte character).
  const int n = GetWindowTextLengthA(hwnd_);
  if (n <= 0) {
    return {};
  }
  std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
  const int got = GetWindowTextA(hwnd_, buffer.data(), n + 1);
  return std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

}  // namespace plotxfer::wingui
