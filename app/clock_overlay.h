// The clock in the lower right corner of the scene.
#pragma once

// Draws the local time in the user's time format when the settings ask for it; sets no
// render states and draws under those the scene left behind.
void DrawClockOverlay();
