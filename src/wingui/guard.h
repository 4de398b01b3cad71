#pragma once
// Keeps exceptions inside the window procedure that met them: a C++ exception that unwound through
// user32 would end the process or leave the window manager in an undefined state.
#include <windows.h>

namespace plotxfer::wingui {

// Records an exception caught at a window-procedure boundary (debugger output; counted for tests).
void NoteSwallowedException(const char* where) noexcept;

// How many exceptions the procedures have swallowed since the process started.
long SwallowedExceptionCount() noexcept;

// Runs f and returns its result; any exception is swallowed and gives fallback.
template <class F, class R>
R Guarded(const char* where, R fallback, F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    NoteSwallowedException(where);
    return fallback;
  }
}

}  // namespace plotxfer::wingui
