// winmm's timeGetTime and kernel32's GetTickCount over the monotonic clock.
#include <windows.h>

#include <ctime>

#include "record.h"

namespace {

DWORD MonotonicMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Truncation to 32 bits gives the real timer's wrap-around.
  return DWORD(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

}  // namespace

DWORD timeGetTime(void) {
  return VirtualClockActive() ? VirtualClockNow() : MonotonicMilliseconds();
}

DWORD GetTickCount(void) { return MonotonicMilliseconds(); }
