// The virtual millisecond clock of recorded runs: with VESPERGLEN_FRAME_MS=n, time starts at 0
// and moves by exactly n at each present, so runs are reproducible frame for frame.
#include <cstdio>
#include <cstdlib>

#include "record.h"

namespace {

DWORD virtualNow = 0;

// Read on every call so the variable can be set at any time before the first frame.
bool FrameLength(DWORD* length) {
  const char* text = std::getenv("VESPERGLEN_FRAME_MS");
  if (text == nullptr || text[0] == '\0') return false;
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 10);
  if (*end != '\0' || text[0] == '-' || value > 0xFFFFFFFFul) {
    static bool reported = false;
    if (!reported) std::fprintf(stderr, "VESPERGLEN_FRAME_MS=%s is not a number of ms\n", text);
    reported = true;
    return false;
  }
  *length = DWORD(value);
  return true;
}

}  // namespace

bool VirtualClockActive() {
  DWORD length;
  return FrameLength(&length);
}

DWORD VirtualClockNow() { return virtualNow; }

void VirtualClockAdvance() {
  DWORD length;
  if (FrameLength(&length)) virtualNow += length;
}
