#include "support/system.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "support/win_cmdline.h"

namespace standin {

std::string ReceivedCommandLine(int, char**) {
  const char* line = ::GetCommandLineA();
  return line != nullptr ? std::string(line) : std::string();
}

std::vector<std::string> ReceivedArguments(int argc, char** argv) {
  return SplitWindowsCommandLine(ReceivedCommandLine(argc, argv),
                                 [](unsigned char c) { return IsLeadByte(c); });
}

bool IsLeadByte(unsigned char c) {
  return ::IsDBCSLeadByteEx(CP_ACP, c) != 0;
}

bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}

std::optional<std::string> GetEnvironment(const char* name) {
  DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) {
    if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::string value(size, '\0');
  DWORD got = ::GetEnvironmentVariableA(name, value.data(), size);
  value.resize(got < size ? got : 0);
  return value;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (!::CloseHandle(file)) ok = false;
  return ok;
}

void SleepMilliseconds(std::uint32_t ms) {
  ::Sleep(ms);
}

void CrashNow() {
  // No error box: a crash of a tool started without a window must never wait for a click. A console
  // program's abort only writes its message to standard error and ends with code 3.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  std::abort();
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const std::string& path) {
  ::DeleteFileA(path.c_str());
}

std::uint32_t ProcessId() {
  return ::GetCurrentProcessId();
}

std::u16string NarrowToUtf16(const std::string& text) {
  if (text.empty()) return {};
  int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return std::u16string(wide.begin(), wide.end());
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return ::_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

}  // namespace standin
