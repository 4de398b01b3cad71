#include "wingui/strings.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace plotxfer::wingui {
namespace {

HINSTANCE g_resource_instance = nullptr;

std::wstring ToWide(UINT code_page, std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int n =
      MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  }
  return out;
}

std::string FromWide(UINT code_page, std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int n = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  }
  return out;
}

}  // namespace

HINSTANCE ResourceInstance() {
  return g_resource_instance ? g_resource_instance : GetModuleHandleW(nullptr);
}

void SetResourceInstance(HINSTANCE instance) {
  g_resource_instance = instance;
}

std::wstring LoadText(UINT id) {
  // With a zero buffer size LoadStringW hands out a pointer into the resource itself,
  // so texts of any length come back whole.
  const wchar_t* text = nullptr;
  const int n = LoadStringW(ResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || text == nullptr) {
    return {};
  }
  return std::wstring(text, static_cast<std::size_t>(n));
}

std::string LoadTextAnsi(UINT id) {
  return WideToAnsi(LoadText(id));
}

std::string LoadTextUtf8(UINT id) {
  return WideToUtf8(LoadText(id));
}

std::wstring AnsiToWide(std::string_view text) {
  return ToWide(CP_ACP, text);
}
std::string WideToAnsi(std::wstring_view text) {
  return FromWide(CP_ACP, text);
}
std::wstring Utf8ToWide(std::string_view text) {
  return ToWide(CP_UTF8, text);
}
std::string WideToUtf8(std::wstring_view text) {
  return FromWide(CP_UTF8, text);
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n));
    std::vsnprintf(out.data(), out.size() + 1, format, args);
  }
  va_end(args);
  return out;
}

std::wstring FormatW(const wchar_t* format, ...) {
  // vswprintf reports a too-small buffer only by failing, so grow until it fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) {
      return std::wstring(buffer.data(), static_cast<std::size_t>(n));
    }
    if (buffer.size() > (1u << 24)) {
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace plotxfer::wingui
