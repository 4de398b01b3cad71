#include "wingui/guard.h"

#include <atomic>
#include <cstdio>

namespace plotxfer::wingui {
namespace {
std::atomic<long> g_swallowed{0};
}

void NoteSwallowedException(const char* where) noexcept {
  ++g_swallowed;
  char line[200];
  std::snprintf(line, sizeof line, "PLOTXFER: exception stopped at %s\n", where ? where : "?");
  OutputDebugStringA(line);
}

long SwallowedExceptionCount() noexcept {
  return g_swallowed.load();
}

}  // namespace plotxfer::wingui
