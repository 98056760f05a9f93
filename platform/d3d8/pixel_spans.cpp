#include "platform/d3d8/pixel_spans.h"

#include "platform/d3d8/pixel_spans_avx2.h"
#include "platform/d3d8/span_kernel_picker.h"
#include "platform/d3d8/pixel_spans_avx512.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VG_SPANS_SSE2 1
#endif

// The samplers are small but called per pixel from many kernels; left to itself the compiler
// keeps them out of line.
#if defined(__GNUC__)
#define VG_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define VG_ALWAYS_INLINE inline
#endif

uint32_t FixedColor::At(int i) const {
  // Rounding in the float setup may overshoot an end by a hair; never let it leak into a
  // neighbouring channel.
  auto channel = [&](int k) {
    int32_t v = int32_t(uint32_t(c[k]) + uint32_t(d[k]) * uint32_t(i)) >> 16;
    return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v);
  };
  return Pack(channel(kFixedA), channel(kFixedR), channel(kFixedG), channel(kFixedB));
}

namespace {

inline uint32_t SamplePoint(const WrapTexture& t, uint32_t u, uint32_t v) {
  return t.texels[(((v >> 16) & t.maskV) << t.shiftV) + ((u >> 16) & t.maskU)];
}

struct BilinearTaps {
  uint32_t t00, t10, t01, t11, fu, fv;
};

inline BilinearTaps Taps(const WrapTexture& t, uint32_t u, uint32_t v) {
  uint32_t x0 = (u >> 16) & t.maskU;
  uint32_t x1 = (x0 + 1) & t.maskU;
  const uint32_t* row0 = t.texels + (((v >> 16) & t.maskV) << t.shiftV);
  const uint32_t* row1 = t.texels + ((((v >> 16) + 1) & t.maskV) << t.shiftV);
  return BilinearTaps{row0[x0], row0[x1], row1[x0], row1[x1], (u >> 8) & 0xFF, (v >> 8) & 0xFF};
}

inline uint32_t SampleLinear(const WrapTexture& t, uint32_t u, uint32_t v) {
  BilinearTaps p = Taps(t, u, v);
  return Bilinear(p.t00, p.t10, p.t01, p.t11, p.fu, p.fv);
}

template <bool Linear>
inline uint32_t Sample(const WrapTexture& t, uint32_t u, uint32_t v) {
  return (Linear ? SampleLinear(t, u, v) : SamplePoint(t, u, v)) | t.alphaOr;
}

template <SpanBlend Blend>
inline uint32_t BlendPixel(uint32_t src, uint32_t dst) {
  if (Blend == SpanBlend::kOver) return BlendOver(src, dst);
  if (Blend == SpanBlend::kAddBySourceColor) return BlendAddBySourceColor(src, dst);
  return src;
}

#ifdef VG_SPANS_SSE2

// Two packed pixels widened to eight 16-bit channels: [a's b g r a, b's b g r a].
inline __m128i Widen(uint32_t a, uint32_t b) {
  __m128i pair = _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(a)), _mm_cvtsi32_si128(int(b)));
  return _mm_unpacklo_epi8(pair, _mm_setzero_si128());
}

// [x, x, x, x, y, y, y, y] in 16-bit lanes.
inline __m128i SplitWeights(uint32_t x, uint32_t y) {
  __m128i w = _mm_cvtsi32_si128(int(x | (y << 16)));
  w = _mm_unpacklo_epi16(w, w);
  return _mm_unpacklo_epi32(w, w);
}

// Mul255 on every 16-bit lane: (t + (t >> 8)) >> 8 equals (t * 257) >> 16 for t below 2^16.
inline __m128i Mul255Lanes(__m128i a, __m128i b) {
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
  return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}

// The two texture rows a bilinear sample at v reads, and its weights down the columns.
struct RowPair {
  const uint32_t* row0;
  const uint32_t* row1;
  __m128i fv, gv;

  RowPair(const WrapTexture& t, uint32_t v) {
    row0 = t.texels + (((v >> 16) & t.maskV) << t.shiftV);
    row1 = t.texels + ((((v >> 16) + 1) & t.maskV) << t.shiftV);
    fv = _mm_set1_epi16(short((v >> 8) & 0xFF));
    gv = _mm_sub_epi16(_mm_set1_epi16(256), fv);
  }
};

// The two columns one bilinear sample reads, widened and lerped down: [left, right]. Neighbouring
// texels of a row are read as one pair unless the row wraps between them.
VG_ALWAYS_INLINE __m128i ColumnLanes(const WrapTexture& t, const RowPair& rows, uint32_t u) {
  uint32_t x0 = (u >> 16) & t.maskU;
  __m128i top, bottom;
  if (x0 < t.maskU) {
    top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows.row0 + x0));
    bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows.row1 + x0));
  } else {
    top = _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(rows.row0[x0])), _mm_cvtsi32_si128(int(rows.row0[0])));
    bottom = _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(rows.row1[x0])), _mm_cvtsi32_si128(int(rows.row1[0])));
  }
  const __m128i zero = _mm_setzero_si128();
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), rows.gv),
                                      _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), rows.fv)),
                        8);
}

// Two bilinear samples at u and w from their columns: both lerps across in one pass.
VG_ALWAYS_INLINE __m128i AcrossPair(__m128i columnsU, __m128i columnsW, uint32_t u, uint32_t w) {
  __m128i left = _mm_unpacklo_epi64(columnsU, columnsW);
  __m128i right = _mm_unpackhi_epi64(columnsU, columnsW);
  __m128i f = SplitWeights((u >> 8) & 0xFF, (w >> 8) & 0xFF);
  __m128i g = _mm_sub_epi16(_mm_set1_epi16(256), f);
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(left, g), _mm_mullo_epi16(right, f)), 8);
}

// Two neighbouring samples of a span, widened into one register. Rows that stay the same along
// the span (dv = 0, the common unrotated picture) are looked up once by the caller.
template <bool Linear, bool SameRow>
VG_ALWAYS_INLINE __m128i SamplePair(const WrapTexture& t, const RowPair& spanRows, uint32_t u, uint32_t v,
                                    uint32_t du, uint32_t dv) {
  if (!Linear) {
    if (SameRow) {
      return Widen(spanRows.row0[(u >> 16) & t.maskU], spanRows.row0[((u + du) >> 16) & t.maskU]);
    }
    return Widen(SamplePoint(t, u, v), SamplePoint(t, u + du, v + dv));
  }
  if (SameRow) return AcrossPair(ColumnLanes(t, spanRows, u), ColumnLanes(t, spanRows, u + du), u, u + du);
  return AcrossPair(ColumnLanes(t, RowPair(t, v), u), ColumnLanes(t, RowPair(t, v + dv), u + du), u, u + du);
}

// Diffuse colours of pixels i and i + 1, widened, from the 16.16 channel ramps.
struct ColorRamp {
  __m128i value, step2;  // 32-bit lanes b, g, r, a

  explicit ColorRamp(const FixedColor& c) {
    value = _mm_setr_epi32(c.c[kFixedB], c.c[kFixedG], c.c[kFixedR], c.c[kFixedA]);
    __m128i step = _mm_setr_epi32(c.d[kFixedB], c.d[kFixedG], c.d[kFixedR], c.d[kFixedA]);
    step2 = _mm_add_epi32(step, step);
    second = _mm_add_epi32(value, step);
  }
  __m128i NextPair() {
    __m128i pair = _mm_packs_epi32(_mm_srai_epi32(value, 16), _mm_srai_epi32(second, 16));
    value = _mm_add_epi32(value, step2);
    second = _mm_add_epi32(second, step2);
    return _mm_min_epi16(_mm_max_epi16(pair, _mm_setzero_si128()), _mm_set1_epi16(255));
  }
  __m128i second;
};

// The blend of two widened pixels over their widened destinations.
inline __m128i OverLanes(__m128i s, __m128i d) {
  __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
  __m128i t = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)), _mm_set1_epi16(128));
  return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}

// Two shaded pixels, widened, written over two target pixels.
template <SpanBlend Blend>
inline void WritePair(__m128i shaded, uint32_t* out) {
  __m128i* target = reinterpret_cast<__m128i*>(out);
  if (Blend == SpanBlend::kReplace) {
    _mm_storel_epi64(target, _mm_packus_epi16(shaded, shaded));
    return;
  }
  const __m128i dst = _mm_unpacklo_epi8(_mm_loadl_epi64(target), _mm_setzero_si128());
  __m128i result;
  if (Blend == SpanBlend::kOver) {
    result = OverLanes(shaded, dst);
  } else {
    result = _mm_add_epi16(Mul255Lanes(shaded, shaded), dst);
  }
  _mm_storel_epi64(target, _mm_packus_epi16(result, result));
}

// The lerp between two widened samples of neighbouring mip levels, as LerpPacked does it.
inline __m128i LerpLanes(__m128i a, __m128i b, __m128i weightA, __m128i weightB) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, weightA), _mm_mullo_epi16(b, weightB)), 8);
}

template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend, bool SameRow>
void ShadeSpan(const SpanTexture& s, const FixedColor& color, int count, uint32_t* out) {
  // Copies the stores to `out` cannot alias, so the loop keeps them in registers.
  const WrapTexture t = s.level[0];
  const WrapTexture t1 = Mip ? s.level[1] : s.level[0];
  const FixedCoords f = s.coords[0];
  const FixedCoords f1 = Mip ? s.coords[1] : s.coords[0];
  if constexpr (!Linear && !Mip && Diffuse == SpanDiffuse::kWhite && Blend == SpanBlend::kReplace && SameRow) {
    // A plain copy of texels: nothing for the vector unit to do.
    const uint32_t* row = t.texels + (((f.v >> 16) & t.maskV) << t.shiftV);
    uint32_t u = f.u;
    for (int i = 0; i < count; ++i, u += f.du) out[i] = row[(u >> 16) & t.maskU] | t.alphaOr;
    return;
  }
  const __m128i alphaOr = Widen(t.alphaOr, t.alphaOr);
  const uint32_t flat = color.At(0);
  const __m128i flatLanes = Widen(flat, flat);
  const __m128i weight1 = _mm_set1_epi16(short(s.weight));
  const __m128i weight0 = _mm_set1_epi16(short(256 - s.weight));
  const RowPair spanRows(t, f.v);
  const RowPair spanRows1(t1, f1.v);
  ColorRamp ramp(color);
  const __m128i alphaLanes = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
  uint32_t u = f.u, v = f.v, u1 = f1.u, v1 = f1.v;
  int i = 0;
  for (; i + 2 <= count; i += 2, u += 2 * f.du, v += 2 * f.dv, u1 += 2 * f1.du, v1 += 2 * f1.dv) {
    __m128i texels = SamplePair<Linear, SameRow>(t, spanRows, u, v, f.du, f.dv);
    if (Mip) {
      __m128i second = SamplePair<Linear, SameRow>(t1, spanRows1, u1, v1, f1.du, f1.dv);
      texels = LerpLanes(texels, second, weight0, weight1);
    }
    texels = _mm_or_si128(texels, alphaOr);
    // The ramp steps past skipped pixels too.
    const __m128i diffuse = Diffuse == SpanDiffuse::kGouraud ? ramp.NextPair() : flatLanes;
    // Clear texels blended by their alpha leave the target as it is, whatever the diffuse.
    if (Blend == SpanBlend::kOver && _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(texels, alphaLanes),
                                                                       _mm_setzero_si128())) == 0xFFFF) {
      continue;
    }
    if (Diffuse != SpanDiffuse::kWhite) texels = Mul255Lanes(texels, diffuse);
    WritePair<Blend>(texels, out + i);
  }
  if (i < count) {
    uint32_t texel = Sample<Linear>(t, u, v);
    if (Mip) texel = LerpPacked(texel, Sample<Linear>(t1, u1, v1), s.weight);
    if (Diffuse == SpanDiffuse::kFlat) texel = ModulateColors(texel, flat);
    if (Diffuse == SpanDiffuse::kGouraud) texel = ModulateColors(texel, color.At(i));
    out[i] = BlendPixel<Blend>(texel, out[i]);
  }
}

template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
void ShadeWrapped(const SpanTexture& texture, const FixedColor& color, int count, uint32_t* out) {
  bool sameRow = texture.coords[0].dv == 0 && (!Mip || texture.coords[1].dv == 0);
  if (sameRow) {
    ShadeSpan<Linear, Mip, Diffuse, Blend, true>(texture, color, count, out);
  } else {
    ShadeSpan<Linear, Mip, Diffuse, Blend, false>(texture, color, count, out);
  }
}

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint32_t* p, __m128i x) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x); }

// Lanes of all ones for the pixels whose alpha passes the test.
inline __m128i PassMask(__m128i src, const bool* pass) {
  alignas(16) uint32_t a[4];
  Store(a, _mm_srli_epi32(src, 24));
  return _mm_setr_epi32(-int(pass[a[0]]), -int(pass[a[1]]), -int(pass[a[2]]), -int(pass[a[3]]));
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <SpanBlend Blend>
inline __m128i BlendQuad(__m128i src, __m128i dst) {
  const __m128i zero = _mm_setzero_si128();
  if (Blend == SpanBlend::kReplace) return src;
  if (Blend == SpanBlend::kOver) {
    __m128i low = OverLanes(_mm_unpacklo_epi8(src, zero), _mm_unpacklo_epi8(dst, zero));
    __m128i high = OverLanes(_mm_unpackhi_epi8(src, zero), _mm_unpackhi_epi8(dst, zero));
    return _mm_packus_epi16(low, high);
  }
  __m128i low = _mm_unpacklo_epi8(src, zero);
  __m128i high = _mm_unpackhi_epi8(src, zero);
  __m128i glow = _mm_packus_epi16(Mul255Lanes(low, low), Mul255Lanes(high, high));
  return _mm_adds_epu8(glow, dst);
}

#endif  // VG_SPANS_SSE2

template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
void ShadeWrappedScalar(const SpanTexture& texture, const FixedColor& color, int count, uint32_t* out) {
  const WrapTexture t = texture.level[0];
  const WrapTexture t1 = texture.level[Mip ? 1 : 0];
  const FixedCoords f = texture.coords[0];
  const FixedCoords f1 = texture.coords[Mip ? 1 : 0];
  const uint32_t flat = color.At(0);
  uint32_t u = f.u, v = f.v, u1 = f1.u, v1 = f1.v;
  for (int i = 0; i < count; ++i, u += f.du, v += f.dv, u1 += f1.du, v1 += f1.dv) {
    uint32_t texel = Sample<Linear>(t, u, v);
    if (Mip) texel = LerpPacked(texel, Sample<Linear>(t1, u1, v1), texture.weight);
    if (Diffuse == SpanDiffuse::kFlat) texel = ModulateColors(texel, flat);
    if (Diffuse == SpanDiffuse::kGouraud) texel = ModulateColors(texel, color.At(i));
    out[i] = BlendPixel<Blend>(texel, out[i]);
  }
}

template <SpanBlend Blend, bool AlphaTest, bool Vector>
void WriteSpan(const uint32_t* src, uint32_t* dst, int count, const bool* pass) {
  int i = 0;
#ifdef VG_SPANS_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32(255);
  for (; Vector && i + 4 <= count; i += 4) {
    __m128i s = Load(src + i);
    __m128i alpha = _mm_srli_epi32(s, 24);
    // Blending by source alpha: clear texels leave the target as it is, opaque ones replace it.
    if (Blend == SpanBlend::kOver && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero)) == 0xFFFF) continue;
    if (AlphaTest) {
      __m128i mask = PassMask(s, pass);
      if (_mm_movemask_epi8(mask) == 0) continue;
      __m128i d = Load(dst + i);
      Store(dst + i, Select(mask, BlendQuad<Blend>(s, d), d));
      continue;
    }
    if (Blend == SpanBlend::kReplace ||
        (Blend == SpanBlend::kOver && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, opaque)) == 0xFFFF)) {
      Store(dst + i, s);
      continue;
    }
    Store(dst + i, BlendQuad<Blend>(s, Load(dst + i)));
  }
#endif
  for (; i < count; ++i) {
    uint32_t p = src[i];
    if (AlphaTest && !pass[p >> 24]) continue;
    dst[i] = BlendPixel<Blend>(p, dst[i]);
  }
}

struct PortableKernels {
  template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
  static constexpr ShadeSpanFunction kernel = ShadeWrappedScalar<Linear, Mip, Diffuse, Blend>;
};

#ifdef VG_SPANS_SSE2
struct Sse2Kernels {
  template <bool Linear, bool Mip, SpanDiffuse Diffuse, SpanBlend Blend>
  static constexpr ShadeSpanFunction kernel = ShadeWrapped<Linear, Mip, Diffuse, Blend>;
};
#endif

template <SpanBlend Blend>
WriteSpanFunction PickWrite(bool vector, bool alphaTest) {
  if (vector) return alphaTest ? WriteSpan<Blend, true, true> : WriteSpan<Blend, false, true>;
  return alphaTest ? WriteSpan<Blend, true, false> : WriteSpan<Blend, false, false>;
}

bool ProcessorHasAvx2() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// The AVX-512 kernels use AVX2 instructions beside their own. The compilers' check also asks
// whether the system saves the wider registers.
bool ProcessorHasAvx512() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
         __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
#else
  return false;
#endif
}

}  // namespace

SpanKernelSet FastestSpanKernelSet() {
  if (SpanKernelSetRuns(SpanKernelSet::kAvx512)) return SpanKernelSet::kAvx512;
  if (SpanKernelSetRuns(SpanKernelSet::kAvx2)) return SpanKernelSet::kAvx2;
  return SpanKernelSetRuns(SpanKernelSet::kSse2) ? SpanKernelSet::kSse2 : SpanKernelSet::kPortable;
}

bool SpanKernelSetRuns(SpanKernelSet set) {
  switch (set) {
    case SpanKernelSet::kAvx2: {
      static const bool runs = PickWrapShaderAvx2(false, false, SpanDiffuse::kWhite, SpanBlend::kReplace) &&
                               ProcessorHasAvx2();
      return runs;
    }
    case SpanKernelSet::kAvx512: {
      static const bool runs = PickWrapShaderAvx512(false, false, SpanDiffuse::kWhite, SpanBlend::kReplace) &&
                               ProcessorHasAvx512();
      return runs;
    }
#ifdef VG_SPANS_SSE2
    case SpanKernelSet::kSse2: return true;
#endif
    case SpanKernelSet::kPortable: return true;
    default: return false;
  }
}

SpanKernelSet spanKernelSet = FastestSpanKernelSet();

ShadeSpanFunction PickWrapShader(SpanKernelSet set, bool linear, bool mipBlend, SpanDiffuse diffuse,
                                 SpanBlend blend) {
  if (set == SpanKernelSet::kAvx512 && SpanKernelSetRuns(set)) {
    return PickWrapShaderAvx512(linear, mipBlend, diffuse, blend);
  }
  if (set >= SpanKernelSet::kAvx2 && SpanKernelSetRuns(SpanKernelSet::kAvx2)) {
    return PickWrapShaderAvx2(linear, mipBlend, diffuse, blend);
  }
#ifdef VG_SPANS_SSE2
  if (set != SpanKernelSet::kPortable) return PickSetKernel<Sse2Kernels>(linear, mipBlend, diffuse, blend);
#endif
  return PickSetKernel<PortableKernels>(linear, mipBlend, diffuse, blend);
}

WriteSpanFunction PickWriteSpan(SpanKernelSet set, SpanBlend blend, bool alphaTest) {
  // The target writes run far less than the shading; AVX2 and AVX-512 leave them to SSE2.
  bool vector = set != SpanKernelSet::kPortable && SpanKernelSetRuns(SpanKernelSet::kSse2);
  switch (blend) {
    case SpanBlend::kOver: return PickWrite<SpanBlend::kOver>(vector, alphaTest);
    case SpanBlend::kAddBySourceColor: return PickWrite<SpanBlend::kAddBySourceColor>(vector, alphaTest);
    default: return PickWrite<SpanBlend::kReplace>(vector, alphaTest);
  }
}

ShadeSpanFunction PickWrapShader(bool linear, bool mipBlend, SpanDiffuse diffuse, SpanBlend blend) {
  return PickWrapShader(spanKernelSet, linear, mipBlend, diffuse, blend);
}

WriteSpanFunction PickWriteSpan(SpanBlend blend, bool alphaTest) {
  return PickWriteSpan(spanKernelSet, blend, alphaTest);
}
