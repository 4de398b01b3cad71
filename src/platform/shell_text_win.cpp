#include "platform/shell_text.h"

#include <windows.h>

#include <utility>

namespace plotxfer::platform {

bool NarrowFromUtf16(std::u16string_view text, std::string* out) {
  if (text.empty()) {
    out->clear();
    return true;
  }
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int wide_len = static_cast<int>(text.size());
  const UINT acp = GetACP();
  // CP_UTF8 takes neither the best-fit flag nor the used-default flag; it reports broken
  // UTF-16 through WC_ERR_INVALID_CHARS instead.
  const bool utf8 = acp == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_out = utf8 ? nullptr : &used_default;
  const int len =
      WideCharToMultiByte(acp, flags, wide, wide_len, nullptr, 0, nullptr, used_default_out);
  if (len <= 0 || used_default) {
    return false;
  }
  std::string narrow(static_cast<std::size_t>(len), '\0');
  if (WideCharToMultiByte(acp, flags, wide, wide_len, narrow.data(), len, nullptr,
                          used_default_out) != len ||
      used_default) {
    return false;
  }
  *out = std::move(narrow);
  return true;
}

bool NarrowFromUtf8(std::string_view text, std::string* out) {
  if (text.empty()) {
    out->clear();
    return true;
  }
  const int size = static_cast<int>(text.size());
  const int wide_len =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wide_len <= 0) {
    return false;
  }
  std::u16string wide(static_cast<std::size_t>(wide_len), u'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size,
                      reinterpret_cast<wchar_t*>(wide.data()), wide_len);
  return NarrowFromUtf16(wide, out);
}

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

}  // namespace plotxfer::platform
