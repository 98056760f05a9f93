// Packed-pixel arithmetic and the span kernels of the common draws: texture x diffuse over a
// wrapped power-of-two texture (one mip level, or two blended), and replace, source-alpha-over
// and additive output. Pixels are
// 0xAARRGGBB. The kernels give exactly the results of the per-pixel arithmetic below, whichever
// instruction set runs them.
#pragma once
#include <cstdint>

inline uint32_t Mul255(uint32_t a, uint32_t b) {
  uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

inline uint32_t ModulateColors(uint32_t x, uint32_t y) {
  return Pack(Mul255(x >> 24, y >> 24), Mul255(Channel(x, 16), Channel(y, 16)),
              Mul255(Channel(x, 8), Channel(y, 8)), Mul255(x & 0xFF, y & 0xFF));
}

// Lerp of two packed colours by f/256, two channels per multiply.
inline uint32_t LerpPacked(uint32_t a, uint32_t b, uint32_t f) {
  uint32_t g = 256 - f;
  uint32_t rb = (((a & 0xFF00FF) * g + (b & 0xFF00FF) * f) >> 8) & 0xFF00FF;
  uint32_t ag = ((((a >> 8) & 0xFF00FF) * g + ((b >> 8) & 0xFF00FF) * f)) & 0xFF00FF00;
  return rb | ag;
}

// Down the columns first, then across: the order the kernels keep, so every path agrees.
inline uint32_t Bilinear(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11, uint32_t fu, uint32_t fv) {
  return LerpPacked(LerpPacked(t00, t01, fv), LerpPacked(t10, t11, fv), fu);
}

// src * a + dst * (255 - a), rounded, two channels per multiply.
inline uint32_t BlendOver(uint32_t src, uint32_t dst) {
  uint32_t a = src >> 24;
  uint32_t ia = 255 - a;
  uint32_t rb = (src & 0xFF00FF) * a + (dst & 0xFF00FF) * ia + 0x800080;
  rb = ((rb + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
  uint32_t ag = ((src >> 8) & 0xFF00FF) * a + ((dst >> 8) & 0xFF00FF) * ia + 0x800080;
  ag = (ag + ((ag >> 8) & 0xFF00FF)) & 0xFF00FF00;
  return rb | ag;
}

// src * src + dst, saturated: additive glow weighted by its own colour.
inline uint32_t BlendAddBySourceColor(uint32_t src, uint32_t dst) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 24; shift += 8) {
    uint32_t c = Channel(src, shift);
    uint32_t sum = Mul255(c, c) + Channel(dst, shift);
    result |= (sum < 255 ? sum : 255) << shift;
  }
  return result;
}

// A power-of-two texture level addressed with wrapping on both axes.
struct WrapTexture {
  const uint32_t* texels;
  uint32_t maskU, maskV;  // width - 1, height - 1
  int shiftV;             // log2 of the width
  uint32_t alphaOr;       // 0xFF000000 for formats without alpha
};

// Texture coordinates in 16.16 texels, unsigned so that wrapping over power-of-two sizes is
// plain modular arithmetic whatever the distance travelled. Linear sampling has the half-texel
// centre offset already taken off.
struct FixedCoords {
  uint32_t u, v, du, dv;
};

enum FixedChannel { kFixedR, kFixedG, kFixedB, kFixedA };

// Diffuse colour in 16.16 per channel (r, g, b, a), with its step per pixel.
struct FixedColor {
  int32_t c[4], d[4];
  uint32_t At(int i) const;
};

enum class SpanBlend { kReplace, kOver, kAddBySourceColor };

// What a span samples: one level, or two neighbouring mip levels (a minified triangle between
// them) each with its own coordinates, the second weighted by weight/256.
struct SpanTexture {
  WrapTexture level[2];
  FixedCoords coords[2];
  uint32_t weight;
};

// The same span from its pixel `first` on: every kernel gives pixel i from the coordinates and
// colour stepped i times, so a span shaded in parts gives the pixels it gives whole.
inline void AdvanceSpan(SpanTexture& s, FixedColor& color, int first) {
  for (FixedCoords& f : s.coords) {
    f.u += uint32_t(first) * f.du;
    f.v += uint32_t(first) * f.dv;
  }
  for (int k = 0; k < 4; ++k) color.c[k] = int32_t(uint32_t(color.c[k]) + uint32_t(color.d[k]) * uint32_t(first));
}

// Shades `count` pixels and writes them over `out` with a blend.
using ShadeSpanFunction = void (*)(const SpanTexture& texture, const FixedColor& color, int count, uint32_t* out);

// The kernel for a filter, one level or a blend of two, a diffuse colour that varies along the
// span, is constant, or is constant opaque white (which leaves the texel as it is), and a blend.
enum class SpanDiffuse { kGouraud, kFlat, kWhite };
ShadeSpanFunction PickWrapShader(bool linear, bool mipBlend, SpanDiffuse diffuse, SpanBlend blend);

// Writes `count` source pixels into `dst`; with an alpha test, only those whose alpha `pass`
// accepts.
using WriteSpanFunction = void (*)(const uint32_t* src, uint32_t* dst, int count, const bool* pass);
WriteSpanFunction PickWriteSpan(SpanBlend blend, bool alphaTest);

// The kernels come in one set per instruction set; all give the same pixels. The pickers above
// take the fastest set this processor runs, chosen once. Naming a set is for tests and
// benchmarks; a set the build or the processor lacks falls back to the next one down.
enum class SpanKernelSet { kPortable, kSse2, kAvx2, kAvx512 };
SpanKernelSet FastestSpanKernelSet();
bool SpanKernelSetRuns(SpanKernelSet set);
// The set the set-less pickers use; starts as the fastest.
extern SpanKernelSet spanKernelSet;
ShadeSpanFunction PickWrapShader(SpanKernelSet set, bool linear, bool mipBlend, SpanDiffuse diffuse,
                                 SpanBlend blend);
WriteSpanFunction PickWriteSpan(SpanKernelSet set, SpanBlend blend, bool alphaTest);
