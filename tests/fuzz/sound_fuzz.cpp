// libFuzzer target: any bytes as a sound file (WAV, Ogg Vorbis), decoded whole as a sample and
// played as a looping stream.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/audio/music_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  PcmBuffer pcm;
  const bool decoded = DecodeAudioFile(data, size, &pcm);
  if (decoded && (pcm.rate <= 0 || pcm.frames.size() != 2 * static_cast<size_t>(pcm.frameCount))) {
    __builtin_trap();
  }
  // The stream refuses what the whole decode refused, and then only looks for MP3 frames: the
  // MP3 target's work.
  if (!decoded) return 0;
  unsigned char* owned = new unsigned char[size + 1];
  if (size > 0) std::memcpy(owned, data, size);
  MusicSource* stream = OpenStreamSource(owned, size);
  if (stream) {
    // Short renders: the fuzzer's files are short enough to loop in them, and mixing is not
    // what is fuzzed.
    std::vector<float> out(2 * 512);
    stream->SetLooping(true);
    for (int rate : {44100, 8000}) stream->Render(out.data(), 512, rate);
    stream->Seek(0, 0);
    stream->SetLooping(false);
    stream->Render(out.data(), 512, 22050);
    delete stream;
  }
  return 0;
}
