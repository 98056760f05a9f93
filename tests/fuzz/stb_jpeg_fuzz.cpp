// libFuzzer target: any bytes as a JPEG file for the decoder the Windows build uses.
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/picture.h"
#include "tests/fuzz/picture_limit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 0x7FFFFFFF || DeclaresHugePicture(data, size)) return 0;
  Picture picture;
  if (DecodeJpegWithStb(data, static_cast<UINT>(size), &picture) &&
      picture.argb.size() != static_cast<size_t>(picture.width) * picture.height) {
    __builtin_trap();
  }
  return 0;
}
