#include "text_render.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "byte_writer.h"
#include "picture_files.h"

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

namespace {

struct Face {
  const char* path;
  std::vector<unsigned char> data;
  stbtt_fontinfo info;
};
Face captionFace{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", {}, {}};
// The clock is small and drawn over bright skies as well as dark water: bold strokes survive
// the saver's filtering where regular ones thin to grey.
Face clockFace{"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", {}, {}};

// Bytes 0x80..0x9F of code page 1252; the rest of the upper half is Latin-1.
const int kCp1252High[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                             0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
                             0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

int CodePoint1252(int byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte < 32 ? 0 : byte;
}

bool LoadFace(Face& face) {
  if (!face.data.empty()) return true;
  FILE* f = std::fopen(face.path, "rb");
  if (!f) {
    std::fprintf(stderr, "cannot read %s (package fonts-dejavu-core)\n", face.path);
    return false;
  }
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) face.data.insert(face.data.end(), buffer, buffer + n);
  std::fclose(f);
  return stbtt_InitFont(&face.info, face.data.data(), stbtt_GetFontOffsetForIndex(face.data.data(), 0)) != 0;
}

// Renders one glyph's coverage and composites it at (x, baseline) in `color`, `scaleX` and
// `scaleY` pixels per font unit. Returns the advance in pixels.
float PutGlyph(Image& image, const Face& face, int codePoint, float x, float baseline, float scaleX, float scaleY,
               Rgb color, float alpha) {
  int advance, bearing, x0, y0, x1, y1;
  stbtt_GetCodepointHMetrics(&face.info, codePoint, &advance, &bearing);
  float shift = x - std::floor(x);
  stbtt_GetCodepointBitmapBoxSubpixel(&face.info, codePoint, scaleX, scaleY, shift, 0, &x0, &y0, &x1, &y1);
  int w = x1 - x0, h = y1 - y0;
  if (w > 0 && h > 0) {
    std::vector<unsigned char> bitmap(size_t(w) * size_t(h));
    stbtt_MakeCodepointBitmapSubpixel(&face.info, bitmap.data(), w, h, w, scaleX, scaleY, shift, 0, codePoint);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        Over(image, int(std::floor(x)) + x0 + i, int(baseline) + y0 + j, color,
             alpha * float(bitmap[size_t(j) * size_t(w) + size_t(i)]) / 255.0f);
  }
  return float(advance) * scaleX;
}

// The saver draws a cell 2 x size units wide but only 1.8 x size units tall, so glyphs are
// drawn taller in the cell to look right on screen.
constexpr float kCellStretchY = 1.0f / 0.9f;

float GlyphAdvance(int codePoint, float scale) {
  int advance, bearing;
  stbtt_GetCodepointHMetrics(&clockFace.info, codePoint, &advance, &bearing);
  return float(advance) * scale;
}

// The engine centres each glyph's quad on the pen, so the glyph sits centred on its advance
// `width` in the cell, and the cell's middle row is the middle of the font's line.
void DrawGlyphCell(Image& image, int codePoint, int cellX, int cellY, int cellSize, float scale, float width) {
  float x = float(cellX) + (float(cellSize) - width) * 0.5f;
  int ascent, descent, gap;
  stbtt_GetFontVMetrics(&clockFace.info, &ascent, &descent, &gap);
  float scaleY = scale * kCellStretchY;
  float baseline = float(cellY) + (float(cellSize) + float(ascent + descent) * scaleY) * 0.5f;
  PutGlyph(image, clockFace, codePoint, x, baseline, scale, scaleY, {1, 1, 1}, 1.0f);
}

// A dark halo in the alpha around every glyph keeps the white clock legible over light
// skies and pale rock. Colour is white inside the glyph and black in the halo.
void AddGlyphHalo(Image& atlas) {
  const int w = atlas.width, h = atlas.height;
  std::vector<float> glyph(size_t(w) * size_t(h)), halo(glyph.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) glyph[size_t(y) * size_t(w) + size_t(x)] = atlas.AlphaAt(x, y);
  auto at = [&](int x, int y) {
    return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : glyph[size_t(y) * size_t(w) + size_t(x)];
  };
  // Dilation: a solid ring a texel and a half wide that fades out over as much again, shifted
  // half a texel down and right like a cast shadow. Thinner rings vanish when the saver
  // draws the cell smaller than its texels.
  const int reach = 3;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float best = 0;
      for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
          float d = std::sqrt(float(dx * dx + dy * dy));
          float weight = Clamp01((3.3f - d) / 1.8f);
          float shifted = 0.5f * (at(x - dx, y - dy) + at(x - dx - 1, y - dy - 1));
          best = std::fmax(best, shifted * weight);
        }
      halo[size_t(y) * size_t(w) + size_t(x)] = best;
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float g = glyph[size_t(y) * size_t(w) + size_t(x)];
      float s = halo[size_t(y) * size_t(w) + size_t(x)] * 0.9f;
      float a = g + s * (1 - g);
      float white = a > 0 ? g / a : 0;
      float* p = atlas.At(x, y);
      p[0] = p[1] = p[2] = white;
      p[3] = a;
    }
}

}  // namespace

bool LoadTextFont() { return LoadFace(captionFace) && LoadFace(clockFace); }

void DrawText(Image& image, const std::string& text, float x, float baseline, float pixelHeight, Rgb color) {
  float scale = stbtt_ScaleForPixelHeight(&captionFace.info, pixelHeight);
  for (int pass = 0; pass < 2; ++pass) {
    float pen = x + (pass == 0 ? 1.5f : 0), row = baseline + (pass == 0 ? 1.5f : 0);
    for (unsigned char c : text)
      pen += PutGlyph(image, captionFace, CodePoint1252(c), pen, row, scale, scale,
                      pass == 0 ? Rgb{0, 0, 0} : color, pass == 0 ? 0.55f : 1.0f);
  }
}

bool WriteFontFiles(const std::string& dataDir) {
  const int grid = 16, cell = 32;
  // At the clock's size 14 a texel is 0.875 units wide. An em of 15 texels puts the longest
  // clock, "08:40:17 PM", between its first glyph's centre at x = 300 and x = 388 including
  // its halo, clear of the screen's right edge at 400.
  const float scale = stbtt_ScaleForMappingEmToPixels(&clockFace.info, 15.0f);
  Image atlas(grid * cell, grid * cell, {1, 1, 1}, 0.0f);
  ByteWriter dat;
  dat.I32(grid);
  std::vector<uint8_t> widths(256, 0);
  for (int code = 0; code < 256; ++code) {
    int codePoint = CodePoint1252(code);
    if (codePoint == 0) continue;
    // A width byte is the advance in texels of a 512-texel-wide picture; the glyph is centred
    // on the rounded advance, the one the saver lays out with.
    long advance = std::lround(std::fmin(GlyphAdvance(codePoint, scale), float(cell)) * 512.0f / float(grid * cell));
    widths[size_t(code)] = uint8_t(advance);
    DrawGlyphCell(atlas, codePoint, (code % grid) * cell, (code / grid) * cell, cell, scale, float(advance));
  }
  AddGlyphHalo(atlas);
  dat.Bytes(widths.data(), widths.size());
  for (int code = 0; code < 256; ++code) dat.U8(uint8_t(code));
  return WriteTga(dataDir + "/font.tga", atlas) && WriteWholeFile(dataDir + "/font.dat", dat.data);
}
