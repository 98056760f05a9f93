// The frame driver: one frame of the full-screen saver, the blank start frame, and the scene's
// set-up before the first frame and shutdown after the last.
#pragma once
#include "math/matrix.h"

// The scene's view, rebuilt at the start of every frame.
extern Matrix4 baseView;
// Milliseconds since the start, advanced at the end of every scene frame.
// Double, so the sum keeps moving for months; a float stops gaining 16 ms frames after 3 days.
extern double sceneClock;
// Milliseconds a scene stays on show; 0 until InitScene sets it.
extern float sceneChangeInterval;

void RunFrame();
void DrawBlankFrame();
bool InitScene();
void ShutdownScene();
