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

const char* const kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
std::vector<unsigned char> fontData;
stbtt_fontinfo fontInfo;

// Bytes 0x80..0x9F of code page 1252; the rest of the upper half is Latin-1.
const int kCp1252High[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                             0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
                             0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

int CodePoint1252(int byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte < 32 ? 0 : byte;
}

// Renders one glyph's coverage and composites it at (x, baseline) in `color`.
float PutGlyph(Image& image, int codePoint, float x, float baseline, float pixelHeight, Rgb color, float alpha) {
  float scale = stbtt_ScaleForPixelHeight(&fontInfo, pixelHeight);
  int advance, bearing, x0, y0, x1, y1;
  stbtt_GetCodepointHMetrics(&fontInfo, codePoint, &advance, &bearing);
  float shift = x - std::floor(x);
  stbtt_GetCodepointBitmapBoxSubpixel(&fontInfo, codePoint, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
  int w = x1 - x0, h = y1 - y0;
  if (w > 0 && h > 0) {
    std::vector<unsigned char> bitmap(size_t(w) * size_t(h));
    stbtt_MakeCodepointBitmapSubpixel(&fontInfo, bitmap.data(), w, h, w, scale, scale, shift, 0, codePoint);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        Over(image, int(std::floor(x)) + x0 + i, int(baseline) + y0 + j, color,
             alpha * float(bitmap[size_t(j) * size_t(w) + size_t(i)]) / 255.0f);
  }
  return float(advance) * scale;
}

}  // namespace

bool LoadTextFont() {
  if (!fontData.empty()) return true;
  FILE* f = std::fopen(kFontPath, "rb");
  if (!f) {
    std::fprintf(stderr, "cannot read %s (package fonts-dejavu-core)\n", kFontPath);
    return false;
  }
  std::vector<unsigned char> data;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
  std::fclose(f);
  fontData = std::move(data);
  return stbtt_InitFont(&fontInfo, fontData.data(), stbtt_GetFontOffsetForIndex(fontData.data(), 0)) != 0;
}

void DrawText(Image& image, const std::string& text, float x, float baseline, float pixelHeight, Rgb color) {
  for (int pass = 0; pass < 2; ++pass) {
    float pen = x + (pass == 0 ? 1.5f : 0), row = baseline + (pass == 0 ? 1.5f : 0);
    for (unsigned char c : text)
      pen += PutGlyph(image, CodePoint1252(c), pen, row, pixelHeight, pass == 0 ? Rgb{0, 0, 0} : color,
                      pass == 0 ? 0.55f : 1.0f);
  }
}

float DrawGlyphCell(Image& image, int codePoint, int cellX, int cellY, int cellSize, float pixelHeight) {
  float scale = stbtt_ScaleForPixelHeight(&fontInfo, pixelHeight);
  int advance, bearing;
  stbtt_GetCodepointHMetrics(&fontInfo, codePoint, &advance, &bearing);
  float width = float(advance) * scale;
  if (width > float(cellSize)) width = float(cellSize);
  // The engine centres each glyph's quad on the pen, so the glyph sits centred in its cell.
  float x = float(cellX) + (float(cellSize) - width) * 0.5f;
  int ascent, descent, gap;
  stbtt_GetFontVMetrics(&fontInfo, &ascent, &descent, &gap);
  float baseline = float(cellY) + (float(cellSize) + float(ascent + descent) * scale) * 0.5f;
  PutGlyph(image, codePoint, x, baseline, pixelHeight, {1, 1, 1}, 1.0f);
  return width;
}

bool WriteFontFiles(const std::string& dataDir) {
  const int grid = 16, cell = 32;
  Image atlas(grid * cell, grid * cell, {1, 1, 1}, 0.0f);
  ByteWriter dat;
  dat.I32(grid);
  std::vector<uint8_t> widths(256, 0);
  for (int code = 0; code < 256; ++code) {
    int codePoint = CodePoint1252(code);
    if (codePoint == 0) continue;
    float advance = DrawGlyphCell(atlas, codePoint, (code % grid) * cell, (code / grid) * cell, cell, 26.0f);
    // A width byte is the advance in texels of a 512-texel-wide picture.
    widths[size_t(code)] = uint8_t(std::lround(advance * 512.0f / float(grid * cell)));
  }
  // Glyph edges must stay white where alpha fades, or filtering darkens them.
  for (size_t i = 0; i < atlas.pixels.size(); i += 4) atlas.pixels[i] = atlas.pixels[i + 1] = atlas.pixels[i + 2] = 1;
  dat.Bytes(widths.data(), widths.size());
  for (int code = 0; code < 256; ++code) dat.U8(uint8_t(code));
  return WriteTga(dataDir + "/font.tga", atlas) && WriteWholeFile(dataDir + "/font.dat", dat.data);
}
