#include "cli/signals.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>

#include "common/posix/posix_platform.h"

namespace velqo::cli {

namespace {

volatile std::sig_atomic_t g_interrupts = 0;

extern "C" void OnInterrupt(int /*signal*/) {
  if (g_interrupts != 0) {
    // Only async-signal-safe calls from here on.
    AbortCopyInProgress();
    static const char kNote[] = "\nvelqo-cli: stopped\n";
    ssize_t ignored = write(STDERR_FILENO, kNote, sizeof kNote - 1);
    (void)ignored;
    _exit(3);
  }
  g_interrupts = 1;
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  // Restarted system calls keep file operations from failing with EINTR;
  // the answer reader polls, which returns on a signal all the same.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, sig);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);

  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

int InterruptCount() { return g_interrupts; }

}  // namespace velqo::cli
