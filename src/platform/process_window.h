#pragma once
// Waiting for a tool from the dialog's thread (Windows only).
#include "platform/process.h"

namespace plotxfer::platform {

// Starts tools exactly as SystemProcessRunner does and, like it, never stops one. While the tool
// runs, the calling thread keeps its windows alive without running any of their handlers:
// - messages sent to them from other threads and processes are answered (so the system never
//   marks the window "Not responding", and other programs asking it something are not blocked);
// - paint messages are dispatched, so status texts written just before the tool are shown;
// - everything else (input, posted commands, timers, a quit message) stays in the queue in its
//   order, for the caller's own message pump after the tool has ended: an Abort click made while
//   a tool runs is dispatched there, between drawings.
ProcessRunner& WindowServingProcessRunner();

}  // namespace plotxfer::platform
