// Reading sound files and decoding whole ones (samples) into stereo float frames.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/audio/mixer.h"
#include "platform/audio/music_source.h"
#include "platform/audio/wav_format.h"
#include "platform/audio/vorbis.h"

namespace {

FILE* OpenByName(const char* name) {
  FILE* file = std::fopen(name, "rb");
  if (file != nullptr || std::strchr(name, '\\') == nullptr) return file;
  std::string slashed(name);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  return std::fopen(slashed.c_str(), "rb");
}

bool DecodeVorbis(const unsigned char* data, size_t size, PcmBuffer* out) {
  std::unique_ptr<char[]> arena;
  stb_vorbis* vorbis = OpenVorbis(data, size, &arena);
  if (vorbis == nullptr) return false;
  const stb_vorbis_info info = stb_vorbis_get_info(vorbis);
  out->rate = static_cast<int>(info.sample_rate);
  out->frames.clear();
  float chunk[2 * 4096];
  for (;;) {
    const int got = ReadVorbisStereo(vorbis, chunk, 4096);
    if (got <= 0) break;
    out->frames.insert(out->frames.end(), chunk, chunk + 2 * got);
  }
  stb_vorbis_close(vorbis);
  out->frameCount = static_cast<int>(out->frames.size() / 2);
  return true;
}

}  // namespace

unsigned char* ReadAudioFile(const char* name, size_t offset, size_t length, size_t* size) {
  FILE* file = OpenByName(name);
  if (file == nullptr) return nullptr;
  unsigned char* data = nullptr;
  long end = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
  if (end >= 0 && offset <= static_cast<size_t>(end)) {
    size_t available = static_cast<size_t>(end) - offset;
    if (length == 0 || length > available) length = available;
    data = new unsigned char[length + 1];
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(data, 1, length, file) != length) {
      delete[] data;
      data = nullptr;
    }
  }
  std::fclose(file);
  if (data != nullptr) *size = length;
  return data;
}

bool DecodeAudioFile(const unsigned char* data, size_t size, PcmBuffer* out) {
  if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) return DecodeVorbis(data, size, out);
  WavLayout wav;
  if (!ParseWav(data, size, &wav)) return false;
  out->rate = wav.rate;
  out->frameCount = wav.frameCount;
  out->frames.resize(2 * static_cast<size_t>(wav.frameCount));
  ConvertWavFrames(wav, 0, wav.frameCount, out->frames.data());
  return true;
}
