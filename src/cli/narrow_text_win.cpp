#include <windows.h>

#include "cli/narrow_text.h"

namespace plotxfer::cli {

std::string NarrowToUtf8(const std::string& text) {
  if (text.empty()) {
    return text;
  }
  const int size = static_cast<int>(text.size());
  const int wide_len = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (wide_len <= 0) {
    return text;
  }
  std::wstring wide(static_cast<std::size_t>(wide_len), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wide_len);
  const int len =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
  if (len <= 0) {
    return text;
  }
  std::string utf8(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, utf8.data(), len, nullptr, nullptr);
  return utf8;
}

}  // namespace plotxfer::cli
