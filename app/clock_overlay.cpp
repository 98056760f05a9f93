#include "app/clock_overlay.h"

#include <windows.h>

#include "app/settings.h"
#include "text/bitmap_font.h"

void DrawClockOverlay() {
  if (!settings.showTime) return;
  char text[32];
  // A failed format leaves nothing worth drawing.
  if (GetTimeFormatA(0, 0, nullptr, nullptr, text, sizeof text) == 0) return;
  DrawString(300.0f, -275.0f, 14.0f, text);
}
