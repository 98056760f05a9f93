// How large the software device's back buffer is. An application that asks for 800 x 600 on a
// 1920 x 1080 screen gets a 1440 x 1080 buffer and its 800 x 600 space mapped onto it, so edges,
// text and filtered textures are drawn at the screen's own resolution instead of blown up.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/d3d8/soft_objects.h"
#include "platform/d3d8/software_device.h"

namespace {

int forcedWidth = 0;
int forcedHeight = 0;

BackBufferPlacement Whole(int width, int height) { return BackBufferPlacement{width, height, 0, 0, width, height}; }

// "WxH" with both sides from 1 to the largest span the rasterizer draws.
bool ParseSize(const char* text, int* width, int* height) {
  if (text == nullptr) return false;
  int w = 0, h = 0;
  char tail = 0;
  if (std::sscanf(text, "%dx%d%c", &w, &h, &tail) != 2) return false;
  if (w < 1 || h < 1 || w > kMaxSpanWidth || h > kMaxSpanWidth) return false;
  *width = w;
  *height = h;
  return true;
}

bool SizeFromEnvironment(int* width, int* height) {
  const char* text = std::getenv("VESPERGLEN_SIZE");
  if (text == nullptr || text[0] == '\0') return false;
  if (ParseSize(text, width, height)) return true;
  static bool told = false;
  if (!told) std::fprintf(stderr, "VESPERGLEN_SIZE=%s is not WxH (1 to %d each); ignored\n", text, kMaxSpanWidth);
  told = true;
  return false;
}

bool Recording() {
  const char* capture = std::getenv("VESPERGLEN_CAPTURE");
  return capture != nullptr && capture[0] != '\0';
}

bool Fits(const BackBufferPlacement& p) {
  return p.width >= 1 && p.height >= 1 && p.width <= kMaxSpanWidth && p.height <= kMaxSpanWidth &&
         p.pictureWidth >= 1 && p.pictureHeight >= 1;
}

}  // namespace

BackBufferPlacement ChooseBackBuffer(HWND window, int logicalWidth, int logicalHeight) {
  int width, height;
  if (forcedWidth > 0 && forcedHeight > 0) return Whole(forcedWidth, forcedHeight);
  if (SizeFromEnvironment(&width, &height)) return Whole(width, height);
  BackBufferPlacement placement;
  if (!Recording() && window != nullptr &&
      Win32FramePlacement(window, logicalWidth, logicalHeight, &placement) && Fits(placement)) {
    return placement;
  }
  return Whole(logicalWidth, logicalHeight);
}

void ScalePretransformed(RasterVertex* vertices, UINT count, const BackBufferPlacement& placement,
                         UINT logicalWidth, UINT logicalHeight) {
  if (placement.pictureX == 0 && placement.pictureY == 0 && UINT(placement.pictureWidth) == logicalWidth &&
      UINT(placement.pictureHeight) == logicalHeight) {
    return;
  }
  const float sx = float(placement.pictureWidth) / float(logicalWidth);
  const float sy = float(placement.pictureHeight) / float(logicalHeight);
  for (UINT i = 0; i < count; ++i) {
    vertices[i].x = float(placement.pictureX) + vertices[i].x * sx;
    vertices[i].y = float(placement.pictureY) + vertices[i].y * sy;
  }
}

void SoftwareDeviceSetBackBufferSize(int width, int height) {
  bool valid = width >= 1 && height >= 1 && width <= kMaxSpanWidth && height <= kMaxSpanWidth;
  forcedWidth = valid ? width : 0;
  forcedHeight = valid ? height : 0;
}
