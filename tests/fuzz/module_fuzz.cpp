// libFuzzer target: any bytes as module music, played looping, sought and played again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio/music_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MusicSource* music = OpenModuleSource(data, size);
  if (!music) return 0;
  std::vector<float> out(2 * 2048);
  music->SetLooping(true);
  music->Render(out.data(), 2048, 44100);
  music->Seek(0, 4);
  music->Position();
  music->SetLooping(false);
  music->Render(out.data(), 1024, 22050);
  delete music;
  return 0;
}
