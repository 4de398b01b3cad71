#include "platform/atomic_file.h"

#include <windows.h>

#include <cstdio>

namespace plotxfer::platform {

namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) {
    char code[32];
    std::snprintf(code, sizeof code, " (error %lu)", GetLastError());
    *error = what + code;
  }
  return false;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string* error) {
  // The temporary name only appends ASCII to the path, so no character of it is split.
  const std::string tmp = path + ".tmp" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return Fail(error, "cannot create " + tmp);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      const DWORD saved = GetLastError();
      CloseHandle(h);
      DeleteFileA(tmp.c_str());
      SetLastError(saved);
      return Fail(error, "cannot write " + tmp);
    }
    done += written;
  }
  if (!FlushFileBuffers(h)) {
    const DWORD saved = GetLastError();
    CloseHandle(h);
    DeleteFileA(tmp.c_str());
    SetLastError(saved);
    return Fail(error, "cannot flush " + tmp);
  }
  CloseHandle(h);
  if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD saved = GetLastError();
    DeleteFileA(tmp.c_str());
    SetLastError(saved);
    return Fail(error, "cannot replace " + path);
  }
  return true;
}

}  // namespace plotxfer::platform
