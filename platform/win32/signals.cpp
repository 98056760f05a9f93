// SIGINT and SIGTERM end the run through WM_QUIT, so a killed saver still tears down and writes
// its settings. The handler only sets a flag; the message queue turns it into the quit message.
#include <signal.h>

#include "platform/win32/win32_internal.h"

namespace {
volatile sig_atomic_t signalCaught = 0;

void OnSignal(int) { signalCaught = 1; }
}  // namespace

void Win32InstallSignalHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool Win32TakeSignal() {
  if (signalCaught == 0) return false;
  signalCaught = 0;
  return true;
}
