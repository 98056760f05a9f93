// Platform-internal: how the Direct3D stand-in shows a presented frame in a saver window.
#pragma once
#include <windows.h>
#include <cstdint>

// Shows `pixels` (32-bit 0xAARRGGBB rows, `pitchBytes` apart, top row first) in the client area of
// `window`, scaled to fit with its aspect kept. When `waitForRetrace` is true and a display exists,
// returns after the display's next vertical retrace. Headless (no display) it does nothing.
void Win32ShowFrame(HWND window, const uint32_t* pixels, int width, int height, int pitchBytes,
                    bool waitForRetrace);

// True when windows are really shown (a display is available and SDL_VIDEODRIVER is not dummy).
bool Win32HasDisplay();
