// libFuzzer target: any bytes as "preview.bmp", loaded as LoadImageA loads bitmap files.
#include <cstddef>
#include <cstdint>
#include <string>

#include <windows.h>

#include "tests/fuzz/scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string path = ScratchPath("preview.bmp");
  if (!WriteScratch(path, data, size)) return 0;
  HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (bitmap) {
    BITMAP described = {};
    if (GetObjectA(bitmap, sizeof described, &described) == 0 || described.bmWidth <= 0 ||
        described.bmHeight <= 0) {
      __builtin_trap();
    }
    DeleteObject(bitmap);
  }
  return 0;
}
