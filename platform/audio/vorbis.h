// The Ogg Vorbis decoder's declarations; its body is compiled once, in stb_vorbis_impl.cpp.
#pragma once
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"
#undef STB_VORBIS_HEADER_ONLY

#include <cstddef>
#include <memory>

#include "platform/audio/music_source.h"

// The decoder allocates only inside one arena of its own, freed with it: stb_vorbis gives back
// nothing it took when a broken file makes it stop, and a file's codebooks may ask for megabytes.
constexpr int kVorbisArenaBytes = 2 << 20;

// False for a comment header stb_vorbis cannot read safely: laid out unusually, or with
// negative lengths, or more or longer comments than real files have.
bool VorbisCommentsFit(const unsigned char* data, size_t size);

// Null when the data is no Ogg Vorbis stream or claims a rate no output plays; *arena must
// outlive the decoder.
inline stb_vorbis* OpenVorbis(const unsigned char* data, size_t size, std::unique_ptr<char[]>* arena) {
  if (size > 0x7fffffff || !VorbisCommentsFit(data, size)) return nullptr;
  arena->reset(new char[kVorbisArenaBytes]);
  stb_vorbis_alloc alloc = {arena->get(), kVorbisArenaBytes};
  int error = 0;
  stb_vorbis* vorbis = stb_vorbis_open_memory(data, static_cast<int>(size), &error, &alloc);
  if (vorbis != nullptr) {
    const unsigned rate = stb_vorbis_get_info(vorbis).sample_rate;
    if (rate > 0 && rate <= unsigned(kMaxSampleRate)) return vorbis;
    stb_vorbis_close(vorbis);
  }
  arena->reset();
  return nullptr;
}

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
