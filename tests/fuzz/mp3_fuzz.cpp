// libFuzzer target: any bytes as an MP3 music file: its first frame looked for, then the stream
// played, looping, for a fifth of a second: long enough to loop the short
// files the fuzzer makes, short enough that mixing does not crowd out decoding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/audio/mp3_frames.h"
#include "platform/audio/music_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Mp3Frame first;
  if (!FindFirstMp3Frame(data, size, &first)) return 0;
  if (first.offset + 4 > size || first.rate <= 0 || first.length <= 4) __builtin_trap();
  auto* copy = new unsigned char[size];
  std::memcpy(copy, data, size);
  MusicSource* source = OpenMp3Source(copy, size, first);
  if (source == nullptr) return 0;
  source->SetLooping(true);
  static float out[2 * 2048];
  for (int block = 0; block < 4; ++block) {
    const int got = source->Render(out, 2048, 44100);
    if (got < 0 || got > 2048) __builtin_trap();
    for (int i = 0; i < 2 * got; ++i) {
      if (!std::isfinite(out[i])) __builtin_trap();
    }
    if (got < 2048) break;
  }
  delete source;
  return 0;
}
