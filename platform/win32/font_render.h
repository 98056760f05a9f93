// Platform-internal: TrueType text for the Win32 stand-in's dialogs and DrawTextA.
//
// Glyphs come from DejaVu Sans (fonts-dejavu-core), rasterised with stb_truetype into 8-bit
// coverage and blended into 32-bit 0x00RRGGBB pixel buffers. Text is ANSI: bytes 0x20..0xFF map to
// the Latin-1 code points; other bytes are skipped. When the font file is missing, text is not
// drawn and measures as zero, and this is said once on stderr.
#pragma once
#include <windows.h>
#include <cstdint>

// A 32-bit pixel buffer that text is drawn into; `pitch` counts pixels, top row first.
struct PixelTarget {
  uint32_t* pixels;
  int width;
  int height;
  int pitch;
};

// Metrics of the font at an em size in pixels, rounded as GDI's TEXTMETRIC would give them.
struct FontMetrics {
  int ascent;
  int descent;
  int height;            // ascent + descent: one line
  int averageCharWidth;  // the dialog-unit base: mean width of "A".."Z" and "a".."z", rounded
};

bool FontAvailable();
FontMetrics FontGetMetrics(int emPixels);
// Width in pixels of the first `count` bytes of `text` (count < 0: up to the terminating zero).
int FontMeasureText(const char* text, int count, int emPixels);
// Draws text with its baseline at `baselineY`, starting at pen position `x`, clipped to `clip`
// (and to the target). `color` is 0x00RRGGBB.
void FontDrawText(const PixelTarget& target, const RECT& clip, int x, int baselineY,
                  const char* text, int count, int emPixels, uint32_t color);
