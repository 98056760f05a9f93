#include "platform/win32/font_render.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Static, so that no other user of stb_truetype in the program can clash with this copy.
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_truetype.h>
#pragma GCC diagnostic pop

namespace {

const char* const kFontPaths[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};

// Glyph bitmaps are cached per size, code point and quarter-pixel offset: a dialog repaints the
// same few dozen glyphs on every mouse move.
const int kSubpixelSteps = 4;
const int kMaxGlyphs = 4096;

struct GlyphBitmap {
  int emPixels;
  int codepoint;
  int subpixel;
  int width, height, xOffset, yOffset;
  unsigned char* coverage;
};

struct FontState {
  bool tried;
  bool loaded;
  unsigned char* fileData;
  stbtt_fontinfo info;
  GlyphBitmap glyphs[kMaxGlyphs];
  int glyphCount;
};

FontState font;

bool LoadFontFile() {
  for (const char* path : kFontPaths) {
    FILE* file = std::fopen(path, "rb");
    if (!file) continue;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    unsigned char* data = static_cast<unsigned char*>(std::malloc(size > 0 ? size : 1));
    bool read = size > 0 && std::fread(data, 1, size, file) == static_cast<size_t>(size);
    std::fclose(file);
    if (read && stbtt_InitFont(&font.info, data, stbtt_GetFontOffsetForIndex(data, 0))) {
      font.fileData = data;
      return true;
    }
    std::free(data);
  }
  return false;
}

bool EnsureFont() {
  if (!font.tried) {
    font.tried = true;
    font.loaded = LoadFontFile();
    if (!font.loaded)
      std::fprintf(stderr, "vesperglen: DejaVu Sans not found (install fonts-dejavu-core); "
                           "dialog text will be missing\n");
  }
  return font.loaded;
}

float ScaleFor(int emPixels) {
  return stbtt_ScaleForMappingEmToPixels(&font.info, static_cast<float>(emPixels));
}

int CodepointOf(char c) {
  int code = static_cast<unsigned char>(c);
  return code >= 0x20 ? code : 0;
}

const GlyphBitmap* FindGlyph(int emPixels, int codepoint, int subpixel) {
  for (int i = 0; i < font.glyphCount; i++) {
    const GlyphBitmap& g = font.glyphs[i];
    if (g.emPixels == emPixels && g.codepoint == codepoint && g.subpixel == subpixel) return &g;
  }
  if (font.glyphCount == kMaxGlyphs) return nullptr;
  GlyphBitmap& g = font.glyphs[font.glyphCount++];
  g.emPixels = emPixels;
  g.codepoint = codepoint;
  g.subpixel = subpixel;
  float scale = ScaleFor(emPixels);
  float shift = static_cast<float>(subpixel) / kSubpixelSteps;
  g.coverage = stbtt_GetCodepointBitmapSubpixel(&font.info, scale, scale, shift, 0.0f, codepoint,
                                                &g.width, &g.height, &g.xOffset, &g.yOffset);
  return &g;
}

uint32_t Blend(uint32_t under, uint32_t over, int coverage) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int a = (under >> shift) & 0xFF;
    int b = (over >> shift) & 0xFF;
    result |= static_cast<uint32_t>(a + (b - a) * coverage / 255) << shift;
  }
  return result | (under & 0xFF000000u);
}

void DrawGlyph(const PixelTarget& target, const RECT& clip, const GlyphBitmap& g, int left, int top,
               uint32_t color) {
  int x0 = left > clip.left ? left : clip.left;
  int y0 = top > clip.top ? top : clip.top;
  int x1 = left + g.width < clip.right ? left + g.width : clip.right;
  int y1 = top + g.height < clip.bottom ? top + g.height : clip.bottom;
  for (int y = y0; y < y1; y++) {
    uint32_t* row = target.pixels + static_cast<ptrdiff_t>(y) * target.pitch;
    const unsigned char* source = g.coverage + (y - top) * g.width;
    for (int x = x0; x < x1; x++) {
      int coverage = source[x - left];
      if (coverage) row[x] = Blend(row[x], color, coverage);
    }
  }
}

int TextLength(const char* text, int count) {
  return count < 0 ? static_cast<int>(std::strlen(text)) : count;
}

// Pen advance from one glyph to the next, in font units, kerning included.
int AdvanceUnits(int codepoint, int next) {
  int advance = 0, bearing = 0;
  stbtt_GetCodepointHMetrics(&font.info, codepoint, &advance, &bearing);
  if (next) advance += stbtt_GetCodepointKernAdvance(&font.info, codepoint, next);
  return advance;
}

}  // namespace

bool FontAvailable() { return EnsureFont(); }

FontMetrics FontGetMetrics(int emPixels) {
  FontMetrics metrics = {};
  if (!EnsureFont()) return metrics;
  int ascent = 0, descent = 0, lineGap = 0;
  stbtt_GetFontVMetrics(&font.info, &ascent, &descent, &lineGap);
  float scale = ScaleFor(emPixels);
  metrics.ascent = static_cast<int>(std::ceil(ascent * scale));
  metrics.descent = static_cast<int>(std::ceil(-descent * scale));
  metrics.height = metrics.ascent + metrics.descent;
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  metrics.averageCharWidth = (FontMeasureText(alphabet, -1, emPixels) / 26 + 1) / 2;
  return metrics;
}

int FontMeasureText(const char* text, int count, int emPixels) {
  if (!text || !EnsureFont()) return 0;
  int length = TextLength(text, count);
  long units = 0;
  for (int i = 0; i < length; i++) {
    int codepoint = CodepointOf(text[i]);
    if (!codepoint) continue;
    int next = i + 1 < length ? CodepointOf(text[i + 1]) : 0;
    units += AdvanceUnits(codepoint, next);
  }
  return static_cast<int>(std::lround(units * ScaleFor(emPixels)));
}

void FontDrawText(const PixelTarget& target, const RECT& clip, int x, int baselineY,
                  const char* text, int count, int emPixels, uint32_t color) {
  if (!text || !target.pixels || !EnsureFont()) return;
  RECT bounds = clip;
  if (bounds.left < 0) bounds.left = 0;
  if (bounds.top < 0) bounds.top = 0;
  if (bounds.right > target.width) bounds.right = target.width;
  if (bounds.bottom > target.height) bounds.bottom = target.height;
  if (bounds.left >= bounds.right || bounds.top >= bounds.bottom) return;
  int length = TextLength(text, count);
  float scale = ScaleFor(emPixels);
  float pen = static_cast<float>(x);
  for (int i = 0; i < length; i++) {
    int codepoint = CodepointOf(text[i]);
    if (!codepoint) continue;
    int whole = static_cast<int>(std::floor(pen));
    int subpixel = static_cast<int>((pen - whole) * kSubpixelSteps);
    const GlyphBitmap* glyph = FindGlyph(emPixels, codepoint, subpixel);
    if (glyph && glyph->coverage)
      DrawGlyph(target, bounds, *glyph, whole + glyph->xOffset, baselineY + glyph->yOffset, color);
    int next = i + 1 < length ? CodepointOf(text[i + 1]) : 0;
    pen += AdvanceUnits(codepoint, next) * scale;
  }
}
