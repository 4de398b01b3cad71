#pragma once
// Ctrl-C and its kin for plotxfer-batch. Linux: SIGINT, SIGTERM and SIGHUP. Windows: Ctrl-C,
// Ctrl-Break, closing the console window and shutdown.
//
// The first one sets *stop: the drawing under way is finished and no other is started. The
// second calls at_once (when given), which ends the running tool at once. Both run in a signal
// handler (Linux) or in the system's handler thread (Windows), so at_once must be safe there.
#include <atomic>

namespace plotxfer::platform {

struct InterruptHandling {
  std::atomic<bool>* stop = nullptr;
  void (*at_once)(void* context) = nullptr;
  void* context = nullptr;
  // While true, nothing has started yet (the inputs are being read, perhaps from a pipe that
  // never ends): an interrupt ends the program at once with status 130.
  const std::atomic<bool>* before_run = nullptr;
};

// Installs the handlers for the rest of the process; handling must outlive it. On Linux a closed
// output pipe no longer ends the program either (writes to it fail instead).
void InstallInterruptHandlers(InterruptHandling* handling);

// Tells a handler that waits for the run (Windows, console closed) that the run is over and its
// report is written, so the process may end.
void InterruptibleRunEnded();

}  // namespace plotxfer::platform
