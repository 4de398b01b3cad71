#pragma once
#include "core/text/codepage.h"

namespace plotxfer::platform {

// The code page of the platform's narrow strings: the ANSI code page on Windows, UTF-8 elsewhere.
text::CodePage ActiveCodePage();

}  // namespace plotxfer::platform
