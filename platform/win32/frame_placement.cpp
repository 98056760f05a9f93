// Where a picture of one aspect goes in an output of another: fitted with black bars, or filling
// the output and cropped. Shared by the Direct3D stand-in's choice of back buffer and by every
// present, which must agree to the pixel on the rectangle's size.
#include "platform/win32/win32_internal.h"

namespace {
bool fillsScreen = false;
}  // namespace

Win32Rect Win32FitInside(int outputWidth, int outputHeight, int width, int height) {
  if (width <= 0 || height <= 0) return Win32Rect{0, 0, outputWidth, outputHeight};
  Win32Rect r;
  if (int64_t(outputWidth) * height <= int64_t(outputHeight) * width) {
    r.width = outputWidth;
    r.height = int(int64_t(height) * outputWidth / width);
  } else {
    r.height = outputHeight;
    r.width = int(int64_t(width) * outputHeight / height);
  }
  r.x = (outputWidth - r.width) / 2;
  r.y = (outputHeight - r.height) / 2;
  return r;
}

Win32Rect Win32FillOutside(int outputWidth, int outputHeight, int width, int height) {
  if (width <= 0 || height <= 0) return Win32Rect{0, 0, outputWidth, outputHeight};
  Win32Rect r;
  if (int64_t(outputWidth) * height >= int64_t(outputHeight) * width) {
    r.width = outputWidth;
    r.height = int((int64_t(height) * outputWidth + width - 1) / width);
  } else {
    r.height = outputHeight;
    r.width = int((int64_t(width) * outputHeight + height - 1) / height);
  }
  r.x = (outputWidth - r.width) / 2;
  r.y = (outputHeight - r.height) / 2;
  return r;
}

BackBufferPlacement Win32PlaceFrame(int outputWidth, int outputHeight, int width, int height, bool fill) {
  if (fill) {
    Win32Rect r = Win32FillOutside(outputWidth, outputHeight, width, height);
    return BackBufferPlacement{outputWidth, outputHeight, r.x, r.y, r.width, r.height};
  }
  Win32Rect r = Win32FitInside(outputWidth, outputHeight, width, height);
  return BackBufferPlacement{r.width, r.height, 0, 0, r.width, r.height};
}

void Win32SetFillScreen(bool fill) { fillsScreen = fill; }

bool Win32FillsScreen() { return fillsScreen; }
