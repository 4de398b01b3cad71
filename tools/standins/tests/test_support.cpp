#include "test_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/win_cmdline.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace standin_test {

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

namespace {

std::string NativeToolPath(const char* built) {
#ifdef _WIN32
  // The build runs on Linux; Wine sees its files through drive Z:.
  std::string path = built;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
#else
  return built;
#endif
}

}  // namespace

ScratchDir::ScratchDir() {
#ifdef _WIN32
  char temp[MAX_PATH];
  DWORD n = ::GetTempPathA(MAX_PATH, temp);
  std::string base(temp, n);
  for (unsigned k = 0;; ++k) {
    std::string candidate = base + "stt" + std::to_string(::GetCurrentProcessId()) + "_" +
                            std::to_string(::GetTickCount() + k);
    if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      break;
    }
  }
#else
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sttXXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
#endif
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::string ScratchDir::operator/(const std::string& name) const {
  return path_ + kSeparator + name;
}

bool MakeDir(const std::string& path) {
#ifdef _WIN32
  return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
#else
  return ::mkdir(path.c_str(), 0755) == 0;
#endif
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  std::string bytes;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

bool FileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::string DrawingBytes(int version, std::size_t size) {
  std::string bytes(size, '\x5A');
  const std::string magic = "KRESTO PLANX V4.0";
  if (size >= 4 + magic.size()) bytes.replace(4, magic.size(), magic);
  if (size > 25) bytes[25] = static_cast<char>(version);
  return bytes;
}

std::string VxcvpxPath() {
  return NativeToolPath(STANDIN_VXCVPX);
}
std::string RastronPath() {
  return NativeToolPath(STANDIN_RASTRON);
}

std::string Line(const std::string& program, const std::string& rest) {
  return "\"" + program + "\" " + rest;
}

#ifdef _WIN32

RunResult StartAndWait(const std::string& program, const std::string& command_line,
                       const std::map<std::string, std::string>& env) {
  std::map<std::string, std::optional<std::string>> saved;
  for (const auto& [name, value] : env) {
    char buf[32768];
    DWORD n = ::GetEnvironmentVariableA(name.c_str(), buf, sizeof buf);
    saved[name] =
        n > 0 && n < sizeof buf ? std::optional<std::string>(std::string(buf, n)) : std::nullopt;
    ::SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
  }
  RunResult result;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USEPOSITION;
  char desktop[] = "";
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION info{};
  std::string line = command_line;
  if (::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                       &info)) {
    result.started = true;
    ::WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    result.exit_code = static_cast<int>(code);
    // abort() ends a console program with code 3; an unhandled exception with an NTSTATUS.
    result.crashed = code == 3 || code >= 0xC0000000u;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
  }
  for (const auto& [name, value] : saved) {
    ::SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
  }
  return result;
}

std::optional<std::string> Capture(const std::string&) {
  return std::nullopt;
}
bool HaveOutsideReaders() {
  return false;
}

bool ShiftJisCodePage() {
  return ::GetACP() == 932;
}

#else

RunResult StartAndWait(const std::string& program, const std::string& command_line,
                       const std::map<std::string, std::string>& env) {
  std::vector<std::string> args = standin::SplitWindowsCommandLine(command_line);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> variables;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (env.count(name) == 0) variables.push_back(entry);
  }
  for (const auto& [name, value] : env) {
    if (!value.empty()) variables.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);

  RunResult result;
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
    return result;
  }
  result.started = true;
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) return result;
  }
  result.max_rss_kib = usage.ru_maxrss;
  if (WIFEXITED(status)) {
    result.exit_code = WEXITSTATUS(status);
  } else {
    result.crashed = true;
  }
  return result;
}

std::optional<std::string> Capture(const std::string& shell_command) {
  std::FILE* pipe = ::popen(shell_command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  int status = ::pclose(pipe);
  if (status != 0) return std::nullopt;
  return out;
}

bool HaveOutsideReaders() {
  static const bool have =
      Capture("command -v pdfinfo >/dev/null 2>&1 && command -v identify >/dev/null 2>&1 && echo y")
          .has_value();
  return have;
}

bool ShiftJisCodePage() {
  return false;
}

#endif

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

}  // namespace standin_test
