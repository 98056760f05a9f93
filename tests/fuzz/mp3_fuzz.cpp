// libFuzzer target: any bytes as the music file, opened as a stream (MP3 among the formats told
// apart by their bytes) and played, looping, for a few seconds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/audio/music_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto* copy = new unsigned char[size + 1];
  if (size > 0) std::memcpy(copy, data, size);
  MusicSource* source = OpenStreamSource(copy, size);
  if (source == nullptr) return 0;
  source->SetLooping(true);
  static float out[2 * 4096];
  for (int block = 0; block < 32; ++block) {
    const int got = source->Render(out, 4096, 44100);
    if (got < 0 || got > 4096) __builtin_trap();
    for (int i = 0; i < 2 * got; ++i) {
      if (!std::isfinite(out[i])) __builtin_trap();
    }
    if (got < 4096) break;
  }
  delete source;
  return 0;
}
