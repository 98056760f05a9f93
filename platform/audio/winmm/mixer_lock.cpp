#include <windows.h>

#include "platform/audio/mixer.h"

namespace {

// A function-local object, so the lock exists before any static constructor could mix.
CRITICAL_SECTION& MixerSection() {
  static CRITICAL_SECTION section;
  static bool ready = false;
  if (!ready) {
    InitializeCriticalSection(&section);
    ready = true;
  }
  return section;
}

}  // namespace

void LockMixer() { EnterCriticalSection(&MixerSection()); }

void UnlockMixer() { LeaveCriticalSection(&MixerSection()); }
