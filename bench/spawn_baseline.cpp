// The baseline of the conversion benchmark: starts the tools with the given command lines one
// after the other and waits for each, with no converter logic around them (no header test, no
// deletions, no existence checks, no line building). They are started the way plotxfer-batch
// starts them (its runner, without limits), so that only what the converter adds is compared:
// under Wine a plain start and wait costs a third more per tool than one in a job object.
//   spawn_baseline [--screen] LINES-FILE
// Each line of LINES-FILE is a whole command line whose first token is the quoted program path.
// With --screen it first asks the screen's resolution, as every conversion does for the parameter
// file; on Windows that loads the window and graphics libraries, which under Wine makes each later
// process start dearer (the starting process is copied), so the two baselines tell the price of
// the question from that of the converter's own work.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/process.h"

namespace {

// Loaded by name, so that the plain baseline does not carry the libraries.
int AskScreenResolution() {
#ifdef _WIN32
  HMODULE user = LoadLibraryA("user32.dll");
  HMODULE gdi = LoadLibraryA("gdi32.dll");
  if (user == nullptr || gdi == nullptr) {
    return 0;
  }
  const auto get_dc = reinterpret_cast<HDC(WINAPI*)(HWND)>(
      reinterpret_cast<void*>(GetProcAddress(user, "GetDC")));
  const auto release_dc = reinterpret_cast<int(WINAPI*)(HWND, HDC)>(
      reinterpret_cast<void*>(GetProcAddress(user, "ReleaseDC")));
  const auto caps = reinterpret_cast<int(WINAPI*)(HDC, int)>(
      reinterpret_cast<void*>(GetProcAddress(gdi, "GetDeviceCaps")));
  if (get_dc == nullptr || release_dc == nullptr || caps == nullptr) {
    return 0;
  }
  HDC dc = get_dc(nullptr);
  const int dpi = dc != nullptr ? caps(dc, LOGPIXELSX) : 0;
  release_dc(nullptr, dc);
  return dpi;
#else
  return 96;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const bool screen = argc == 3 && std::strcmp(argv[1], "--screen") == 0;
  if (argc != 2 && !screen) {
    std::fprintf(stderr, "usage: spawn_baseline [--screen] LINES-FILE\n");
    return 2;
  }
  if (screen && AskScreenResolution() <= 0) {
    std::fprintf(stderr, "spawn_baseline: the screen gave no resolution\n");
    return 1;
  }
  const char* lines_file = argv[argc - 1];
  std::ifstream in(lines_file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "spawn_baseline: cannot read %s\n", lines_file);
    return 2;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.size() > 1 && line[0] == '"') {
      lines.push_back(line);
    }
  }
  const auto supervised = plotxfer::platform::MakeSupervisedProcessRunner({});
  auto& runner = *supervised;
  int failed = 0;
  for (const std::string& line : lines) {
    const std::string program = line.substr(1, line.find('"', 1) - 1);
    if (runner.Run(program, line) == plotxfer::platform::ToolOutcome::NotStarted) {
      ++failed;
    }
  }
  if (failed != 0) {
    std::fprintf(stderr, "spawn_baseline: %d of %zu tools did not start\n", failed, lines.size());
    return 1;
  }
  return 0;
}
