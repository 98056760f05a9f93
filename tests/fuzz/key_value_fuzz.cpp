// libFuzzer target: any bytes as a key=value text ("links.txt", descriptors), unterminated.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/key_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  // An exact-size copy, so a read past the end is caught.
  std::vector<char> text(data, data + size);
  const char* bytes = text.empty() ? nullptr : text.data();
  char value[260];
  for (const char* key : {"link1=", "nummeshes=", "mesh0=", "texture1=", ""}) {
    for (int room : {1, 8, 260}) {
      char* got = GetTextValue(value, room, bytes, int(size), key);
      if (got && std::strlen(got) >= size_t(room)) __builtin_trap();
    }
    GetIntValue(bytes, int(size), key);
  }
  return 0;
}
