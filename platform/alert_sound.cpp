#include "platform/alert_sound.h"

#include <atomic>

#include <unistd.h>

namespace {
std::atomic<int32_t> gSounded{0};
}

void PLAlertSound() {
  ++gSounded;
  if (isatty(STDERR_FILENO)) {
    const char bell = '\a';
    ssize_t ignored = write(STDERR_FILENO, &bell, 1);
    (void)ignored;
  }
}
