// The frame-rate overlay of --fps, drawn into the back buffer as it is presented, in the lower
// left corner as X screen-saver hacks show theirs.
#include <SDL.h>

#include <cstdio>

#include "platform/d3d8/soft_objects.h"
#include "platform/win32/command_options.h"
#include "platform/win32/font_render.h"

namespace {

struct FrameRate {
  uint64_t windowStart;
  int framesInWindow;
  double shown;  // frames per second over the last whole second
};

FrameRate frameRate;

void CountFrame() {
  const uint64_t now = SDL_GetPerformanceCounter();
  const uint64_t frequency = SDL_GetPerformanceFrequency();
  if (frameRate.windowStart == 0) frameRate.windowStart = now;
  ++frameRate.framesInWindow;
  if (now - frameRate.windowStart >= frequency) {
    frameRate.shown = double(frameRate.framesInWindow) * double(frequency) / double(now - frameRate.windowStart);
    frameRate.windowStart = now;
    frameRate.framesInWindow = 0;
  }
}

}  // namespace

void DrawFrameRateOverlay(uint32_t* pixels, int width, int height, int pitch) {
  if (!Win32CommandLineOptions().fps) return;
  CountFrame();
  if (!FontAvailable()) return;
  char text[32];
  std::snprintf(text, sizeof text, "FPS: %.1f", frameRate.shown);
  const int em = height / 40 > 12 ? height / 40 : 12;
  const FontMetrics metrics = FontGetMetrics(em);
  const int margin = em / 2;
  const int boxWidth = FontMeasureText(text, -1, em) + 2 * margin;
  const int boxHeight = metrics.height + margin;
  const int top = height - boxHeight - margin;
  for (int y = top < 0 ? 0 : top; y < height - margin && y < height; ++y) {
    for (int x = margin; x < margin + boxWidth && x < width; ++x) pixels[size_t(y) * size_t(pitch) + size_t(x)] = 0xFF000000u;
  }
  PixelTarget target{pixels, width, height, pitch};
  RECT clip{0, 0, width, height};
  FontDrawText(target, clip, 2 * margin, top + margin / 2 + metrics.ascent, text, -1, em, 0xFFFFFF);
}
