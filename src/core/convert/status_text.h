#pragma once
// The per-row status texts of a run, in the platform's narrow encoding.
#include <string>

#include "core/text/codepage.h"

namespace plotxfer {

enum class RowStatus {
  Empty,       // not reached (yet)
  Converting,  // "変換中..."
  Converted,   // "変換終了"
  Failed,      // "エラー(%d)" with the result code
  Aborted,     // "中断": a drawing of a combined run that reached no result
};

// The text in Shift-JIS for code page 932 and in UTF-8 otherwise (a single-byte code page has
// no way to write it). code is used by Failed only.
std::string StatusText(RowStatus status, int code, text::CodePage cp);

}  // namespace plotxfer
