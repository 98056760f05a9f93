// The shading kernels again for processors with AVX2, four pixels a step. Along a row that stays
// put in the texture (the common unrotated picture), each texel column a bilinear span touches is
// lerped down once instead of once per sample. Only these functions are built for AVX2, so the
// rest of the program runs on any x86. The last pixels of a span go to the SSE2 kernels, which
// give the same pixels.
#include "platform/d3d8/pixel_spans_avx2.h"
#include "platform/d3d8/span_kernel_picker.h"

#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#define VG_SPANS_AVX2 1
#include <immintrin.h>
#endif

#ifdef VG_SPANS_AVX2

#define VG_AVX2 __attribute__((target("avx2"))) __attribute__((always_inline)) inline
#define VG_AVX2_KERNEL __attribute__((target("avx2")))

namespace {

// Pixels per run of cached columns; a run of bilinear samples at most two texels apart reads at
// most 2 * kChunk + 1 columns.
constexpr int kChunk = 128;
constexpr int kMaxColumns = 2 * kChunk + 8;
constexpr int32_t kMaxCachedStep = 0x20000;

// 0, du, 2 du, 3 du: added to u, the coordinates of four neighbouring pixels.
inline __m128i StepOffsets(uint32_t du) {
  return _mm_setr_epi32(0, int(du), int(2 * du), int(3 * du));
}

VG_AVX2 __m128i Steps(uint32_t u, __m128i offsets) { return _mm_add_epi32(_mm_set1_epi32(int(u)), offsets); }

// Four packed pixels widened to sixteen 16-bit channels: [p0 p1 | p2 p3].
VG_AVX2 __m256i Widen(__m128i quad) { return _mm256_cvtepu8_epi16(quad); }

VG_AVX2 void StoreQuad(uint32_t* out, __m256i lanes) {
  __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lanes, lanes), _MM_SHUFFLE(3, 1, 2, 0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
}

// Mul255 on every 16-bit lane, as the SSE2 kernels do it.
VG_AVX2 __m256i Mul255Lanes(__m256i a, __m256i b) {
  __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
  return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

VG_AVX2 __m256i LerpLanes(__m256i a, __m256i b, __m256i weightA, __m256i weightB) {
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, weightA), _mm256_mullo_epi16(b, weightB)), 8);
}

// Each pixel's 8-bit fraction of 16.16 coordinates (the second byte), in all four of its 16-bit
// lanes.
VG_AVX2 __m256i Fractions(__m128i coords) {
  const __m256i spread = _mm256_setr_epi8(1, -1, 1, -1, 1, -1, 1, -1, 5, -1, 5, -1, 5, -1, 5, -1,  //
                                          9, -1, 9, -1, 9, -1, 9, -1, 13, -1, 13, -1, 13, -1, 13, -1);
  return _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(coords), spread);
}

VG_AVX2 __m256i AlphaOf(__m256i lanes) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(lanes, 0xFF), 0xFF); }

// Point samples of one level at four neighbouring pixels.
template <bool SameRow>
struct PointQuads {
  WrapTexture t;
  FixedCoords f;
  const uint32_t* row;
  __m128i uSteps, vSteps;

  PointQuads(const WrapTexture& level, const FixedCoords& coords)
      : t(level), f(coords), row(level.texels + (((coords.v >> 16) & level.maskV) << level.shiftV)),
        uSteps(StepOffsets(coords.du)), vSteps(StepOffsets(coords.dv)) {}
  void Prepare(uint32_t, int) {}
  VG_AVX2 __m256i At(uint32_t u, uint32_t v) const {
    __m128i whole = _mm_srli_epi32(Steps(u, uSteps), 16);
    __m128i x = _mm_and_si128(whole, _mm_set1_epi32(int(t.maskU)));
    if (SameRow && int32_t(f.du) >= -0x10000 && int32_t(f.du) <= 0x10000) {
      // Steps of at most a texel: the four samples lie among four neighbouring texels, read at
      // once and shuffled into place, unless the row wraps among them.
      uint32_t first = (int32_t(f.du) < 0 ? u + 3 * f.du : u) >> 16;
      uint32_t left = first & t.maskU;
      if (left + 3 <= t.maskU) {
        __m128i texels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + left));
        __m128i order = _mm_sub_epi32(whole, _mm_set1_epi32(int(first)));
        return Widen(_mm_castps_si128(_mm_permutevar_ps(_mm_castsi128_ps(texels), order)));
      }
    }
    if (SameRow) return Widen(_mm_i32gather_epi32(reinterpret_cast<const int*>(row), x, 4));
    __m128i y = _mm_and_si128(_mm_srli_epi32(Steps(v, vSteps), 16), _mm_set1_epi32(int(t.maskV)));
    __m128i index = _mm_add_epi32(_mm_sll_epi32(y, _mm_cvtsi32_si128(t.shiftV)), x);
    return Widen(_mm_i32gather_epi32(reinterpret_cast<const int*>(t.texels), index, 4));
  }
};

// Bilinear samples of one level along a row that stays put: the columns a run of pixels reads,
// each lerped down once and kept widened, then two neighbours lerped across per sample. The
// order of the lerps is the one every kernel keeps.
struct RowColumnQuads {
  WrapTexture t;
  uint32_t du;
  const uint32_t* row0;
  const uint32_t* row1;
  uint16_t fv;
  uint32_t firstU;  // 16.16 coordinate of columns[0]
  __m128i uSteps;
  alignas(32) uint64_t columns[kMaxColumns];

  RowColumnQuads(const WrapTexture& level, const FixedCoords& coords)
      : t(level), du(coords.du), uSteps(StepOffsets(coords.du)) {
    row0 = t.texels + (((coords.v >> 16) & t.maskV) << t.shiftV);
    row1 = t.texels + ((((coords.v >> 16) + 1) & t.maskV) << t.shiftV);
    fv = uint16_t((coords.v >> 8) & 0xFF);
  }

  // The columns under the `count` pixels from u.
  VG_AVX2 void Prepare(uint32_t u, int count) {
    int64_t travel = int64_t(int32_t(du)) * (count - 1);
    uint32_t low = u + uint32_t(travel < 0 ? travel : 0);
    firstU = low & 0xFFFF0000u;
    int n = int((int64_t(low & 0xFFFF) + (travel < 0 ? -travel : travel)) >> 16) + 2;
    const __m256i f = _mm256_set1_epi16(short(fv));
    const __m256i g = _mm256_sub_epi16(_mm256_set1_epi16(256), f);
    for (int j = 0; j < n; j += 4) {
      uint32_t x = ((low >> 16) + uint32_t(j)) & t.maskU;
      __m128i top, bottom;
      if (x + 3 <= t.maskU) {
        top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + x));
        bottom = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1 + x));
      } else {
        uint32_t x1 = (x + 1) & t.maskU, x2 = (x + 2) & t.maskU, x3 = (x + 3) & t.maskU;
        top = _mm_setr_epi32(int(row0[x]), int(row0[x1]), int(row0[x2]), int(row0[x3]));
        bottom = _mm_setr_epi32(int(row1[x]), int(row1[x1]), int(row1[x2]), int(row1[x3]));
      }
      __m256i lerped = LerpLanes(Widen(top), Widen(bottom), g, f);
      _mm256_store_si256(reinterpret_cast<__m256i*>(columns + j), lerped);
    }
  }

  VG_AVX2 __m128i Pair(uint32_t u) const {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(columns + ((u - firstU) >> 16)));
  }

  VG_AVX2 __m256i At(uint32_t u, uint32_t) const {
    __m256i even = _mm256_inserti128_si256(_mm256_castsi128_si256(Pair(u)), Pair(u + 2 * du), 1);
    __m256i odd = _mm256_inserti128_si256(_mm256_castsi128_si256(Pair(u + du)), Pair(u + 3 * du), 1);
    __m256i left = _mm256_unpacklo_epi64(even, odd);
    __m256i right = _mm256_unpackhi_epi64(even, odd);
    __m256i f = Fractions(Steps(u, uSteps));
    return LerpLanes(left, right, _mm256_sub_epi16(_mm256_set1_epi16(256), f), f);
  }
};

// Bilinear samples of one level where every pixel reads rows of its own (a rotated picture).
struct CrossRowQuads {
  WrapTexture t;
  __m128i uSteps, vSteps;

  CrossRowQuads(const WrapTexture& level, const FixedCoords& coords)
      : t(level), uSteps(StepOffsets(coords.du)), vSteps(StepOffsets(coords.dv)) {}
  void Prepare(uint32_t, int) {}

  // The texel pairs at offsets `left` and `right` of four pixels, as [pixel 0, pixel 2] and
  // [pixel 1, pixel 3]: the order in which lerping down and then unpacking leaves them in place.
  VG_AVX2 void Pairs(__m128i left, __m128i right, bool wraps, __m128i* even, __m128i* odd) const {
    const int* texels = reinterpret_cast<const int*>(t.texels);
    if (!wraps) {
      // Plain loads: they overlap from one step to the next better than a gather does.
      const __m128i* p0 = reinterpret_cast<const __m128i*>(t.texels + _mm_cvtsi128_si32(left));
      const __m128i* p1 = reinterpret_cast<const __m128i*>(t.texels + _mm_extract_epi32(left, 1));
      const __m128i* p2 = reinterpret_cast<const __m128i*>(t.texels + _mm_extract_epi32(left, 2));
      const __m128i* p3 = reinterpret_cast<const __m128i*>(t.texels + _mm_extract_epi32(left, 3));
      *even = _mm_unpacklo_epi64(_mm_loadl_epi64(p0), _mm_loadl_epi64(p2));
      *odd = _mm_unpacklo_epi64(_mm_loadl_epi64(p1), _mm_loadl_epi64(p3));
      return;
    }
    __m128i l = _mm_i32gather_epi32(texels, left, 4), r = _mm_i32gather_epi32(texels, right, 4);
    __m128i low = _mm_unpacklo_epi32(l, r), high = _mm_unpackhi_epi32(l, r);
    *even = _mm_unpacklo_epi64(low, high);
    *odd = _mm_unpackhi_epi64(low, high);
  }

  VG_AVX2 __m256i At(uint32_t u, uint32_t v) const {
    const __m128i maskU = _mm_set1_epi32(int(t.maskU)), maskV = _mm_set1_epi32(int(t.maskV));
    const __m128i shift = _mm_cvtsi32_si128(t.shiftV), one = _mm_set1_epi32(1);
    __m128i uq = Steps(u, uSteps), vq = Steps(v, vSteps);
    __m128i x0 = _mm_and_si128(_mm_srli_epi32(uq, 16), maskU);
    __m128i x1 = _mm_and_si128(_mm_add_epi32(x0, one), maskU);
    __m128i y = _mm_srli_epi32(vq, 16);
    __m128i row0 = _mm_sll_epi32(_mm_and_si128(y, maskV), shift);
    __m128i row1 = _mm_sll_epi32(_mm_and_si128(_mm_add_epi32(y, one), maskV), shift);
    bool wraps = _mm_movemask_epi8(_mm_cmpeq_epi32(x0, maskU)) != 0;
    __m128i topEven, topOdd, bottomEven, bottomOdd;
    Pairs(_mm_add_epi32(row0, x0), _mm_add_epi32(row0, x1), wraps, &topEven, &topOdd);
    Pairs(_mm_add_epi32(row1, x0), _mm_add_epi32(row1, x1), wraps, &bottomEven, &bottomOdd);
    // Each pixel's fraction down, over both texels of its pair.
    const __m256i evenSpread = _mm256_setr_epi8(1, -1, 1, -1, 1, -1, 1, -1, 1, -1, 1, -1, 1, -1, 1, -1,  //
                                                9, -1, 9, -1, 9, -1, 9, -1, 9, -1, 9, -1, 9, -1, 9, -1);
    const __m256i oddSpread = _mm256_setr_epi8(5, -1, 5, -1, 5, -1, 5, -1, 5, -1, 5, -1, 5, -1, 5, -1,  //
                                               13, -1, 13, -1, 13, -1, 13, -1, 13, -1, 13, -1, 13, -1, 13, -1);
    const __m256i vs = _mm256_broadcastsi128_si256(vq), full = _mm256_set1_epi16(256);
    __m256i fvEven = _mm256_shuffle_epi8(vs, evenSpread), fvOdd = _mm256_shuffle_epi8(vs, oddSpread);
    __m256i even = LerpLanes(Widen(topEven), Widen(bottomEven), _mm256_sub_epi16(full, fvEven), fvEven);
    __m256i odd = LerpLanes(Widen(topOdd), Widen(bottomOdd), _mm256_sub_epi16(full, fvOdd), fvOdd);
    __m256i f = Fractions(uq);
    return LerpLanes(_mm256_unpacklo_epi64(even, odd), _mm256_unpackhi_epi64(even, odd), _mm256_sub_epi16(full, f), f);
  }
};

// Diffuse colours of four pixels from the 16.16 channel ramps.
struct ColorRamp {
  __m256i even, odd;  // 32-bit lanes b, g, r, a of pixels [0, 2] and [1, 3]
  __m256i step4;

  VG_AVX2 explicit ColorRamp(const FixedColor& c) {
    __m256i value = _mm256_setr_epi32(c.c[kFixedB], c.c[kFixedG], c.c[kFixedR], c.c[kFixedA], c.c[kFixedB],
                                      c.c[kFixedG], c.c[kFixedR], c.c[kFixedA]);
    __m256i step = _mm256_setr_epi32(c.d[kFixedB], c.d[kFixedG], c.d[kFixedR], c.d[kFixedA], c.d[kFixedB],
                                     c.d[kFixedG], c.d[kFixedR], c.d[kFixedA]);
    __m256i step2 = _mm256_add_epi32(step, step);
    even = _mm256_add_epi32(value, _mm256_permute2x128_si256(step2, step2, 0x08));  // [c, c + 2d]
    odd = _mm256_add_epi32(even, step);
    step4 = _mm256_add_epi32(step2, step2);
  }
  VG_AVX2 __m256i NextQuad() {
    __m256i quad = _mm256_packs_epi32(_mm256_srai_epi32(even, 16), _mm256_srai_epi32(odd, 16));
    even = _mm256_add_epi32(even, step4);
    odd = _mm256_add_epi32(odd, step4);
    return _mm256_min_epi16(_mm256_max_epi16(quad, _mm256_setzero_si256()), _mm256_set1_epi16(255));
  }
};

template <SpanBlend Blend>
VG_AVX2 void WriteQuad(__m256i shaded, uint32_t* out) {
  if (Blend == SpanBlend::kReplace) {
    StoreQuad(out, shaded);
    return;
  }
  __m256i dst = Widen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(out)));
  if (Blend == SpanBlend::kAddBySourceColor) {
    StoreQuad(out, _mm256_add_epi16(Mul255Lanes(shaded, shaded), dst));
    return;
  }
  __m256i a = AlphaOf(shaded);
  // Opaque pixels blend to themselves.
  if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(a, _mm256_set1_epi16(255))) == -1) {
    StoreQuad(out, shaded);
    return;
  }
  __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
  __m256i t = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(shaded, a), _mm256_mullo_epi16(dst, ia)),
                               _mm256_set1_epi16(128));
  StoreQuad(out, _mm256_mulhi_epu16(t, _mm256_set1_epi16(257)));
}

// Shades the first `count` pixels, a multiple of four.
template <bool Mip, SpanDiffuse Diffuse, SpanBlend Blend, typename Sampler>
VG_AVX2 void ShadeQuads(const SpanTexture& s, const FixedColor& color, int count, uint32_t* out, Sampler& level0,
                        Sampler& level1) {
  const FixedCoords f0 = s.coords[0];
  const FixedCoords f1 = s.coords[Mip ? 1 : 0];
  const __m256i alphaOr = Widen(_mm_set1_epi32(int(s.level[0].alphaOr)));
  const __m256i flat = Widen(_mm_set1_epi32(int(color.At(0))));
  const __m256i weight1 = _mm256_set1_epi16(short(s.weight));
  const __m256i weight0 = _mm256_set1_epi16(short(256 - s.weight));
  const __m256i alphaLanes = _mm256_setr_epi16(0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF);
  ColorRamp ramp(color);
  uint32_t u = f0.u, v = f0.v, u1 = f1.u, v1 = f1.v;
  for (int start = 0; start < count; start += kChunk) {
    int n = count - start < kChunk ? count - start : kChunk;
    level0.Prepare(u, n);
    if (Mip) level1.Prepare(u1, n);
    for (int i = start; i < start + n; i += 4, u += 4 * f0.du, v += 4 * f0.dv, u1 += 4 * f1.du, v1 += 4 * f1.dv) {
      __m256i texels = level0.At(u, v);
      if (Mip) texels = LerpLanes(texels, level1.At(u1, v1), weight0, weight1);
      texels = _mm256_or_si256(texels, alphaOr);
      __m256i diffuse = Diffuse == SpanDiffuse::kGouraud ? ramp.NextQuad() : flat;
      // Clear texels blended by their alpha leave the target as it is, whatever the diffuse.
      if (Blend == SpanBlend::kOver &&
          _mm256_testz_si256(texels, alphaLanes)) {
        continue;
      }
      if (Diffuse != SpanDiffuse::kWhite) texels = Mul255Lanes(texels, diffuse);
      WriteQuad<Blend>(texels, out + i);
    }
  }
}

// Point samples left as they are (white diffuse, one level) along a row, steps of at most a
// texel: eight texels read as one run and shuffled into place, clear and opaque ones never
// widened. Returns the pixels done, a multiple of eight.
template <SpanBlend Blend>
VG_AVX2 int CopyTexelRuns(const SpanTexture& s, int count, uint32_t* out) {
  const WrapTexture t = s.level[0];
  const FixedCoords f = s.coords[0];
  const uint32_t* row = t.texels + (((f.v >> 16) & t.maskV) << t.shiftV);
  const __m256i offsets = _mm256_setr_epi32(0, int(f.du), int(2 * f.du), int(3 * f.du), int(4 * f.du),
                                            int(5 * f.du), int(6 * f.du), int(7 * f.du));
  const __m256i alphaOr = _mm256_set1_epi32(int(t.alphaOr));
  const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u));
  uint32_t u = f.u;
  int i = 0;
  for (; i + 8 <= count; i += 8, u += 8 * f.du) {
    uint32_t first = (int32_t(f.du) < 0 ? u + 7 * f.du : u) >> 16;
    uint32_t left = first & t.maskU;
    if (left + 7 > t.maskU) break;  // the row wraps here: the quads take over
    __m256i whole = _mm256_srli_epi32(_mm256_add_epi32(_mm256_set1_epi32(int(u)), offsets), 16);
    __m256i run = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + left));
    __m256i texels = _mm256_permutevar8x32_epi32(run, _mm256_sub_epi32(whole, _mm256_set1_epi32(int(first))));
    texels = _mm256_or_si256(texels, alphaOr);
    __m256i a = _mm256_and_si256(texels, alpha);
    if (Blend == SpanBlend::kOver && _mm256_testz_si256(texels, alpha)) continue;
    if (Blend == SpanBlend::kReplace ||
        (Blend == SpanBlend::kOver && _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alpha)) == -1)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), texels);
      continue;
    }
    WriteQuad<Blend>(Widen(_mm256_castsi256_si128(texels)), out + i);
    WriteQuad<Blend>(Widen(_mm256_extracti128_si256(texels, 1)), out + i + 4);
  }
  return i;
}

bool ShortStep(uint32_t du) { return int32_t(du) >= -kMaxCachedStep && int32_t(du) <= kMaxCachedStep; }

template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
VG_AVX2_KERNEL void ShadeWrapped(const SpanTexture& s, const FixedColor& color, int count, uint32_t* out) {
  static const ShadeSpanFunction sse2 = PickWrapShader(SpanKernelSet::kSse2, Linear, Mip, Diffuse, Blend);
  const bool sameRow = s.coords[0].dv == 0 && (!Mip || s.coords[1].dv == 0);
  int done = count & ~3;
  if (Linear && sameRow && ShortStep(s.coords[0].du) && (!Mip || ShortStep(s.coords[1].du))) {
    RowColumnQuads level0(s.level[0], s.coords[0]);
    RowColumnQuads level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeQuads<Mip, Diffuse, Blend>(s, color, done, out, level0, level1);
  } else if (!Linear && sameRow) {
    if (!Mip && Diffuse == SpanDiffuse::kWhite && int32_t(s.coords[0].du) >= -0x10000 &&
        int32_t(s.coords[0].du) <= 0x10000) {
      int copied = CopyTexelRuns<Blend>(s, done, out);
      if (copied == count) return;
      if (copied > 0) {
        SpanTexture rest = s;
        FixedColor restColor = color;
        AdvanceSpan(rest, restColor, copied);
        ShadeWrapped<Linear, Mip, Diffuse, Blend>(rest, restColor, count - copied, out + copied);
        return;
      }
    }
    PointQuads<true> level0(s.level[0], s.coords[0]), level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeQuads<Mip, Diffuse, Blend>(s, color, done, out, level0, level1);
  } else if (!Linear) {
    PointQuads<false> level0(s.level[0], s.coords[0]), level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeQuads<Mip, Diffuse, Blend>(s, color, done, out, level0, level1);
  } else {
    CrossRowQuads level0(s.level[0], s.coords[0]), level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeQuads<Mip, Diffuse, Blend>(s, color, done, out, level0, level1);
  }
  if (done == count) return;
  SpanTexture rest = s;
  FixedColor restColor = color;
  AdvanceSpan(rest, restColor, done);
  sse2(rest, restColor, count - done, out + done);
}

struct Avx2Kernels {
  template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
  static constexpr ShadeSpanFunction kernel = ShadeWrapped<Linear, Mip, Diffuse, Blend>;
};

}  // namespace

ShadeSpanFunction PickWrapShaderAvx2(bool linear, bool mipBlend, SpanDiffuse diffuse, SpanBlend blend) {
  return PickSetKernel<Avx2Kernels>(linear, mipBlend, diffuse, blend);
}

#else

ShadeSpanFunction PickWrapShaderAvx2(bool, bool, SpanDiffuse, SpanBlend) { return nullptr; }

#endif  // VG_SPANS_AVX2
