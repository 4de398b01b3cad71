#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "platform/interrupt.h"

namespace plotxfer::platform {

namespace {

InterruptHandling* g_handling = nullptr;
std::atomic<int> g_count{0};

void Say(const char* text) {
  // write() is what a signal handler may use.
  const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

extern "C" void OnSignal(int) {
  const int count = ++g_count;
  if (g_handling == nullptr) {
    return;
  }
  if (g_handling->before_run != nullptr && g_handling->before_run->load()) {
    Say("\nplotxfer-batch: interrupted while reading the drawings; nothing was converted\n");
    _exit(130);
  }
  if (count == 1) {
    g_handling->stop->store(true);
    Say("\nplotxfer-batch: interrupted; the drawing under way is finished, no other is started "
        "(interrupt again to end it at once)\n");
  } else if (count == 2 && g_handling->at_once != nullptr) {
    Say("\nplotxfer-batch: interrupted again; ending the running tool\n");
    g_handling->at_once(g_handling->context);
  }
}

}  // namespace

void InstallInterruptHandlers(InterruptHandling* handling) {
  g_handling = handling;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal_number, &action, nullptr);
  }
  // A reader that stops early (| head -1) must not end the run and lose its report.
  signal(SIGPIPE, SIG_IGN);
}

void InterruptibleRunEnded() {
}

}  // namespace plotxfer::platform
