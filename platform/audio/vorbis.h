// The Ogg Vorbis decoder's declarations; its body is compiled once, in stb_vorbis_impl.cpp.
#pragma once
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"
#undef STB_VORBIS_HEADER_ONLY

// Up to `frames` stereo frames; mono is copied to both sides (the decoder itself would leave the
// right side silent). Returns the frames decoded, 0 at the end.
inline int ReadVorbisStereo(stb_vorbis* vorbis, float* out, int frames) {
  if (stb_vorbis_get_info(vorbis).channels != 1) {
    return stb_vorbis_get_samples_float_interleaved(vorbis, 2, out, 2 * frames);
  }
  const int got = stb_vorbis_get_samples_float_interleaved(vorbis, 1, out, frames);
  for (int i = got - 1; i >= 0; --i) out[2 * i] = out[2 * i + 1] = out[i];
  return got;
}
