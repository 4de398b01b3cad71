#include "platform/codepage.h"

namespace plotxfer::platform {

text::CodePage ActiveCodePage() {
  return text::CodePage::Utf8;
}

}  // namespace plotxfer::platform
