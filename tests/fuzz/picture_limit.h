// Pictures that declare more pixels than a run can decode quickly are left out of it: decoding a
// 4096 x 4096 picture takes the fuzzer's time, not its coverage, and the loaders' own size limit
// is tested on its own. The same bound the libjpeg-turbo fuzzers keep.
#pragma once

#include <stb_image.h>

#include "platform/d3dx/picture.h"

#include <cstddef>
#include <cstdint>

constexpr int64_t kFuzzPicturePixels = int64_t(1) << 20;

inline bool DeclaresHugePicture(const uint8_t* data, size_t size) {
  int width = 0, height = 0, channels = 0;
  // stb_image reads a JPEG's Huffman tables on its way to the size (wherever the file says it
  // starts): only tables that fit.
  if (size > 0x7FFFFFFF || !HuffmanTablesFit(data, UINT(size))) return false;
  if (!stbi_info_from_memory(data, int(size), &width, &height, &channels)) return false;
  return int64_t(width) * height > kFuzzPicturePixels;
}
