#include <windows.h>
#include <mmsystem.h>

#include "record.h"

// Only this file may reach winmm's own timer.
#undef timeGetTime

DWORD RecordedTimeGetTime(void) {
  return VirtualClockActive() ? VirtualClockNow() : timeGetTime();
}
