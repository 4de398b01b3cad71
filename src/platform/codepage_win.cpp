#include "platform/codepage.h"

#include <windows.h>

namespace plotxfer::platform {

text::CodePage ActiveCodePage() {
  switch (GetACP()) {
    case 932:
      return text::CodePage::ShiftJis;
    case 65001:
      return text::CodePage::Utf8;
    default:
      return text::CodePage::SingleByte;
  }
}

}  // namespace plotxfer::platform
