// The shading kernels again for processors with AVX-512 (F, BW and VL), eight pixels a step, the
// algorithms of the AVX2 kernels twice as wide. A bilinear sample along a row that stays put picks
// its two lerped columns out of a window of sixteen with one permute each, where AVX2 loads and
// shuffles them pixel by pixel. The last pixels of a span are a masked step: the lanes past the
// end are shaded from coordinates that still wrap into the texture and never stored. Only these
// functions are built for AVX-512, so the rest of the program runs on any x86.
#include "platform/d3d8/pixel_spans_avx512.h"
#include "platform/d3d8/span_kernel_picker.h"

#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#define VG_SPANS_AVX512 1
// GCC 12's AVX-512 intrinsics start their results from a self-initialised "undefined" register,
// which -Wmaybe-uninitialized reports wherever they are inlined.
#ifndef __clang__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#ifndef __clang__
#pragma GCC diagnostic pop
#endif
#endif

#ifdef VG_SPANS_AVX512

#define VG_AVX512_TARGET __attribute__((target("avx2,avx512f,avx512bw,avx512vl")))
#define VG_AVX512 VG_AVX512_TARGET __attribute__((always_inline)) inline
#define VG_AVX512_KERNEL VG_AVX512_TARGET

namespace {

// Pixels per run of cached columns, a multiple of the step. A run of bilinear samples at most two
// texels apart reads at most 2 * kChunk columns, and the sixteen each step loads lie among them.
constexpr int kChunk = 128;
constexpr int kMaxColumns = 2 * kChunk;
constexpr int32_t kMaxCachedStep = 0x20000;

// 0, du, ..., 7 du: added to u, the coordinates of eight neighbouring pixels.
VG_AVX512 __m256i StepOffsets(uint32_t du) {
  return _mm256_mullo_epi32(_mm256_set1_epi32(int(du)), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

VG_AVX512 __m256i Steps(uint32_t u, __m256i offsets) { return _mm256_add_epi32(_mm256_set1_epi32(int(u)), offsets); }

// Eight packed pixels widened to thirty-two 16-bit channels, in order.
VG_AVX512 __m512i Widen(__m256i eight) { return _mm512_cvtepu8_epi16(eight); }

VG_AVX512 __m256i Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

// Narrowing saturates as the SSE2 packs do: additive sums reach 510.
VG_AVX512 void StoreEight(uint32_t* out, __m512i lanes, __mmask8 valid) {
  _mm256_mask_storeu_epi32(out, valid, _mm512_cvtusepi16_epi8(lanes));
}

// Mul255 on every 16-bit lane, as the SSE2 kernels do it.
VG_AVX512 __m512i Mul255Lanes(__m512i a, __m512i b) {
  __m512i t = _mm512_add_epi16(_mm512_mullo_epi16(a, b), _mm512_set1_epi16(128));
  return _mm512_mulhi_epu16(t, _mm512_set1_epi16(257));
}

VG_AVX512 __m512i LerpLanes(__m512i a, __m512i b, __m512i weightA, __m512i weightB) {
  return _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(a, weightA), _mm512_mullo_epi16(b, weightB)), 8);
}

// Lerp by each pixel's f/256 in its four lanes.
VG_AVX512 __m512i LerpBy(__m512i a, __m512i b, __m512i f) {
  return LerpLanes(a, b, _mm512_sub_epi16(_mm512_set1_epi16(256), f), f);
}

// The 8-bit fraction (the second byte) of each pixel's coordinate in the low half of its 64-bit
// lane, spread over all four of its 16-bit lanes.
VG_AVX512 __m512i Fractions(__m512i coords64) {
  const __m512i spread = _mm512_broadcast_i32x4(_mm_setr_epi8(1, -1, 1, -1, 1, -1, 1, -1, 9, -1, 9, -1, 9, -1, 9, -1));
  return _mm512_shuffle_epi8(coords64, spread);
}

// Each pixel's alpha in its four lanes: one byte shuffle, as the channels are below 256.
VG_AVX512 __m512i AlphaOf(__m512i lanes) {
  const __m512i spread =
      _mm512_broadcast_i32x4(_mm_setr_epi8(6, -1, 6, -1, 6, -1, 6, -1, 14, -1, 14, -1, 14, -1, 14, -1));
  return _mm512_shuffle_epi8(lanes, spread);
}

// Pixels whose alpha lane is set, one bit each.
VG_AVX512 __mmask8 AlphaSet(__m512i lanes) { return _mm512_test_epi64_mask(lanes, _mm512_set1_epi64(0xFFll << 48)); }

// Point samples of one level at eight neighbouring pixels.
template <bool SameRow>
struct PointEights {
  WrapTexture t;
  FixedCoords f;
  const uint32_t* row;
  __m256i uSteps, vSteps;

  VG_AVX512 PointEights(const WrapTexture& level, const FixedCoords& coords)
      : t(level), f(coords), row(level.texels + (((coords.v >> 16) & level.maskV) << level.shiftV)),
        uSteps(StepOffsets(coords.du)), vSteps(StepOffsets(coords.dv)) {}
  void Prepare(uint32_t, int) {}
  VG_AVX512 __m512i At(uint32_t u, uint32_t v) const {
    __m256i whole = _mm256_srli_epi32(Steps(u, uSteps), 16);
    __m256i x = _mm256_and_si256(whole, _mm256_set1_epi32(int(t.maskU)));
    if (SameRow && int32_t(f.du) >= -0x10000 && int32_t(f.du) <= 0x10000) {
      // Steps of at most a texel: the samples lie among eight neighbouring texels, read at once
      // and shuffled into place, unless the row wraps among them.
      uint32_t first = (int32_t(f.du) < 0 ? u + 7 * f.du : u) >> 16;
      uint32_t left = first & t.maskU;
      if (left + 7 <= t.maskU) {
        __m256i order = _mm256_sub_epi32(whole, _mm256_set1_epi32(int(first)));
        return Widen(_mm256_permutevar8x32_epi32(Load(row + left), order));
      }
    }
    if (SameRow) return Widen(_mm256_i32gather_epi32(reinterpret_cast<const int*>(row), x, 4));
    __m256i y = _mm256_and_si256(_mm256_srli_epi32(Steps(v, vSteps), 16), _mm256_set1_epi32(int(t.maskV)));
    __m256i index = _mm256_add_epi32(_mm256_sll_epi32(y, _mm_cvtsi32_si128(t.shiftV)), x);
    return Widen(_mm256_i32gather_epi32(reinterpret_cast<const int*>(t.texels), index, 4));
  }
};

// Bilinear samples of one level along a row that stays put: the columns a run of pixels reads,
// each lerped down once and kept widened, then two neighbours lerped across per sample. The
// order of the lerps is the one every kernel keeps.
struct RowColumnEights {
  WrapTexture t;
  uint32_t du;
  const uint32_t* row0;
  const uint32_t* row1;
  uint16_t fv;
  uint32_t firstU;  // 16.16 coordinate of columns[0]
  __m512i uSteps;   // k du in 64-bit lanes, signed: the offsets never wrap
  alignas(64) uint64_t columns[kMaxColumns];

  VG_AVX512 RowColumnEights(const WrapTexture& level, const FixedCoords& coords) : t(level), du(coords.du) {
    row0 = t.texels + (((coords.v >> 16) & t.maskV) << t.shiftV);
    row1 = t.texels + ((((coords.v >> 16) + 1) & t.maskV) << t.shiftV);
    fv = uint16_t((coords.v >> 8) & 0xFF);
    uSteps = _mm512_mul_epi32(_mm512_set1_epi64(int32_t(du)), _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7));
  }

  // The columns under the `count` pixels from u.
  VG_AVX512 void Prepare(uint32_t u, int count) {
    int64_t travel = int64_t(int32_t(du)) * (count - 1);
    uint32_t low = u + uint32_t(travel < 0 ? travel : 0);
    firstU = low & 0xFFFF0000u;
    int n = int((int64_t(low & 0xFFFF) + (travel < 0 ? -travel : travel)) >> 16) + 2;
    const __m512i f = _mm512_set1_epi16(short(fv));
    const __m256i columnSteps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int j = 0; j < n; j += 8) {
      uint32_t x = ((low >> 16) + uint32_t(j)) & t.maskU;
      __m256i top, bottom;
      if (x + 7 <= t.maskU) {
        top = Load(row0 + x);
        bottom = Load(row1 + x);
      } else {
        __m256i xs = _mm256_and_si256(_mm256_add_epi32(_mm256_set1_epi32(int(x)), columnSteps),
                                      _mm256_set1_epi32(int(t.maskU)));
        top = _mm256_i32gather_epi32(reinterpret_cast<const int*>(row0), xs, 4);
        bottom = _mm256_i32gather_epi32(reinterpret_cast<const int*>(row1), xs, 4);
      }
      _mm512_store_si512(columns + j, LerpBy(Widen(top), Widen(bottom), f));
    }
  }

  VG_AVX512 __m512i At(uint32_t u, uint32_t) const {
    // The sixteen columns from the leftmost sample's hold both of every sample's.
    uint32_t leftmost = ((int32_t(du) < 0 ? u + 7 * du : u) - firstU) & 0xFFFF0000u;
    const uint64_t* window = columns + (leftmost >> 16);
    __m512i low = _mm512_loadu_si512(window), high = _mm512_loadu_si512(window + 8);
    __m512i within = _mm512_add_epi64(_mm512_set1_epi64(int64_t(u - firstU - leftmost)), uSteps);
    __m512i index = _mm512_srli_epi64(within, 16);
    __m512i left = _mm512_permutex2var_epi64(low, index, high);
    __m512i right = _mm512_permutex2var_epi64(low, _mm512_add_epi64(index, _mm512_set1_epi64(1)), high);
    return LerpBy(left, right, Fractions(within));
  }
};

// Bilinear samples of one level where every pixel reads rows of its own (a rotated picture).
// Pixels are sampled in the order 0 2 4 6 1 3 5 7, so that lerping down the even and the odd ones
// and unpacking leaves them in place.
struct CrossRowEights {
  WrapTexture t;
  __m256i uSteps, vSteps;

  VG_AVX512 CrossRowEights(const WrapTexture& level, const FixedCoords& coords) : t(level) {
    const __m256i order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    uSteps = _mm256_mullo_epi32(_mm256_set1_epi32(int(coords.du)), order);
    vSteps = _mm256_mullo_epi32(_mm256_set1_epi32(int(coords.dv)), order);
  }
  void Prepare(uint32_t, int) {}

  // The texel pairs at offsets `left` and `right` of the eight pixels, one 64-bit lane each.
  VG_AVX512 __m512i Pairs(__m256i left, __m256i right, bool wraps) const {
    const int* texels = reinterpret_cast<const int*>(t.texels);
    if (!wraps) return _mm512_i32gather_epi64(left, texels, 4);
    __m256i l = _mm256_i32gather_epi32(texels, left, 4), r = _mm256_i32gather_epi32(texels, right, 4);
    const __m512i interleave = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    return _mm512_permutex2var_epi32(_mm512_castsi256_si512(l), interleave, _mm512_castsi256_si512(r));
  }

  // The 8-bit fractions of coordinates in sampling order, each moved by `spread` into the 16-bit
  // lanes of the pixel or pair that it weights.
  VG_AVX512 static __m512i Spread(__m256i coords, __m512i spread) {
    __m256i f = _mm256_and_si256(_mm256_srli_epi32(coords, 8), _mm256_set1_epi32(0xFF));
    f = _mm256_or_si256(f, _mm256_slli_epi32(f, 16));
    return _mm512_permutexvar_epi32(spread, _mm512_castsi256_si512(f));
  }

  VG_AVX512 __m512i At(uint32_t u, uint32_t v) const {
    const __m256i maskU = _mm256_set1_epi32(int(t.maskU)), maskV = _mm256_set1_epi32(int(t.maskV));
    const __m128i shift = _mm_cvtsi32_si128(t.shiftV);
    const __m256i one = _mm256_set1_epi32(1);
    __m256i uq = Steps(u, uSteps), vq = Steps(v, vSteps);
    __m256i x0 = _mm256_and_si256(_mm256_srli_epi32(uq, 16), maskU);
    __m256i x1 = _mm256_and_si256(_mm256_add_epi32(x0, one), maskU);
    __m256i y = _mm256_srli_epi32(vq, 16);
    __m256i row0 = _mm256_sll_epi32(_mm256_and_si256(y, maskV), shift);
    __m256i row1 = _mm256_sll_epi32(_mm256_and_si256(_mm256_add_epi32(y, one), maskV), shift);
    bool wraps = _mm256_cmpeq_epi32_mask(x0, maskU) != 0;
    __m512i top = Pairs(_mm256_add_epi32(row0, x0), _mm256_add_epi32(row0, x1), wraps);
    __m512i bottom = Pairs(_mm256_add_epi32(row1, x0), _mm256_add_epi32(row1, x1), wraps);
    const __m512i evenDown = _mm512_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    const __m512i oddDown = _mm512_setr_epi32(4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    const __m512i across = _mm512_setr_epi32(0, 0, 4, 4, 1, 1, 5, 5, 2, 2, 6, 6, 3, 3, 7, 7);
    __m512i even = LerpBy(Widen(_mm512_castsi512_si256(top)), Widen(_mm512_castsi512_si256(bottom)),
                          Spread(vq, evenDown));
    __m512i odd = LerpBy(Widen(_mm512_extracti64x4_epi64(top, 1)), Widen(_mm512_extracti64x4_epi64(bottom, 1)),
                         Spread(vq, oddDown));
    return LerpBy(_mm512_unpacklo_epi64(even, odd), _mm512_unpackhi_epi64(even, odd), Spread(uq, across));
  }
};

// Diffuse colours of eight pixels from the 16.16 channel ramps.
struct ColorRamp {
  __m512i even, odd;  // 32-bit lanes b, g, r, a of pixels [0, 2, 4, 6] and [1, 3, 5, 7]
  __m512i step8;

  VG_AVX512 explicit ColorRamp(const FixedColor& c) {
    const __m512i value =
        _mm512_broadcast_i32x4(_mm_setr_epi32(c.c[kFixedB], c.c[kFixedG], c.c[kFixedR], c.c[kFixedA]));
    const __m512i step =
        _mm512_broadcast_i32x4(_mm_setr_epi32(c.d[kFixedB], c.d[kFixedG], c.d[kFixedR], c.d[kFixedA]));
    const __m512i evenPixels = _mm512_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2, 4, 4, 4, 4, 6, 6, 6, 6);
    even = _mm512_add_epi32(value, _mm512_mullo_epi32(step, evenPixels));
    odd = _mm512_add_epi32(even, step);
    step8 = _mm512_slli_epi32(step, 3);
  }
  VG_AVX512 __m512i NextEight() {
    __m512i eight = _mm512_packs_epi32(_mm512_srai_epi32(even, 16), _mm512_srai_epi32(odd, 16));
    even = _mm512_add_epi32(even, step8);
    odd = _mm512_add_epi32(odd, step8);
    return _mm512_min_epi16(_mm512_max_epi16(eight, _mm512_setzero_si512()), _mm512_set1_epi16(255));
  }
};

template <SpanBlend Blend>
VG_AVX512 void WriteEight(__m512i shaded, uint32_t* out, __mmask8 valid) {
  if (Blend == SpanBlend::kReplace) {
    StoreEight(out, shaded, valid);
    return;
  }
  if (Blend == SpanBlend::kAddBySourceColor) {
    __m512i dst = Widen(_mm256_maskz_loadu_epi32(valid, out));
    StoreEight(out, _mm512_add_epi16(Mul255Lanes(shaded, shaded), dst), valid);
    return;
  }
  __m512i a = AlphaOf(shaded);
  // Opaque pixels blend to themselves, without reading the target.
  if (_mm512_cmpeq_epi16_mask(a, _mm512_set1_epi16(255)) == 0xFFFFFFFFu) {
    StoreEight(out, shaded, valid);
    return;
  }
  __m512i dst = Widen(_mm256_maskz_loadu_epi32(valid, out));
  __m512i ia = _mm512_sub_epi16(_mm512_set1_epi16(255), a);
  __m512i t = _mm512_add_epi16(_mm512_add_epi16(_mm512_mullo_epi16(shaded, a), _mm512_mullo_epi16(dst, ia)),
                               _mm512_set1_epi16(128));
  StoreEight(out, _mm512_mulhi_epu16(t, _mm512_set1_epi16(257)), valid);
}

// Shades `count` pixels, eight a step, the last step masked.
template <bool Mip, SpanDiffuse Diffuse, SpanBlend Blend, typename Sampler>
VG_AVX512 void ShadeEights(const SpanTexture& s, const FixedColor& color, int count, uint32_t* out, Sampler& level0,
                           Sampler& level1) {
  const FixedCoords f0 = s.coords[0];
  const FixedCoords f1 = s.coords[Mip ? 1 : 0];
  const __m512i alphaOr = Widen(_mm256_set1_epi32(int(s.level[0].alphaOr)));
  const __m512i flat = Widen(_mm256_set1_epi32(int(color.At(0))));
  const __m512i weight1 = _mm512_set1_epi16(short(s.weight));
  const __m512i weight0 = _mm512_set1_epi16(short(256 - s.weight));
  ColorRamp ramp(color);
  uint32_t u = f0.u, v = f0.v, u1 = f1.u, v1 = f1.v;
  for (int start = 0; start < count; start += kChunk) {
    int n = count - start < kChunk ? count - start : kChunk;
    // The masked lanes of the last step read columns too.
    int shaded = (n + 7) & ~7;
    level0.Prepare(u, shaded);
    if (Mip) level1.Prepare(u1, shaded);
    for (int i = start; i < start + n; i += 8, u += 8 * f0.du, v += 8 * f0.dv, u1 += 8 * f1.du, v1 += 8 * f1.dv) {
      __mmask8 valid = count - i >= 8 ? __mmask8(0xFF) : __mmask8((1u << (count - i)) - 1);
      __m512i texels = level0.At(u, v);
      if (Mip) texels = LerpLanes(texels, level1.At(u1, v1), weight0, weight1);
      texels = _mm512_or_si512(texels, alphaOr);
      __m512i diffuse = Diffuse == SpanDiffuse::kGouraud ? ramp.NextEight() : flat;
      // Clear texels blended by their alpha leave the target as it is, whatever the diffuse.
      if (Blend == SpanBlend::kOver && (AlphaSet(texels) & valid) == 0) continue;
      if (Diffuse != SpanDiffuse::kWhite) texels = Mul255Lanes(texels, diffuse);
      WriteEight<Blend>(texels, out + i, valid);
    }
  }
}

// Point samples left as they are (white diffuse, one level) along a row, steps of at most a
// texel: sixteen texels read as one run and permuted into place, clear and opaque ones never
// widened. Returns the pixels done, a multiple of sixteen.
template <SpanBlend Blend>
VG_AVX512 int CopyTexelRuns(const SpanTexture& s, int count, uint32_t* out) {
  const WrapTexture t = s.level[0];
  const FixedCoords f = s.coords[0];
  const uint32_t* row = t.texels + (((f.v >> 16) & t.maskV) << t.shiftV);
  const __m512i pixels = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m512i offsets = _mm512_mullo_epi32(_mm512_set1_epi32(int(f.du)), pixels);
  const __m512i alphaOr = _mm512_set1_epi32(int(t.alphaOr));
  const __m512i alpha = _mm512_set1_epi32(int(0xFF000000u));
  uint32_t u = f.u;
  int i = 0;
  for (; i + 16 <= count; i += 16, u += 16 * f.du) {
    uint32_t first = (int32_t(f.du) < 0 ? u + 15 * f.du : u) >> 16;
    uint32_t left = first & t.maskU;
    if (left + 15 > t.maskU) break;  // the row wraps here: the eights take over
    __m512i whole = _mm512_srli_epi32(_mm512_add_epi32(_mm512_set1_epi32(int(u)), offsets), 16);
    __m512i run = _mm512_loadu_si512(row + left);
    __m512i texels = _mm512_permutexvar_epi32(_mm512_sub_epi32(whole, _mm512_set1_epi32(int(first))), run);
    texels = _mm512_or_si512(texels, alphaOr);
    if (Blend == SpanBlend::kOver && _mm512_test_epi32_mask(texels, alpha) == 0) continue;
    if (Blend == SpanBlend::kReplace ||
        (Blend == SpanBlend::kOver && _mm512_cmpeq_epi32_mask(_mm512_and_si512(texels, alpha), alpha) == 0xFFFF)) {
      _mm512_storeu_si512(out + i, texels);
      continue;
    }
    WriteEight<Blend>(Widen(_mm512_castsi512_si256(texels)), out + i, 0xFF);
    WriteEight<Blend>(Widen(_mm512_extracti64x4_epi64(texels, 1)), out + i + 8, 0xFF);
  }
  return i;
}

bool ShortStep(uint32_t du) { return int32_t(du) >= -kMaxCachedStep && int32_t(du) <= kMaxCachedStep; }

template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
VG_AVX512_KERNEL void ShadeWrapped(const SpanTexture& s, const FixedColor& color, int count, uint32_t* out) {
  const bool sameRow = s.coords[0].dv == 0 && (!Mip || s.coords[1].dv == 0);
  if (Linear && sameRow && ShortStep(s.coords[0].du) && (!Mip || ShortStep(s.coords[1].du))) {
    RowColumnEights level0(s.level[0], s.coords[0]);
    RowColumnEights level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeEights<Mip, Diffuse, Blend>(s, color, count, out, level0, level1);
  } else if (!Linear && sameRow) {
    if (!Mip && Diffuse == SpanDiffuse::kWhite && int32_t(s.coords[0].du) >= -0x10000 &&
        int32_t(s.coords[0].du) <= 0x10000) {
      int copied = CopyTexelRuns<Blend>(s, count, out);
      if (copied == count) return;
      if (copied > 0) {
        SpanTexture rest = s;
        FixedColor restColor = color;
        AdvanceSpan(rest, restColor, copied);
        ShadeWrapped<Linear, Mip, Diffuse, Blend>(rest, restColor, count - copied, out + copied);
        return;
      }
    }
    PointEights<true> level0(s.level[0], s.coords[0]), level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeEights<Mip, Diffuse, Blend>(s, color, count, out, level0, level1);
  } else if (!Linear) {
    PointEights<false> level0(s.level[0], s.coords[0]), level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeEights<Mip, Diffuse, Blend>(s, color, count, out, level0, level1);
  } else {
    CrossRowEights level0(s.level[0], s.coords[0]), level1(s.level[Mip ? 1 : 0], s.coords[Mip ? 1 : 0]);
    ShadeEights<Mip, Diffuse, Blend>(s, color, count, out, level0, level1);
  }
}

struct Avx512Kernels {
  template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
  static constexpr ShadeSpanFunction kernel = ShadeWrapped<Linear, Mip, Diffuse, Blend>;
};

}  // namespace

ShadeSpanFunction PickWrapShaderAvx512(bool linear, bool mipBlend, SpanDiffuse diffuse, SpanBlend blend) {
  return PickSetKernel<Avx512Kernels>(linear, mipBlend, diffuse, blend);
}

#else

ShadeSpanFunction PickWrapShaderAvx512(bool, bool, SpanDiffuse, SpanBlend) { return nullptr; }

#endif  // VG_SPANS_AVX512
