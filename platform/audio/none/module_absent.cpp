// Module music in a build without a module library: modules stay silent.
#include <cstdio>

#include "platform/audio/music_source.h"

MusicSource* OpenModuleSource(const unsigned char*, size_t) {
  static bool told = false;
  if (!told) {
    std::fprintf(stderr, "Module music is not available in this build; the music stays silent.\n");
    told = true;
  }
  return nullptr;
}
