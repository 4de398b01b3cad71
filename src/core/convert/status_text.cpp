#include "core/convert/status_text.h"

#include <cstdio>

namespace plotxfer {

namespace {

struct Encoded {
  const char* sjis;
  const char* utf8;
};

// 変換中... / 変換終了 / エラー(%d) / 中断
constexpr Encoded kConverting = {"\x95\xCF\x8A\xB7\x92\x86...",
                                 "\xE5\xA4\x89\xE6\x8F\x9B\xE4\xB8\xAD..."};
constexpr Encoded kConverted = {"\x95\xCF\x8A\xB7\x8F\x49\x97\xB9",
                                "\xE5\xA4\x89\xE6\x8F\x9B\xE7\xB5\x82\xE4\xBA\x86"};
constexpr Encoded kError = {"\x83\x47\x83\x89\x81\x5B(%d)",
                            "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC(%d)"};
constexpr Encoded kAborted = {"\x92\x86\x92\x66", "\xE4\xB8\xAD\xE6\x96\xAD"};

const char* Pick(const Encoded& e, text::CodePage cp) {
  return cp == text::CodePage::ShiftJis ? e.sjis : e.utf8;
}

}  // namespace

std::string StatusText(RowStatus status, int code, text::CodePage cp) {
  switch (status) {
    case RowStatus::Empty:
      return {};
    case RowStatus::Converting:
      return Pick(kConverting, cp);
    case RowStatus::Converted:
      return Pick(kConverted, cp);
    case RowStatus::Failed: {
      char buf[40];
      std::snprintf(buf, sizeof buf, Pick(kError, cp), code);
      return buf;
    }
    case RowStatus::Aborted:
      return Pick(kAborted, cp);
  }
  return {};
}

}  // namespace plotxfer
