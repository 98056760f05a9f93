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

// Where a presented frame is drawn: a back buffer of `width` x `height` pixels and the rectangle
// of it onto which the application's own back-buffer size maps. The rectangle reaches outside the
// buffer when the picture fills a window of another aspect and is cropped.
struct BackBufferPlacement {
  int width, height;
  int pictureX, pictureY, pictureWidth, pictureHeight;
};

// The back buffer that shows a `logicalWidth` x `logicalHeight` picture at the display's own
// resolution in `window`: the picture's rectangle fitted into (or filling) the window's client
// area. False when the window is not shown on a display (headless, or not yet known).
bool Win32FramePlacement(HWND window, int logicalWidth, int logicalHeight, BackBufferPlacement* placement);

// Memory for the pixels of a `width` x `height` frame shown in `window` that its X server reads
// straight from (a shared-memory segment attached to it), so a present of exactly that frame
// copies nothing. Null where presenting needs a copy or a conversion anyway: no X window, no
// MIT-SHM, or a visual whose pixels are not the frame's own.
uint32_t* Win32AllocateSharedFrame(HWND window, int width, int height);
// Gives back what Win32AllocateSharedFrame returned.
void Win32FreeSharedFrame(uint32_t* pixels);
