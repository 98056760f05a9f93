#include "app/frame_clock.h"

#include <mmsystem.h>

DWORD lastFrameTime = 0;
DWORD frameDeltaMs = 0;
float frameDelta = 0.0f;

namespace {
constexpr float kSpeedFactor = 1.0f;
}

void StartFrameClock() { lastFrameTime = timeGetTime(); }

void UpdateFrameClock() {
  DWORD now = timeGetTime();
  frameDeltaMs = now - lastFrameTime;  // unsigned: correct across the 32-bit wrap
  lastFrameTime = now;
  frameDelta = float(frameDeltaMs) * kSpeedFactor;
}

void ResetFrameClock() {
  frameDeltaMs = 0;
  frameDelta = 0.0f;
  lastFrameTime = timeGetTime();
}
