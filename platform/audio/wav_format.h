// RIFF WAVE files: reading PCM (8, 16, 24, 32-bit integer, 32-bit float; any channel count, the
// first two used) and writing 16-bit stereo PCM.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct WavLayout {
  const unsigned char* data = nullptr;  // first frame
  int channels = 0;
  int bitsPerSample = 0;
  bool isFloat = false;
  int rate = 0;
  int frameCount = 0;
};

// False for anything that is not a complete, supported WAVE file; a data chunk that claims more
// than the file holds is cut to what is there.
bool ParseWav(const unsigned char* file, size_t size, WavLayout* layout);
// Frames [first, first + count) as interleaved stereo float; mono is copied to both sides.
void ConvertWavFrames(const WavLayout& layout, int first, int count, float* out);

// A 44-byte header for 16-bit stereo PCM holding `frames` frames.
void WriteWavHeader(std::FILE* file, int rate, uint32_t frames);
