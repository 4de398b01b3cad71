#pragma once
// String-table texts and printf-style formatting.
//
// The dialog's own texts are loaded as UTF-16 so that they read right under any ANSI code page;
// the ANSI forms serve what goes into paths, list cells taken from paths and the external tools.
#include <windows.h>

#include <string>
#include <string_view>

namespace plotxfer::wingui {

// The module whose resources the texts, dialogs and icons come from (the program by default).
HINSTANCE ResourceInstance();
void SetResourceInstance(HINSTANCE instance);

// Text id of the string table; empty when the id has no text.
std::wstring LoadText(UINT id);
// The same text in the ANSI code page (characters it lacks become '?').
std::string LoadTextAnsi(UINT id);
// The same text in UTF-8.
std::string LoadTextUtf8(UINT id);

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// printf conventions; the result is never cut short.
std::string Format(const char* format, ...);
std::wstring FormatW(const wchar_t* format, ...);

}  // namespace plotxfer::wingui
