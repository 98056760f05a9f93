// libFuzzer target: any bytes as an alpha-JPEG file, loaded as the pair of a ".tga" name and
// as a background picture, through the file cache.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/file_cache.h"
#include "draw/texture_manager.h"
#include "tests/fuzz/fuzz_device.h"
#include "tests/fuzz/picture_limit.h"

namespace {

void Check(TextureRecord* record) {
  if (record && (!record->texture || record->width <= 0 || record->height <= 0)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzDevice();
  if (size == 0 || size > 0x7FFFFFFF || DeclaresHugePicture(data, size)) return 0;
  // The cache may hand its buffer to writers, so it gets a copy.
  std::vector<unsigned char> file(data, data + size);
  static TextureManager manager;
  RegisterCachedFile("_a_fuzz.jpg", int(size), file.data(), false);
  TextureRecord* pair = manager.LoadAlphaPairTexture("_a_fuzz.jpg");
  Check(pair);
  manager.ReleaseTexture(pair);
  ReleaseFileByName("_a_fuzz.jpg");

  // The saver asks for 800 x 600; smaller pictures keep the runs fast and vary the clipping.
  int width = 1 + int(size % 61), height = 1 + int(size / 61 % 47);
  RegisterCachedFile("_a_back1.jpg", int(size), file.data(), false);
  TextureRecord* back = manager.LoadBackgroundTexture("_a_back1.jpg", width, height);
  Check(back);
  manager.ReleaseTexture(back);
  ReleaseFileByName("_a_back1.jpg");
  return 0;
}
