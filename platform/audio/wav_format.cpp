#include "platform/audio/wav_format.h"

#include <cstring>

#include "platform/audio/music_source.h"

namespace {

uint32_t Read32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Write32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

void Write16(unsigned char* p, uint16_t value) {
  p[0] = static_cast<unsigned char>(value);
  p[1] = static_cast<unsigned char>(value >> 8);
}

bool SupportedFormat(int tag, int bits) {
  if (tag == 3) return bits == 32;
  return tag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

float ReadValue(const WavLayout& layout, const unsigned char* p) {
  switch (layout.bitsPerSample) {
    case 8: return (p[0] - 128) / 128.0f;
    case 16: return static_cast<int16_t>(Read16(p)) / 32768.0f;
    case 24: {
      const uint32_t bits = (p[0] << 8) | (p[1] << 16) | (static_cast<uint32_t>(p[2]) << 24);
      return static_cast<int32_t>(bits) / 2147483648.0f;
    }
    default: {
      const uint32_t bits = Read32(p);
      if (!layout.isFloat) return static_cast<int32_t>(bits) / 2147483648.0f;
      float value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
  }
}

}  // namespace

bool ParseWav(const unsigned char* file, size_t size, WavLayout* layout) {
  if (size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0) {
    return false;
  }
  int tag = 0;
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= size) {
    const unsigned char* chunk = file + at;
    const size_t chunkSize = Read32(chunk + 4);
    const size_t available = size - at - 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && chunkSize >= 16 && available >= 16) {
      tag = Read16(chunk + 8);
      layout->channels = Read16(chunk + 10);
      layout->rate = static_cast<int>(Read32(chunk + 12));
      layout->bitsPerSample = Read16(chunk + 22);
      if (tag == 0xfffe && chunkSize >= 40 && available >= 40) tag = Read16(chunk + 32);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
      if (!SupportedFormat(tag, layout->bitsPerSample) || layout->channels < 1 ||
          layout->rate <= 0 || layout->rate > kMaxSampleRate) {
        return false;
      }
      layout->isFloat = tag == 3;
      const size_t frameBytes = static_cast<size_t>(layout->channels) * layout->bitsPerSample / 8;
      const size_t bytes = chunkSize < available ? chunkSize : available;
      const size_t frames = bytes / frameBytes;
      if (frames > 0x7fffffff) return false;
      layout->data = chunk + 8;
      layout->frameCount = static_cast<int>(frames);
      return true;
    }
    if (chunkSize > available) return false;
    at += 8 + chunkSize + (chunkSize & 1);
  }
  return false;
}

void ConvertWavFrames(const WavLayout& layout, int first, int count, float* out) {
  const int valueBytes = layout.bitsPerSample / 8;
  const size_t frameBytes = static_cast<size_t>(layout.channels) * valueBytes;
  for (int i = 0; i < count; ++i) {
    const unsigned char* frame = layout.data + (static_cast<size_t>(first) + i) * frameBytes;
    out[2 * i] = ReadValue(layout, frame);
    out[2 * i + 1] = layout.channels > 1 ? ReadValue(layout, frame + valueBytes) : out[2 * i];
  }
}

void WriteWavHeader(std::FILE* file, int rate, uint32_t frames) {
  unsigned char header[44];
  const uint32_t dataBytes = frames * 4;
  std::memcpy(header, "RIFF", 4);
  Write32(header + 4, 36 + dataBytes);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Write32(header + 16, 16);
  Write16(header + 20, 1);
  Write16(header + 22, 2);
  Write32(header + 24, static_cast<uint32_t>(rate));
  Write32(header + 28, static_cast<uint32_t>(rate) * 4);
  Write16(header + 32, 4);
  Write16(header + 34, 16);
  std::memcpy(header + 36, "data", 4);
  Write32(header + 40, dataBytes);
  std::fwrite(header, 1, sizeof header, file);
}
