#include "platform/d3d8/rasterizer.h"

#include "platform/d3d8/pixel_spans.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Triangles reaching further than this many viewport half-sizes beyond the centre are clipped;
// the rest rely on the scissor to the viewport. Keeps screen coordinates small enough for the
// 28.4 fixed-point edge arithmetic.
constexpr float kGuardBand = 16.0f;
constexpr int kSubPixel = 16;
constexpr int kMaxClipVertices = 16;
constexpr int kAffineSegment = 256;
constexpr int kPerspectiveSegment = 16;
constexpr int kTrimmedSpan = 16;

struct ScreenVertex {
  float x, y, z, q;  // q = 1/w
  float r, g, b, a, u, v;
};

// value(x, y) = origin + dx * x + dy * y over the screen.
struct Plane {
  float origin, dx, dy;
  float At(float x, float y) const { return origin + dx * x + dy * y; }
};

enum Attribute { kR, kG, kB, kA, kU, kV, kAttributeCount };

struct Triangle {
  Plane z;
  Plane q;                           // used only with perspective
  Plane attributes[kAttributeCount]; // divided by w when perspective
  bool perspective;
  const RasterTextureLevel* level0;
  const RasterTextureLevel* level1;  // second level of a mip blend, else null
  float levelBlend;                  // weight of level1, 0..1
  bool linear;
  bool flat;
  uint32_t flatColor;
  FixedColor flatFixed;
  ShadeSpanFunction fastShader;  // null: the general stage
  SpanTexture span;              // the levels fastShader reads; coordinates filled per segment
  bool shadeIntoTarget;          // the shading writes (and blends) the target itself
  bool trimClear;                // blended over by alpha: span ends reading clear texels are skipped
};

// ---------------------------------------------------------------------------------------------
// Edges

inline int CeilDiv(int64_t num, int64_t den) {
  return int(num >= 0 ? (num + den - 1) / den : -((-num) / den));
}

inline int64_t FloorDiv(int64_t num, int64_t den) {
  int64_t q = num / den;
  return (num % den != 0 && (num < 0) != (den < 0)) ? q - 1 : q;
}

// The first pixel column at or right of the edge (xa, ya)-(xb, yb), all 28.4 with ya < yb, on
// successive rows: ceil(num / den) where num grows by the same amount every row, kept as
// quotient and remainder so that it stays exact and two triangles sharing the edge agree.
struct EdgeWalker {
  int64_t column, remainder, den, stepWhole, stepRest;

  void Start(int xa, int ya, int xb, int yb, int ys) {
    int64_t dy = int64_t(yb) - ya;
    den = dy * kSubPixel;
    int64_t num = int64_t(xa) * dy + (int64_t(ys) - ya) * (int64_t(xb) - xa);
    column = -FloorDiv(-num, den);
    remainder = column * den - num;
    int64_t step = int64_t(kSubPixel) * (int64_t(xb) - xa);
    stepWhole = FloorDiv(step, den);
    stepRest = step - stepWhole * den;
  }
  void Next() {
    column += stepWhole;
    remainder -= stepRest;
    if (remainder < 0) {
      column += 1;
      remainder += den;
    }
  }
};

bool Compare(DWORD func, uint32_t value, uint32_t reference) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true;
  }
}

// ---------------------------------------------------------------------------------------------
// Texture sampling

int AddressIndex(int i, int size, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_MIRROR: {
      int period = 2 * size;
      int m = ((i % period) + period) % period;
      return m < size ? m : period - 1 - m;
    }
    case D3DTADDRESS_CLAMP:
    case D3DTADDRESS_BORDER:
      return std::clamp(i, 0, size - 1);
    case D3DTADDRESS_MIRRORONCE:
      return std::clamp(i < 0 ? -i - 1 : i, 0, size - 1);
    default:
      return ((i % size) + size) % size;
  }
}

inline float Bounded(float f) { return std::clamp(f, -1.0e9f, 1.0e9f); }

uint32_t SampleLevel(const RasterState& s, const RasterTextureLevel& level, float u, float v, bool linear) {
  const int w = level.width;
  const int h = level.height;
  if (!linear) {
    int iu = AddressIndex(int(std::floor(Bounded(u * w))), w, s.addressU);
    int iv = AddressIndex(int(std::floor(Bounded(v * h))), h, s.addressV);
    return level.texels[iv * w + iu];
  }
  float fu = Bounded(u * w - 0.5f);
  float fv = Bounded(v * h - 0.5f);
  float bu = std::floor(fu);
  float bv = std::floor(fv);
  int u0 = int(bu);
  int v0 = int(bv);
  uint32_t wu = uint32_t((fu - bu) * 256.0f);
  uint32_t wv = uint32_t((fv - bv) * 256.0f);
  int x0 = AddressIndex(u0, w, s.addressU);
  int x1 = AddressIndex(u0 + 1, w, s.addressU);
  const uint32_t* row0 = level.texels + AddressIndex(v0, h, s.addressV) * w;
  const uint32_t* row1 = level.texels + AddressIndex(v0 + 1, h, s.addressV) * w;
  return Bilinear(row0[x0], row0[x1], row1[x0], row1[x1], std::min(wu, 256u), std::min(wv, 256u));
}

// The weight of the second mip level in 256ths.
uint32_t LevelWeight(const Triangle& t) { return uint32_t(t.levelBlend * 256.0f); }

uint32_t SampleTexture(const RasterState& s, const Triangle& t, float u, float v) {
  uint32_t c = SampleLevel(s, *t.level0, u, v, t.linear);
  if (t.level1) {
    uint32_t d = SampleLevel(s, *t.level1, u, v, t.linear);
    c = LerpPacked(c, d, LevelWeight(t));
  }
  return c | s.texture->alphaOr;
}

// ---------------------------------------------------------------------------------------------
// Texture stage 0

uint32_t StageArgument(const RasterState& s, DWORD arg, uint32_t diffuse, uint32_t texel) {
  uint32_t c;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: c = texel; break;
    case D3DTA_TFACTOR: c = s.textureFactor; break;
    case D3DTA_SPECULAR: c = 0; break;
    case D3DTA_TEMP: c = 0; break;
    default: c = diffuse; break;  // D3DTA_DIFFUSE, and D3DTA_CURRENT on the first stage
  }
  if (arg & D3DTA_COMPLEMENT) c = ~c;
  if (arg & D3DTA_ALPHAREPLICATE) {
    uint32_t a = c >> 24;
    c = Pack(a, a, a, a);
  }
  return c;
}

// One channel of a stage operation; x and y are the two arguments' channels, the alphas are
// those of the diffuse colour, the texel and the texture factor.
uint32_t StageChannel(DWORD op, uint32_t x, uint32_t y, uint32_t diffuseA, uint32_t texelA, uint32_t factorA) {
  int v;
  switch (op) {
    case D3DTOP_SELECTARG1: return x;
    case D3DTOP_SELECTARG2: return y;
    case D3DTOP_MODULATE2X: v = int(Mul255(x, y)) * 2; break;
    case D3DTOP_MODULATE4X: v = int(Mul255(x, y)) * 4; break;
    case D3DTOP_ADD: v = int(x + y); break;
    case D3DTOP_ADDSIGNED: v = int(x + y) - 128; break;
    case D3DTOP_ADDSIGNED2X: v = (int(x + y) - 128) * 2; break;
    case D3DTOP_SUBTRACT: v = int(x) - int(y); break;
    case D3DTOP_ADDSMOOTH: v = int(x + y) - int(Mul255(x, y)); break;
    case D3DTOP_BLENDDIFFUSEALPHA: v = int(Mul255(x, diffuseA) + Mul255(y, 255 - diffuseA)); break;
    case D3DTOP_BLENDTEXTUREALPHA: v = int(Mul255(x, texelA) + Mul255(y, 255 - texelA)); break;
    case D3DTOP_BLENDFACTORALPHA: v = int(Mul255(x, factorA) + Mul255(y, 255 - factorA)); break;
    case D3DTOP_BLENDCURRENTALPHA: v = int(Mul255(x, diffuseA) + Mul255(y, 255 - diffuseA)); break;
    case D3DTOP_BLENDTEXTUREALPHAPM: v = int(x + Mul255(y, 255 - texelA)); break;
    default: return Mul255(x, y);  // D3DTOP_MODULATE and the operations this device lacks
  }
  return uint32_t(std::clamp(v, 0, 255));
}

uint32_t CombineStage(const RasterState& s, uint32_t diffuse, uint32_t texel) {
  if (s.colorOp == D3DTOP_DISABLE) return diffuse;
  uint32_t da = diffuse >> 24;
  uint32_t ta = texel >> 24;
  uint32_t fa = s.textureFactor >> 24;
  uint32_t c1 = StageArgument(s, s.colorArg1, diffuse, texel);
  uint32_t c2 = StageArgument(s, s.colorArg2, diffuse, texel);
  uint32_t r = StageChannel(s.colorOp, Channel(c1, 16), Channel(c2, 16), da, ta, fa);
  uint32_t g = StageChannel(s.colorOp, Channel(c1, 8), Channel(c2, 8), da, ta, fa);
  uint32_t b = StageChannel(s.colorOp, Channel(c1, 0), Channel(c2, 0), da, ta, fa);
  uint32_t a = da;
  if (s.alphaOp != D3DTOP_DISABLE) {
    uint32_t a1 = StageArgument(s, s.alphaArg1, diffuse, texel) >> 24;
    uint32_t a2 = StageArgument(s, s.alphaArg2, diffuse, texel) >> 24;
    a = StageChannel(s.alphaOp, a1, a2, da, ta, fa);
  }
  return Pack(a, r, g, b);
}

// ---------------------------------------------------------------------------------------------
// Segments: up to one span's worth of pixels on one row, attributes linear across it.

struct Segment {
  int count;
  float u, v, du, dv;  // normalised texture coordinates and steps
  float color[4], colorStep[4];  // r, g, b, a in 0..255
  float z, dz;
};

uint32_t ColorAt(const Segment& g, int i) {
  auto ch = [&](int k) { return uint32_t(g.color[k] + g.colorStep[k] * float(i) + 0.5f); };
  return Pack(ch(kA), ch(kR), ch(kG), ch(kB));
}

void ShadeGeneric(const RasterState& s, const Triangle& t, const Segment& g, uint32_t* out) {
  for (int i = 0; i < g.count; ++i) {
    uint32_t diffuse = t.flat ? t.flatColor : ColorAt(g, i);
    uint32_t texel = SampleTexture(s, t, g.u + g.du * float(i), g.v + g.dv * float(i));
    out[i] = CombineStage(s, diffuse, texel);
  }
}

FixedColor ToFixed(const Segment& g) {
  FixedColor f;
  for (int k = 0; k < 4; ++k) {
    f.c[k] = int32_t(g.color[k] * 65536.0f + 32768.0f);
    f.d[k] = int32_t(g.colorStep[k] * 65536.0f);
  }
  return f;
}

void ShadeUntextured(const Triangle& t, const Segment& g, uint32_t* out) {
  if (t.flat) {
    std::fill(out, out + g.count, t.flatColor);
    return;
  }
  FixedColor color = ToFixed(g);
  for (int i = 0; i < g.count; ++i) out[i] = color.At(i);
}

// A segment's start within one repeat of the texture, and its steps, in whole textures: what every
// level of it scales by its own size.
struct RepeatCoords {
  double u, v, du, dv;
};

RepeatCoords ToRepeat(const Segment& g) {
  return RepeatCoords{double(g.u) - std::floor(double(g.u)), double(g.v) - std::floor(double(g.v)), double(g.du),
                      double(g.dv)};
}

// 16.16 texels of a level whose sides are powers of two, so that the scaling is exact.
FixedCoords ToFixed(const RepeatCoords& r, int width, int height, bool centreOffset) {
  const double w = double(width) * 65536.0, h = double(height) * 65536.0;
  FixedCoords f{uint32_t(int64_t(r.u * w)), uint32_t(int64_t(r.v * h)), uint32_t(int64_t(r.du * w)),
                uint32_t(int64_t(r.dv * h))};
  if (centreOffset) {
    f.u -= 0x8000;
    f.v -= 0x8000;
  }
  return f;
}

FixedColor FlatFixed(uint32_t color) {
  FixedColor f{};
  f.c[kFixedR] = int32_t(Channel(color, 16) << 16);
  f.c[kFixedG] = int32_t(Channel(color, 8) << 16);
  f.c[kFixedB] = int32_t(Channel(color, 0) << 16);
  f.c[kFixedA] = int32_t(Channel(color, 24) << 16);
  return f;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

bool IsWrappable(const RasterTextureLevel* level) {
  return level && IsPowerOfTwo(level->width) && IsPowerOfTwo(level->height);
}

WrapTexture WrapLevel(const RasterTextureLevel& level, uint32_t alphaOr) {
  return WrapTexture{level.texels, uint32_t(level.width - 1), uint32_t(level.height - 1),
                     __builtin_ctz(uint32_t(level.width)), alphaOr};
}

// The span kernel for texture x diffuse over wrapped power-of-two levels, when the state and
// the triangle allow it; else null.
ShadeSpanFunction PickFastShader(const RasterContext& c, const Triangle& t, SpanTexture* span, bool* intoTarget) {
  const RasterState& s = *c.state;
  *intoTarget = c.shadeIntoTarget;
  if (!s.texture || s.colorOp == D3DTOP_DISABLE || !c.modulateStage) return nullptr;
  if (s.addressU != D3DTADDRESS_WRAP || s.addressV != D3DTADDRESS_WRAP || !IsWrappable(t.level0) ||
      (t.level1 && !IsWrappable(t.level1))) {
    return nullptr;
  }
  span->level[0] = WrapLevel(*t.level0, s.texture->alphaOr);
  span->level[1] = WrapLevel(t.level1 ? *t.level1 : *t.level0, s.texture->alphaOr);
  span->weight = t.level1 ? LevelWeight(t) : 0;
  SpanDiffuse diffuse = !t.flat ? SpanDiffuse::kGouraud
                        : t.flatColor == 0xFFFFFFFF ? SpanDiffuse::kWhite
                                                    : SpanDiffuse::kFlat;
  *intoTarget = c.blendWhileShading;
  return PickWrapShader(t.linear, t.level1 != nullptr, diffuse,
                        c.blendWhileShading ? c.spanBlend : SpanBlend::kReplace);
}

// A rotated span crosses rows of the level; beyond this many, finding its clear ends costs more
// than it saves.
constexpr int64_t kMostVisibleRows = 8;

// Pixels [*begin, *end) of `count` are the only ones whose samples of a level can read a texel
// with alpha; the rest read clear texels only. Left as all of them where that cannot be told
// (the span wraps around the level, or crosses too many of its rows).
void VisibleRange(const WrapTexture& level, const int* visible, const FixedCoords& f, bool linear, int count,
                  int* begin, int* end) {
  *begin = 0;
  *end = count;
  if (!visible) return;
  // Every row a sample reads: a bilinear sample also reads the row below its own.
  const int64_t rowTravel = int64_t(int32_t(f.dv)) * (count - 1);
  const int64_t startRow = int64_t(f.v >> 16), endRow = (int64_t(f.v) + rowTravel) >> 16;
  const int64_t lowRow = std::min(startRow, endRow), highRow = std::max(startRow, endRow) + (linear ? 1 : 0);
  if (highRow - lowRow >= kMostVisibleRows) return;
  int first = 0, last = 0;
  for (int64_t r = lowRow; r <= highRow; ++r) {
    const uint32_t row = uint32_t(r) & level.maskV;
    if (visible[2 * row] >= visible[2 * row + 1]) continue;
    first = first < last ? std::min(first, visible[2 * row]) : visible[2 * row];
    last = std::max(last, visible[2 * row + 1]);
  }
  if (linear) --first;  // a bilinear sample also reads the column right of its own
  if (first >= last - (linear ? 1 : 0)) {
    *end = 0;
    return;
  }
  const int64_t limit = (int64_t(level.maskU) + (linear ? 0 : 1)) << 16;
  const int64_t u = int64_t(f.u), du = int32_t(f.du), last_u = u + du * (count - 1);
  if (u >= limit || last_u < 0 || last_u >= limit) return;
  const int64_t low = int64_t(first) << 16, high = int64_t(last) << 16;  // visible: low <= U(i) < high
  auto clamp = [count](int64_t i) { return int(std::clamp<int64_t>(i, 0, count)); };
  if (du > 0) {
    *begin = clamp(CeilDiv(low - u, du));
    *end = clamp(CeilDiv(high - u, du));
  } else if (du < 0) {
    *begin = clamp(FloorDiv(u - high, -du) + 1);
    *end = clamp(FloorDiv(u - low, -du) + 1);
  } else if (u < low || u >= high) {
    *end = 0;
  }
  if (*begin >= *end) *begin = *end = 0;
}

// Pixels [first, first + count) of the segment through the triangle's span kernel.
void ShadeFast(const Triangle& t, const Segment& g, int first, int count, uint32_t* out) {
  SpanTexture span = t.span;
  const int levels = t.level1 ? 2 : 1;
  const RepeatCoords repeat = ToRepeat(g);
  for (int i = 0; i < levels; ++i) {
    span.coords[i] = ToFixed(repeat, int(span.level[i].maskU + 1), int(span.level[i].maskV + 1), t.linear);
  }
  FixedColor color = t.flat ? t.flatFixed : ToFixed(g);
  if (first > 0) AdvanceSpan(span, color, first);
  // Finding the clear ends costs divisions: worth it on spans longer than a few quads.
  if (t.trimClear && count >= kTrimmedSpan) {
    const RasterTextureLevel* source[2] = {t.level0, t.level1};
    int begin = count, end = 0;
    for (int i = 0; i < levels; ++i) {
      int b, e;
      VisibleRange(span.level[i], source[i]->visibleColumns, span.coords[i], t.linear, count, &b, &e);
      if (b < e) begin = std::min(begin, b), end = std::max(end, e);
    }
    if (begin >= end) return;
    if (begin > 0) AdvanceSpan(span, color, begin);
    out += begin;
    count = end - begin;
  }
  t.fastShader(span, color, count, out);
}

// The segment starting at pixel x of a row, shaded straight into it except where the cover is.
void ShadeAroundCover(const OpaqueCover& cover, const Triangle& t, const Segment& g, int y, int x, uint32_t* row) {
  const int end = x + g.count;
  int at = x;
  for (int k = cover.rowFirst[y - cover.top]; k < cover.rowFirst[y - cover.top + 1] && at < end; k += 2) {
    int first = cover.spans[k], last = cover.spans[k + 1];
    if (last <= at) continue;
    if (first >= end) break;
    if (first > at) ShadeFast(t, g, at - x, first - at, row + at);
    at = std::max(at, last);
  }
  if (at < end) ShadeFast(t, g, at - x, end - at, row + at);
}

void Shade(const RasterContext& c, const Triangle& t, const Segment& g, uint32_t* out) {
  const RasterState& s = *c.state;
  if (t.fastShader) {
    ShadeFast(t, g, 0, g.count, out);
    return;
  }
  // A stage with no texture bound does no texture mapping: its output is the diffuse colour.
  if (!s.texture || s.colorOp == D3DTOP_DISABLE) {
    ShadeUntextured(t, g, out);
    return;
  }
  ShadeGeneric(s, t, g, out);
}

// ---------------------------------------------------------------------------------------------
// Blending and the write to the target

uint32_t BlendFactor(DWORD factor, int channel, uint32_t src, uint32_t dst, bool destHasAlpha) {
  uint32_t sa = src >> 24;
  uint32_t da = destHasAlpha ? dst >> 24 : 255;
  uint32_t sc = channel == 24 ? sa : Channel(src, channel);
  uint32_t dc = channel == 24 ? da : Channel(dst, channel);
  switch (factor) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return sc;
    case D3DBLEND_INVSRCCOLOR: return 255 - sc;
    case D3DBLEND_SRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA: return 255 - sa;
    case D3DBLEND_DESTALPHA: return da;
    case D3DBLEND_INVDESTALPHA: return 255 - da;
    case D3DBLEND_DESTCOLOR: return dc;
    case D3DBLEND_INVDESTCOLOR: return 255 - dc;
    case D3DBLEND_SRCALPHASAT: return channel == 24 ? 255 : std::min(sa, 255 - da);
    default: return 255;
  }
}

uint32_t BlendGeneric(const RasterState& s, uint32_t src, uint32_t dst) {
  DWORD srcBlend = s.srcBlend;
  DWORD destBlend = s.destBlend;
  if (srcBlend == D3DBLEND_BOTHSRCALPHA) {
    srcBlend = D3DBLEND_SRCALPHA;
    destBlend = D3DBLEND_INVSRCALPHA;
  } else if (srcBlend == D3DBLEND_BOTHINVSRCALPHA) {
    srcBlend = D3DBLEND_INVSRCALPHA;
    destBlend = D3DBLEND_SRCALPHA;
  }
  uint32_t result = 0;
  for (int shift = 0; shift <= 24; shift += 8) {
    int sv = int(Mul255(Channel(src, shift), BlendFactor(srcBlend, shift, src, dst, s.target.hasAlpha)));
    int dv = int(Mul255(Channel(dst, shift), BlendFactor(destBlend, shift, src, dst, s.target.hasAlpha)));
    int v;
    switch (s.blendOp) {
      case D3DBLENDOP_SUBTRACT: v = sv - dv; break;
      case D3DBLENDOP_REVSUBTRACT: v = dv - sv; break;
      case D3DBLENDOP_MIN: v = std::min(int(Channel(src, shift)), int(Channel(dst, shift))); break;
      case D3DBLENDOP_MAX: v = std::max(int(Channel(src, shift)), int(Channel(dst, shift))); break;
      default: v = sv + dv; break;
    }
    result |= uint32_t(std::clamp(v, 0, 255)) << shift;
  }
  return result;
}

template <int BlendKind, bool AlphaTest, bool Depth>
void Output(const RasterContext& c, const Segment& g, const uint32_t* src, uint32_t* dst, uint32_t* depth) {
  const RasterState& s = *c.state;
  const float depthScale = float(s.target.depthMax);
  for (int i = 0; i < g.count; ++i) {
    uint32_t p = src[i];
    if (AlphaTest && !c.alphaPass[p >> 24]) continue;
    if (Depth) {
      float z = std::clamp(g.z + g.dz * float(i), 0.0f, 1.0f);
      uint32_t zq = uint32_t(double(z) * depthScale + 0.5);
      if (!Compare(s.depthFunc, zq, depth[i])) continue;
      if (c.depthWrite) depth[i] = zq;
    }
    if (BlendKind == 1) p = BlendOver(p, dst[i]);
    if (BlendKind == 2) p = BlendGeneric(s, p, dst[i]);
    if (BlendKind == 3) p = BlendAddBySourceColor(p, dst[i]);
    dst[i] = p;
  }
}

using OutputFunction = void (*)(const RasterContext&, const Segment&, const uint32_t*, uint32_t*, uint32_t*);

template <int BlendKind>
OutputFunction PickOutput(bool alphaTest, bool depth) {
  if (alphaTest) return depth ? Output<BlendKind, true, true> : Output<BlendKind, true, false>;
  return depth ? Output<BlendKind, false, true> : Output<BlendKind, false, false>;
}

OutputFunction PickOutput(const RasterContext& c) {
  bool alphaTest = c.state->alphaTest;
  switch (c.blendKind) {
    case 0: return PickOutput<0>(alphaTest, c.depthActive);
    case 1: return PickOutput<1>(alphaTest, c.depthActive);
    case 3: return PickOutput<3>(alphaTest, c.depthActive);
    default: return PickOutput<2>(alphaTest, c.depthActive);
  }
}

// ---------------------------------------------------------------------------------------------
// Triangle setup

Plane MakePlane(const float* xs, const float* ys, float a0, float a1, float a2, float inverseArea) {
  float e1x = xs[1] - xs[0], e1y = ys[1] - ys[0];
  float e2x = xs[2] - xs[0], e2y = ys[2] - ys[0];
  float d1 = a1 - a0, d2 = a2 - a0;
  Plane p;
  p.dx = (d1 * e2y - d2 * e1y) * inverseArea;
  p.dy = (d2 * e1x - d1 * e2x) * inverseArea;
  p.origin = a0 - p.dx * xs[0] - p.dy * ys[0];
  return p;
}

float AttributeOf(const ScreenVertex& v, int k) {
  switch (k) {
    case kR: return v.r;
    case kG: return v.g;
    case kB: return v.b;
    case kA: return v.a;
    case kU: return v.u;
    default: return v.v;
  }
}

uint32_t PackVertexColor(const ScreenVertex& v) {
  auto ch = [](float f) { return uint32_t(std::clamp(f, 0.0f, 255.0f) + 0.5f); };
  return Pack(ch(v.a), ch(v.r), ch(v.g), ch(v.b));
}

// Texture coordinate derivatives in texels of the top level, at the triangle's centroid.
float TexelFootprint(const Triangle& t, const RasterTextureLevel& top, float cx, float cy) {
  const Plane& pu = t.attributes[kU];
  const Plane& pv = t.attributes[kV];
  float dudx = pu.dx, dudy = pu.dy, dvdx = pv.dx, dvdy = pv.dy;
  if (t.perspective) {
    float q = t.q.At(cx, cy);
    if (q <= 0.0f) return 1.0f;
    float u = pu.At(cx, cy) / q;
    float v = pv.At(cx, cy) / q;
    dudx = (pu.dx - u * t.q.dx) / q;
    dudy = (pu.dy - u * t.q.dy) / q;
    dvdx = (pv.dx - v * t.q.dx) / q;
    dvdy = (pv.dy - v * t.q.dy) / q;
  }
  float w = float(top.width), h = float(top.height);
  float rx = std::sqrt(dudx * dudx * w * w + dvdx * dvdx * h * h);
  float ry = std::sqrt(dudy * dudy * w * w + dvdy * dvdy * h * h);
  return std::max(rx, ry);
}

bool IsLinear(DWORD filter) { return filter != D3DTEXF_NONE && filter != D3DTEXF_POINT; }

void ChooseLevels(const RasterState& s, Triangle& t, float cx, float cy) {
  t.level0 = nullptr;
  t.level1 = nullptr;
  t.levelBlend = 0.0f;
  t.linear = false;
  if (!s.texture) return;
  const RasterTexture& tex = *s.texture;
  int base = std::min(int(s.maxMipLevel), tex.levelCount - 1);
  int last = tex.levelCount - 1;
  float footprint = TexelFootprint(t, tex.levels[0], cx, cy);
  float lod = (footprint > 0.0f ? std::log2(footprint) : -100.0f) + s.mipLodBias;
  if (lod <= 0.0f || s.mipFilter == D3DTEXF_NONE) {
    t.linear = IsLinear(lod <= 0.0f ? s.magFilter : s.minFilter);
    t.level0 = &tex.levels[base];
    return;
  }
  t.linear = IsLinear(s.minFilter);
  if (s.mipFilter == D3DTEXF_POINT) {
    t.level0 = &tex.levels[std::min(last, base + int(std::floor(lod + 0.5f)))];
    return;
  }
  int whole = int(std::floor(lod));
  float fraction = lod - float(whole);
  int first = std::min(last, base + whole);
  t.level0 = &tex.levels[first];
  if (first < last && fraction > 1.0f / 256.0f) {
    t.level1 = &tex.levels[first + 1];
    t.levelBlend = fraction;
  }
}

// The attributes from `from` on at (x, y).
void Evaluate(const Triangle& t, float x, float y, int from, float* values) {
  if (!t.perspective) {
    for (int k = from; k < kAttributeCount; ++k) values[k] = t.attributes[k].At(x, y);
    return;
  }
  float q = t.q.At(x, y);
  float w = q > 0.0f ? 1.0f / q : 0.0f;
  for (int k = from; k < kAttributeCount; ++k) values[k] = t.attributes[k].At(x, y) * w;
}

Segment MakeSegment(const Triangle& t, int y, int x, int count) {
  Segment g;
  g.count = count;
  float fy = float(y);
  float first[kAttributeCount], last[kAttributeCount];
  // A flat triangle's colour is its first corner's: the colour ramps would go unread.
  const int from = t.flat ? int(kU) : int(kR);
  Evaluate(t, float(x), fy, from, first);
  Evaluate(t, float(x + count - 1), fy, from, last);
  float inverse = count > 1 ? 1.0f / float(count - 1) : 0.0f;
  for (int k = 0; k < 4; ++k) {
    float a = t.flat ? 0.0f : std::clamp(first[k], 0.0f, 255.0f);
    float b = t.flat ? 0.0f : std::clamp(last[k], 0.0f, 255.0f);
    g.color[k] = a;
    g.colorStep[k] = (b - a) * inverse;
  }
  g.u = first[kU];
  g.v = first[kV];
  g.du = (last[kU] - first[kU]) * inverse;
  g.dv = (last[kV] - first[kV]) * inverse;
  g.z = t.z.At(float(x), fy);
  g.dz = t.z.dx;
  return g;
}

void DrawSpan(RasterContext& c, const Triangle& t, OutputFunction output, int y, int x0, int x1) {
  const RasterTarget& target = c.state->target;
  uint32_t* row = target.pixels + size_t(y) * size_t(target.pitch);
  uint32_t* depthRow = target.depth ? target.depth + size_t(y) * size_t(target.depthPitch) : nullptr;
  const int segmentLength = t.perspective ? kPerspectiveSegment : kAffineSegment;
  const bool covered = c.cover && t.fastShader && t.shadeIntoTarget && y >= c.cover->top && y < c.cover->bottom &&
                       c.cover->rowFirst[y - c.cover->top] < c.cover->rowFirst[y - c.cover->top + 1];
  for (int x = x0; x < x1; x += segmentLength) {
    int count = std::min(segmentLength, x1 - x);
    Segment g = MakeSegment(t, y, x, count);
    if (covered) {
      ShadeAroundCover(*c.cover, t, g, y, x, row);
      continue;
    }
    if (t.shadeIntoTarget) {
      Shade(c, t, g, row + x);
      continue;
    }
    Shade(c, t, g, c.source);
    if (c.write) {
      c.write(c.source, row + x, count, c.alphaPass);
    } else {
      output(c, g, c.source, row + x, depthRow ? depthRow + x : nullptr);
    }
  }
}

// A screen coordinate in whole sub-pixels, where the rasterizer puts corners.
int SubPixels(float coordinate) { return int(std::lrint(std::clamp(coordinate, -1.0e6f, 1.0e6f) * kSubPixel)); }

void DrawScreenTriangle(RasterContext& c, const ScreenVertex* v[3]) {
  const RasterState& s = *c.state;
  int fx[3], fy[3];
  float xs[3], ys[3];
  for (int i = 0; i < 3; ++i) {
    fx[i] = SubPixels(v[i]->x);
    fy[i] = SubPixels(v[i]->y);
    xs[i] = float(fx[i]) / kSubPixel;
    ys[i] = float(fy[i]) / kSubPixel;
  }
  int64_t area = (int64_t(fx[1]) - fx[0]) * (int64_t(fy[2]) - fy[0]) -
                 (int64_t(fx[2]) - fx[0]) * (int64_t(fy[1]) - fy[0]);
  if (area == 0) return;
  // Screen y grows downwards, so a positive area is a clockwise triangle.
  if (s.cullMode == D3DCULL_CCW && area < 0) return;
  if (s.cullMode == D3DCULL_CW && area > 0) return;

  Triangle t;
  float inverseArea = float(kSubPixel * kSubPixel) / float(area);
  t.z = MakePlane(xs, ys, v[0]->z, v[1]->z, v[2]->z, inverseArea);
  float q0 = v[0]->q;
  t.perspective = std::fabs(v[1]->q - q0) > 1e-6f * std::fabs(q0) || std::fabs(v[2]->q - q0) > 1e-6f * std::fabs(q0);
  float q[3];
  for (int i = 0; i < 3; ++i) q[i] = t.perspective ? v[i]->q : 1.0f;
  t.q = MakePlane(xs, ys, q[0], q[1], q[2], inverseArea);
  for (int k = 0; k < kAttributeCount; ++k) {
    t.attributes[k] = MakePlane(xs, ys, AttributeOf(*v[0], k) * q[0], AttributeOf(*v[1], k) * q[1],
                                AttributeOf(*v[2], k) * q[2], inverseArea);
  }
  uint32_t c0 = PackVertexColor(*v[0]);
  t.flatColor = c0;
  t.flat = s.flatShading || (PackVertexColor(*v[1]) == c0 && PackVertexColor(*v[2]) == c0);
  t.flatFixed = FlatFixed(c0);
  ChooseLevels(s, t, (xs[0] + xs[1] + xs[2]) / 3.0f, (ys[0] + ys[1] + ys[2]) / 3.0f);
  t.fastShader = PickFastShader(c, t, &t.span, &t.shadeIntoTarget);
  t.trimClear = rasterSkipsUnchangedPixels && t.fastShader && t.shadeIntoTarget && c.spanBlend == SpanBlend::kOver && s.texture->alphaOr == 0 &&
                t.level0->visibleColumns && (!t.level1 || t.level1->visibleColumns);
  // Blended over the target by its alpha, a texture times a clear diffuse leaves every pixel as
  // it was (the incoming scene's first frames).
  if (t.fastShader && t.shadeIntoTarget && c.spanBlend == SpanBlend::kOver && t.flat && (t.flatColor >> 24) == 0) {
    return;
  }
  OutputFunction output = PickOutput(c);

  // Rows top to bottom: sort the corners by y.
  int order[3] = {0, 1, 2};
  std::sort(order, order + 3, [&](int a, int b) { return fy[a] < fy[b]; });
  int x0 = fx[order[0]], y0 = fy[order[0]];
  int x1 = fx[order[1]], y1 = fy[order[1]];
  int x2 = fx[order[2]], y2 = fy[order[2]];
  int64_t sortedArea = (int64_t(x1) - x0) * (int64_t(y2) - y0) - (int64_t(x2) - x0) * (int64_t(y1) - y0);
  bool longEdgeLeft = sortedArea > 0;

  // The viewport may reach past the target (a picture cropped to fill the screen).
  int top = std::max({CeilDiv(y0, kSubPixel), s.viewportY, 0});
  int bottom = std::min({CeilDiv(y2, kSubPixel), s.viewportY + s.viewportHeight, s.target.height});
  if (top >= bottom) return;
  int clipLeft = std::max(s.viewportX, 0);
  int clipRight = std::min(s.viewportX + s.viewportWidth, s.target.width);
  int minX = std::min({fx[0], fx[1], fx[2]}), maxX = std::max({fx[0], fx[1], fx[2]});
  c.touchedLeft = std::min(c.touchedLeft, std::max(int(FloorDiv(minX, kSubPixel)), clipLeft));
  c.touchedRight = std::max(c.touchedRight, std::min(CeilDiv(maxX, kSubPixel) + 1, clipRight));
  c.touchedTop = std::min(c.touchedTop, top);
  c.touchedBottom = std::max(c.touchedBottom, bottom);
  EdgeWalker longEdge, shortEdge;
  longEdge.Start(x0, y0, x2, y2, top * kSubPixel);
  bool upper = top * kSubPixel < y1;
  if (upper) {
    shortEdge.Start(x0, y0, x1, y1, top * kSubPixel);
  } else {
    shortEdge.Start(x1, y1, x2, y2, top * kSubPixel);
  }
  for (int row = top; row < bottom; ++row, longEdge.Next(), shortEdge.Next()) {
    if (upper && row * kSubPixel >= y1) {
      upper = false;
      shortEdge.Start(x1, y1, x2, y2, row * kSubPixel);
    }
    int64_t longX = longEdge.column;
    int64_t shortX = shortEdge.column;
    int left = int(std::max<int64_t>(longEdgeLeft ? longX : shortX, clipLeft));
    int right = int(std::min<int64_t>(longEdgeLeft ? shortX : longX, clipRight));
    if (left < right) DrawSpan(c, t, output, row, left, right);
  }
}

// ---------------------------------------------------------------------------------------------
// Clipping and projection

float PlaneDistance(const RasterVertex& v, int plane) {
  switch (plane) {
    case 0: return v.z;
    case 1: return v.w - v.z;
    case 2: return v.x + kGuardBand * v.w;
    case 3: return kGuardBand * v.w - v.x;
    case 4: return v.y + kGuardBand * v.w;
    default: return kGuardBand * v.w - v.y;
  }
}

RasterVertex LerpVertex(const RasterVertex& a, const RasterVertex& b, float t) {
  auto l = [t](float x, float y) { return x + (y - x) * t; };
  return RasterVertex{l(a.x, b.x), l(a.y, b.y), l(a.z, b.z), l(a.w, b.w), l(a.r, b.r),
                      l(a.g, b.g), l(a.b, b.b), l(a.a, b.a), l(a.u, b.u), l(a.v, b.v)};
}

int ClipPolygon(RasterVertex* polygon, int count, int planeMask) {
  RasterVertex scratch[kMaxClipVertices];
  RasterVertex* in = polygon;
  RasterVertex* out = scratch;
  for (int plane = 0; plane < 6; ++plane) {
    if (!(planeMask & (1 << plane))) continue;
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const RasterVertex& a = in[i];
      const RasterVertex& b = in[(i + 1) % count];
      float da = PlaneDistance(a, plane);
      float db = PlaneDistance(b, plane);
      if (da >= 0.0f) out[n++] = a;
      if ((da >= 0.0f) != (db >= 0.0f) && n < kMaxClipVertices) out[n++] = LerpVertex(a, b, da / (da - db));
      if (n >= kMaxClipVertices - 1) break;
    }
    count = n;
    std::swap(in, out);
    if (count < 3) return 0;
  }
  if (in != polygon) std::copy(in, in + count, polygon);
  return count;
}

ScreenVertex Project(const RasterState& s, const RasterVertex& v) {
  ScreenVertex p;
  if (s.pretransformed) {
    p.x = v.x;
    p.y = v.y;
    p.z = v.z;
    p.q = v.w > 0.0f ? v.w : 1.0f;
  } else {
    float q = 1.0f / v.w;
    p.x = float(s.viewportX) + (v.x * q + 1.0f) * float(s.viewportWidth) * 0.5f;
    p.y = float(s.viewportY) + (1.0f - v.y * q) * float(s.viewportHeight) * 0.5f;
    p.z = s.minZ + v.z * q * (s.maxZ - s.minZ);
    p.q = q;
  }
  p.r = v.r;
  p.g = v.g;
  p.b = v.b;
  p.a = v.a;
  p.u = v.u;
  p.v = v.v;
  return p;
}

int Outcode(const RasterVertex& v) {
  int code = 0;
  for (int plane = 0; plane < 6; ++plane) {
    if (PlaneDistance(v, plane) < 0.0f) code |= 1 << plane;
  }
  return code;
}

// An alpha test that turns away only pixels the blend would leave untouched costs without
// changing anything.
bool AlphaTestMatters(const RasterContext& c) {
  if (!c.state->alphaTest) return false;
  for (int a = c.blendKind == 1 ? 1 : 0; a < 256; ++a) {
    if (!c.alphaPass[a]) return true;
  }
  return false;
}

void PickWrite(RasterContext& c) {
  c.write = nullptr;
  c.shadeIntoTarget = false;
  c.blendWhileShading = false;
  c.spanBlend = SpanBlend::kReplace;
  if (c.depthActive || c.blendKind == 2) return;
  static const SpanBlend kBlends[4] = {SpanBlend::kReplace, SpanBlend::kOver, SpanBlend::kReplace,
                                       SpanBlend::kAddBySourceColor};
  bool alphaTest = AlphaTestMatters(c);
  c.spanBlend = kBlends[c.blendKind];
  c.write = PickWriteSpan(c.spanBlend, alphaTest);
  c.shadeIntoTarget = c.blendKind == 0 && !alphaTest;
  c.blendWhileShading = !alphaTest;
}

}  // namespace

bool rasterSkipsUnchangedPixels = true;

void RasterBegin(RasterContext& context, const RasterState& state) {
  context.state = &state;
  context.cover = nullptr;
  context.touchedLeft = context.touchedTop = INT32_MAX;
  context.touchedRight = context.touchedBottom = INT32_MIN;
  uint32_t reference = state.alphaRef & 0xFF;
  for (uint32_t a = 0; a < 256; ++a) context.alphaPass[a] = Compare(state.alphaFunc, a, reference);
  context.depthActive = state.depthTest && state.target.depth;
  context.depthWrite = context.depthActive && state.depthWrite;
  context.blendKind = 2;
  bool over = (state.srcBlend == D3DBLEND_SRCALPHA && state.destBlend == D3DBLEND_INVSRCALPHA) ||
              state.srcBlend == D3DBLEND_BOTHSRCALPHA;
  bool replace = state.srcBlend == D3DBLEND_ONE && state.destBlend == D3DBLEND_ZERO;
  if (!state.blend || (replace && state.blendOp == D3DBLENDOP_ADD)) {
    context.blendKind = 0;
  } else if (over && state.blendOp == D3DBLENDOP_ADD) {
    context.blendKind = 1;
  } else if (state.srcBlend == D3DBLEND_SRCCOLOR && state.destBlend == D3DBLEND_ONE &&
             state.blendOp == D3DBLENDOP_ADD) {
    context.blendKind = 3;
  }
  PickWrite(context);
  auto isDiffuse = [](DWORD arg) { return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT; };
  auto modulates = [&](DWORD op, DWORD a1, DWORD a2) {
    return op == D3DTOP_MODULATE &&
           ((a1 == D3DTA_TEXTURE && isDiffuse(a2)) || (a2 == D3DTA_TEXTURE && isDiffuse(a1)));
  };
  context.modulateStage = modulates(state.colorOp, state.colorArg1, state.colorArg2) &&
                          modulates(state.alphaOp, state.alphaArg1, state.alphaArg2);
}

void RasterTriangle(RasterContext& context, const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
  const RasterState& s = *context.state;
  if (s.pretransformed) {
    ScreenVertex p[3] = {Project(s, a), Project(s, b), Project(s, c)};
    const ScreenVertex* v[3] = {&p[0], &p[1], &p[2]};
    DrawScreenTriangle(context, v);
    return;
  }
  int codeA = Outcode(a), codeB = Outcode(b), codeC = Outcode(c);
  if (codeA & codeB & codeC) return;
  RasterVertex polygon[kMaxClipVertices] = {a, b, c};
  int count = 3;
  int planes = codeA | codeB | codeC;
  if (planes) count = ClipPolygon(polygon, count, planes);
  if (count < 3) return;
  ScreenVertex projected[kMaxClipVertices];
  for (int i = 0; i < count; ++i) {
    // Only a corner exactly at the eye can be left with w = 0; it has no screen position.
    if (!(polygon[i].w > 0.0f)) return;
    projected[i] = Project(s, polygon[i]);
  }
  for (int i = 1; i + 1 < count; ++i) {
    const ScreenVertex* v[3] = {&projected[0], &projected[i], &projected[i + 1]};
    DrawScreenTriangle(context, v);
  }
}

// ---------------------------------------------------------------------------------------------
// Opaque covers

namespace {

// Sample positions this close to a texel edge may fall on either side of it.
constexpr double kTexelSlack = 0.05;

// Runs of columns opaque in `opaqueBelow` together with both neighbours.
void AppendOpaqueRuns(const std::vector<uint8_t>& opaqueBelow, std::vector<int>* runs) {
  const int width = int(opaqueBelow.size());
  auto safe = [&](int x) { return opaqueBelow[x - 1] && opaqueBelow[x] && opaqueBelow[x + 1]; };
  for (int x = 1; x + 1 < width;) {
    if (!safe(x)) {
      ++x;
      continue;
    }
    int first = x;
    while (x + 1 < width && safe(x)) ++x;
    runs->push_back(first);
    runs->push_back(x);
  }
}

// The intersection of two sorted run lists.
void IntersectRuns(const int* a, int aCount, const int* b, int bCount, std::vector<int>* out) {
  out->clear();
  for (int i = 0, j = 0; i < aCount && j < bCount;) {
    int first = std::max(a[i], b[j]), end = std::min(a[i + 1], b[j + 1]);
    if (first < end) {
      out->push_back(first);
      out->push_back(end);
    }
    if (a[i + 1] < b[j + 1]) {
      i += 2;
    } else {
      j += 2;
    }
  }
}

struct CoverRectangle {
  float x0, x1, y0, y1;  // screen edges
  float u0, u1, v0, v1;  // texture coordinates at them
};

// The corners as one unrotated rectangle of two triangles that cover it together and survive
// culling; false otherwise.
bool AsRectangle(const RasterState& s, const ScreenVertex* p, CoverRectangle* r) {
  r->x0 = r->x1 = p[0].x;
  r->y0 = r->y1 = p[0].y;
  for (int i = 1; i < 6; ++i) {
    r->x0 = std::min(r->x0, p[i].x), r->x1 = std::max(r->x1, p[i].x);
    r->y0 = std::min(r->y0, p[i].y), r->y1 = std::max(r->y1, p[i].y);
  }
  if (!(r->x0 < r->x1 && r->y0 < r->y1)) return false;
  bool seenU[2] = {false, false}, seenV[2] = {false, false};
  float u[2] = {0, 0}, v[2] = {0, 0};
  int missing[2];
  for (int k = 0; k < 2; ++k) {
    int corners = 0;
    for (int i = 3 * k; i < 3 * k + 3; ++i) {
      bool right = p[i].x == r->x1, bottom = p[i].y == r->y1;
      if ((!right && p[i].x != r->x0) || (!bottom && p[i].y != r->y0)) return false;
      if ((seenU[right] && u[right] != p[i].u) || (seenV[bottom] && v[bottom] != p[i].v)) return false;
      seenU[right] = seenV[bottom] = true;
      u[right] = p[i].u;
      v[bottom] = p[i].v;
      corners |= 1 << (int(right) | int(bottom) << 1);
    }
    if (__builtin_popcount(unsigned(corners)) != 3) return false;
    missing[k] = __builtin_ctz(~unsigned(corners) & 15u);
    const ScreenVertex& a = p[3 * k];
    const ScreenVertex& b = p[3 * k + 1];
    const ScreenVertex& c = p[3 * k + 2];
    float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if ((s.cullMode == D3DCULL_CCW && area < 0) || (s.cullMode == D3DCULL_CW && area > 0)) return false;
  }
  if ((missing[0] ^ missing[1]) != 3) return false;
  *r = CoverRectangle{r->x0, r->x1, r->y0, r->y1, u[0], u[1], v[0], v[1]};
  return true;
}

// Appends the pixels of row-run list `runs` whose samples lie inside a run, within [left, right).
void AppendCoverSpans(const std::vector<int>& runs, double texelAtLeft, double texelsPerPixel, double x0, int left,
                      int right, std::vector<int>* spans) {
  const size_t rowStart = spans->size();
  for (size_t k = 0; k < runs.size(); k += 2) {
    double a = (runs[k] + kTexelSlack - texelAtLeft) / texelsPerPixel + x0;
    double b = (runs[k + 1] - kTexelSlack - texelAtLeft) / texelsPerPixel + x0;
    if (a > b) std::swap(a, b);
    // Pixels whose sample lies strictly between a and b.
    int first = std::max(left, int(std::floor(a)) + 1);
    int end = std::min(right, int(std::ceil(b)));
    if (first < end) {
      spans->push_back(first);
      spans->push_back(end);
    }
  }
  // A mirrored picture meets its runs right to left: reversing the pairs sorts them again.
  if (texelsPerPixel < 0) {
    std::reverse(spans->begin() + long(rowStart), spans->end());
    for (size_t i = rowStart; i + 1 < spans->size(); i += 2) std::swap((*spans)[i], (*spans)[i + 1]);
  }
}

}  // namespace

void FindVisibleColumns(const RasterTextureLevel& level, std::vector<int>* columns) {
  columns->assign(size_t(level.height) * 2, 0);
  for (int y = 0; y < level.height; ++y) {
    const uint32_t* texels = level.texels + size_t(y) * size_t(level.width);
    int first = 0, end = level.width;
    while (first < end && (texels[first] >> 24) == 0) ++first;
    while (end > first && (texels[end - 1] >> 24) == 0) --end;
    (*columns)[2 * size_t(y)] = first;
    (*columns)[2 * size_t(y) + 1] = end;
  }
}

void FindOpaqueTexels(const RasterTextureLevel& level, uint32_t alphaOr, OpaqueTexels* opaque) {
  const int width = level.width, height = level.height;
  opaque->rowFirst.assign(size_t(height) + 1, 0);
  opaque->runs.clear();
  // Opacity of three neighbouring rows, column by column; rows beyond the edges are not opaque.
  std::vector<uint8_t> rows[3];
  std::vector<uint8_t> below(static_cast<size_t>(width));
  auto load = [&](int y, std::vector<uint8_t>& row) {
    row.assign(size_t(width), 0);
    if (y < 0 || y >= height) return;
    const uint32_t* texels = level.texels + size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x) row[x] = ((texels[x] | alphaOr) >> 24) == 0xFF;
  };
  load(-1, rows[0]);
  load(0, rows[1]);
  for (int y = 0; y < height; ++y) {
    load(y + 1, rows[2]);
    for (int x = 0; x < width; ++x) below[x] = rows[0][x] & rows[1][x] & rows[2][x];
    AppendOpaqueRuns(below, &opaque->runs);
    opaque->rowFirst[size_t(y) + 1] = int(opaque->runs.size());
    std::swap(rows[0], rows[1]);
    std::swap(rows[1], rows[2]);
  }
}

bool FindOpaqueCover(const RasterContext& c, const RasterVertex* corners, int triangleCount,
                     const OpaqueTexels& texels, OpaqueCover* cover) {
  const RasterState& s = *c.state;
  if (triangleCount != 2 || !s.texture || s.texture->levelCount < 1 || !c.modulateStage) return false;
  if (c.depthActive || (c.blendKind != 0 && c.blendKind != 1) || (s.alphaTest && !c.alphaPass[255])) return false;
  if (s.maxMipLevel != 0 || (s.mipFilter != D3DTEXF_NONE && s.texture->levelCount > 1)) return false;
  ScreenVertex p[6];
  for (int i = 0; i < 6; ++i) {
    if (!s.pretransformed && (Outcode(corners[i]) != 0 || !(corners[i].w > 0.0f))) return false;
    p[i] = Project(s, corners[i]);
    if (PackVertexColor(p[i]) >> 24 != 0xFF || std::fabs(p[i].q - p[0].q) > 1e-6f * std::fabs(p[0].q)) return false;
    // Where the rasterizer puts the corners.
    p[i].x = float(SubPixels(p[i].x)) / kSubPixel;
    p[i].y = float(SubPixels(p[i].y)) / kSubPixel;
  }
  CoverRectangle r;
  if (!AsRectangle(s, p, &r)) return false;
  const RasterTextureLevel& level = s.texture->levels[0];
  if (int(texels.rowFirst.size()) != level.height + 1) return false;
  const double texelsPerPixelX = double(r.u1 - r.u0) * level.width / double(r.x1 - r.x0);
  const double texelsPerRow = double(r.v1 - r.v0) * level.height / double(r.y1 - r.y0);
  // Pixel centres one pixel inside the edges are inside whatever the fill rule says of the edges.
  int left = std::max({int(std::ceil(r.x0)) + 1, s.viewportX, 0});
  int right = std::min({int(std::ceil(r.x1)) - 1, s.viewportX + s.viewportWidth, s.target.width});
  cover->top = std::max({int(std::ceil(r.y0)) + 1, s.viewportY, 0});
  cover->bottom = std::max(cover->top, std::min({int(std::ceil(r.y1)) - 1, s.viewportY + s.viewportHeight,
                                                 s.target.height}));
  cover->rowFirst.assign(size_t(cover->bottom - cover->top) + 1, 0);
  cover->spans.clear();
  std::vector<int> both;
  for (int y = cover->top; y < cover->bottom; ++y) {
    double tv = double(r.v0) * level.height + (y - r.y0) * texelsPerRow;
    int row0 = int(std::floor(tv - kTexelSlack)), row1 = int(std::floor(tv + kTexelSlack));
    if (row0 >= 0 && row1 < level.height && left < right) {
      const int* a = texels.runs.data() + texels.rowFirst[row0];
      const int* b = texels.runs.data() + texels.rowFirst[row1];
      IntersectRuns(a, texels.rowFirst[row0 + 1] - texels.rowFirst[row0], b,
                    texels.rowFirst[row1 + 1] - texels.rowFirst[row1], &both);
      if (texelsPerPixelX != 0.0) {
        AppendCoverSpans(both, double(r.u0) * level.width, texelsPerPixelX, r.x0, left, right, &cover->spans);
      }
    }
    cover->rowFirst[size_t(y - cover->top) + 1] = int(cover->spans.size());
  }
  return true;
}
