#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/atomic_file.h"

namespace plotxfer::platform {

namespace {

std::wstring Wide(const std::string& narrow) {
  if (narrow.empty()) {
    return {};
  }
  const int n =
      MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), wide.data(), n);
  }
  return wide;
}

// The long form (\\?\C:\... or \\?\UNC\server\...) of an absolute path, so that a temporary
// name beside a file whose path is near MAX_PATH can still be made.
std::wstring LongForm(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) {
    return path;
  }
  const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) {
    return path;
  }
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) {
    return L"\\\\?\\UNC\\" + full.substr(2);
  }
  return L"\\\\?\\" + full;
}

std::wstring FolderOf(const std::wstring& path) {
  const auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? L"." : path.substr(0, cut);
}

class Replacement {
 public:
  Replacement(std::string_view bytes, std::string* error, const ReplaceControl& control)
      : bytes_(bytes), error_(error), control_(control) {}

  bool Run(const std::string& path) {
    shown_ = path;
    ResolveTarget(Wide(path));
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    exists_ = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists_ && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      SetLastError(ERROR_DIRECTORY);
      return Fail("cannot replace " + path + ", which is not a plain file");
    }
    HANDLE h = MakeTemporary();
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD saved = GetLastError();
      if (exists_) {
        return InPlace("no temporary file can be made beside it", saved);
      }
      SetLastError(saved);
      return Fail("cannot create a temporary file beside " + path);
    }
    if (!WriteAll(h, bytes_) || !Allowed(ReplaceStep::kWrite, bytes_.size())) {
      Discard(h);
      return Fail("cannot write a temporary file beside " + path);
    }
    if (!FlushFileBuffers(h)) {
      Discard(h);
      return Fail("cannot flush a temporary file beside " + path);
    }
    CloseHandle(h);
    if (!Allowed(ReplaceStep::kCommit, bytes_.size())) {
      const DWORD saved = GetLastError();
      DeleteFileW(temp_.c_str());
      SetLastError(saved);
      return Fail("cannot replace " + path);
    }
    // ReplaceFileW keeps the replaced file's attributes, security and streams.
    const bool done =
        exists_ ? ::ReplaceFileW(target_.c_str(), temp_.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                : MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!done) {
      const DWORD saved = GetLastError();
      DeleteFileW(temp_.c_str());
      SetLastError(saved);
      return Fail("cannot replace " + path);
    }
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    if (error_ != nullptr) {
      char code[32];
      std::snprintf(code, sizeof code, " (error %lu)", GetLastError());
      *error_ = what + code;
    }
    return false;
  }

  bool Allowed(ReplaceStep step, std::size_t written) {
    if (control_.fault && !control_.fault(step, written)) {
      SetLastError(step == ReplaceStep::kWrite ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
      return false;
    }
    return true;
  }

  // A link (symbolic link or junction on the way) is followed to the file it names; a file that
  // does not exist yet is created under its own name.
  void ResolveTarget(const std::wstring& path) {
    target_ = LongForm(path);
    HANDLE h =
        CreateFileW(target_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      return;
    }
    wchar_t buffer[32768];
    const DWORD n =
        GetFinalPathNameByHandleW(h, buffer, 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n > 0 && n < 32768) {
      target_.assign(buffer, n);
    }
  }

  // A short name beside the target: "~px" and four hexadecimal digits.
  HANDLE MakeTemporary() {
    if (!Allowed(ReplaceStep::kCreateTemporary, 0)) {
      return INVALID_HANDLE_VALUE;
    }
    const std::wstring folder = FolderOf(target_);
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (DWORD k = 0; k < 64; ++k) {
      wchar_t name[16];
      std::swprintf(name, 16, L"\\~px%04lx.tmp", static_cast<unsigned long>((seed + k) & 0xFFFF));
      const std::wstring candidate = folder + name;
      HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        temp_ = candidate;
        return h;
      }
      if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
        return INVALID_HANDLE_VALUE;
      }
    }
    return INVALID_HANDLE_VALUE;
  }

  void Discard(HANDLE h) {
    const DWORD saved = GetLastError();
    CloseHandle(h);
    DeleteFileW(temp_.c_str());
    SetLastError(saved);
  }

  bool WriteAll(HANDLE h, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
      if (!Allowed(ReplaceStep::kWrite, done)) {
        return false;
      }
      // A block at a time, so a failure (and a test's injected one) lands between blocks.
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 4096));
      DWORD written = 0;
      if (!WriteFile(h, data.data() + done, chunk, &written, nullptr) || written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  // The new bytes over the old, then the new end of file; on a failed write the old bytes go back.
  bool InPlace(const char* why, DWORD create_error) {
    HANDLE h = CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      SetLastError(create_error);
      return Fail("cannot create a temporary file beside " + shown_);
    }
    LARGE_INTEGER size{};
    std::string old;
    bool read = GetFileSizeEx(h, &size) != 0 && size.QuadPart < (1LL << 30);
    if (read) {
      old.resize(static_cast<std::size_t>(size.QuadPart));
      DWORD got = 0;
      read =
          old.empty() || (ReadFile(h, old.data(), static_cast<DWORD>(old.size()), &got, nullptr) &&
                          got == old.size());
    }
    if (!read) {
      const DWORD saved = GetLastError();
      CloseHandle(h);
      SetLastError(saved);
      return Fail("cannot read " + shown_ + " before rewriting it");
    }
    auto rewrite = [h](Replacement& r, std::string_view data) {
      LARGE_INTEGER zero{};
      LARGE_INTEGER end{};
      end.QuadPart = static_cast<LONGLONG>(data.size());
      return SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) && r.WriteAll(h, data) &&
             SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h) &&
             FlushFileBuffers(h);
    };
    if (!rewrite(*this, bytes_)) {
      const DWORD saved = GetLastError();
      const ReplaceControl none;
      Replacement restore(old, nullptr, none);
      const bool restored = rewrite(restore, old);
      CloseHandle(h);
      SetLastError(saved);
      return Fail("cannot rewrite " + shown_ + " in place" +
                  (restored ? " (its old content is back)" : " (it may be damaged)"));
    }
    CloseHandle(h);
    if (control_.notice) {
      control_.notice("rewrote " + shown_ + " in place: " + why);
    }
    return true;
  }

  std::string_view bytes_;
  std::string* error_;
  const ReplaceControl& control_;
  std::string shown_;
  std::wstring target_;
  std::wstring temp_;
  bool exists_ = false;
};

}  // namespace

bool ReplaceFileSafely(const std::string& path, std::string_view bytes, std::string* error,
                       const ReplaceControl& control) {
  return Replacement(bytes, error, control).Run(path);
}

}  // namespace plotxfer::platform
