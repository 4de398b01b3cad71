#include "platform/shell_text.h"

#include "core/text/unicode.h"

namespace plotxfer::platform {

bool NarrowFromUtf16(std::u16string_view text, std::string* out) {
  return text::Utf8FromUtf16(text, out);
}

bool NarrowFromUtf8(std::string_view text, std::string* out) {
  if (!text::IsUtf8(text)) {
    return false;
  }
  out->assign(text);
  return true;
}

std::string NarrowToUtf8(const std::string& text) {
  return text;
}

}  // namespace plotxfer::platform
