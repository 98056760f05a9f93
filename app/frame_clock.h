// The frame clock: milliseconds between the last two updates, from timeGetTime, with unsigned
// 32-bit wrap-around and no clamp. Updated once per frame after the present.
#pragma once
#include <windows.h>

extern DWORD lastFrameTime;
extern DWORD frameDeltaMs;
extern float frameDelta;

// Just before the main loop: the last frame time becomes now.
void StartFrameClock();
void UpdateFrameClock();
// When the saver window becomes active again: time spent inactive must not reach the animations.
void ResetFrameClock();
