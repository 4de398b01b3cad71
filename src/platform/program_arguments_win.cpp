#include "platform/program_arguments.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/shell_text.h"

namespace plotxfer::platform {

bool ProgramArguments(int argc, char** argv, std::vector<std::string>* args, std::string* why) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) {
    // No wide command line to be had: the C runtime's words are all there is.
    args->assign(argv, argv + argc);
    return true;
  }
  std::vector<std::string> narrow;
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) {
    std::string word;
    const std::wstring_view wide(words[i]);
    ok = NarrowFromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()), &word);
    if (!ok) {
      *why = "argument " + std::to_string(i) + " holds a character that the system's code page (" +
             std::to_string(GetACP()) + ") cannot hold, so the tools could not open it";
    }
    narrow.push_back(std::move(word));
  }
  LocalFree(words);
  if (ok) {
    *args = std::move(narrow);
  }
  return ok;
}

}  // namespace plotxfer::platform
