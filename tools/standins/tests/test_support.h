#pragma once
// Helpers for the stand-in tests: scratch folders, files, and starting the tools as the converter
// does.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace standin_test {

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + separator + name.
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

extern const char kSeparator;

bool MakeDir(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A drawing file with a valid header (magic at byte 4, the version at byte 25).
std::string DrawingBytes(int version = 4, std::size_t size = 32);

// Paths of the built stand-ins, in the platform's form.
std::string VxcvpxPath();
std::string RastronPath();

struct RunResult {
  bool started = false;
  int exit_code = -1;
  bool crashed = false;  // ended by a signal (Linux) or an abnormal exit code (Windows)
  long max_rss_kib = 0;  // peak memory of the child (Linux only)
};

// Starts program with the whole command line, as the converter does: CreateProcessA on Windows;
// on Linux argv split from the line by the Windows C runtime's rules. Variables in env are set for
// the child only (an empty value unsets the variable).
RunResult StartAndWait(const std::string& program, const std::string& command_line,
                       const std::map<std::string, std::string>& env = {});

// The quoted program path followed by the arguments, as the converter writes its lines.
std::string Line(const std::string& program, const std::string& rest);

// Output of a shell command on Linux (pdfinfo, identify); nothing on Windows or when it fails.
std::optional<std::string> Capture(const std::string& shell_command);
// True when the outside readers pdfinfo and identify can be asked.
bool HaveOutsideReaders();
std::string ShellQuote(const std::string& text);

// The active narrow code page is Shift-JIS (Windows with code page 932).
bool ShiftJisCodePage();

}  // namespace standin_test
