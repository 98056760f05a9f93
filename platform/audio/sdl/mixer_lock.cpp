#include <mutex>

#include "platform/audio/mixer.h"

namespace {
std::mutex mixerMutex;
}

void LockMixer() { mixerMutex.lock(); }

void UnlockMixer() { mixerMutex.unlock(); }
