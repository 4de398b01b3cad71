#include "setup/vxsetup.h"

#include <cstring>
#include <string_view>

#include "core/text/codepage.h"
#include "platform/codepage.h"
#include "setup/exe_path.h"
#include "setup/multibyte_tokenizer.h"

namespace {

constexpr std::size_t kFolderBufferSize = VXSETUP_FOLDER_BUFFER_SIZE;
constexpr std::size_t kTextBufferSize = VXSETUP_MAX_TEXT_BYTES + 1;

// The folder found by the last call; cleared by every call before anything else happens.
char g_install_folder[kFolderBufferSize];

// Length of text when it fits in limit bytes, else limit; never reads past its terminator.
std::size_t BoundedLength(const char* text, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && text[n] != '\0') {
    ++n;
  }
  return n;
}

}  // namespace

extern "C" VXSETUP_EXPORT int VXSETUP_CALL GetDefaultInstallPath(char* folder) {
  std::memset(g_install_folder, 0, sizeof g_install_folder);
  if (folder == nullptr) {
    return 0;
  }
  folder[0] = '\0';

  char value[kFolderBufferSize] = {};
  std::size_t size = 0;
  if (!plotxfer::setup::ReadExePath(value, kFolderBufferSize - 1, &size)) {
    return 0;
  }
  value[size] = '\0';

  const std::string_view path(value);
  const std::size_t cut =
      plotxfer::text::FindLastBackslash(path, plotxfer::platform::ActiveCodePage());
  if (cut == plotxfer::text::npos) {
    return 0;
  }
  std::memcpy(g_install_folder, value, cut);
  g_install_folder[cut] = '\0';
  std::memcpy(folder, g_install_folder, cut + 1);
  return cut > 0 ? 1 : 0;
}

extern "C" VXSETUP_EXPORT int VXSETUP_CALL GetEndToken(const char* text, const char* delimiters,
                                                       char* token) {
  if (token != nullptr) {
    token[0] = '\0';
  }
  if (text == nullptr || delimiters == nullptr || token == nullptr) {
    return 0;
  }
  const std::size_t length = BoundedLength(text, kTextBufferSize);
  if (length >= kTextBufferSize) {
    return 0;  // longer than the working buffer: refused rather than cut
  }
  char work[kTextBufferSize];
  std::memcpy(work, text, length + 1);

  const plotxfer::text::CodePage cp = plotxfer::platform::ActiveCodePage();
  for (const char* t = plotxfer::setup::NextToken(work, delimiters, cp); t != nullptr;
       t = plotxfer::setup::NextToken(nullptr, delimiters, cp)) {
    std::strcpy(token, t);
  }
  return token[0] != '\0' ? 1 : 0;
}
