// libFuzzer target: any bytes as a ".cgo" model descriptor.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data/mesh.h"
#include "data/model.h"

namespace {

struct CheckingReader : DescriptorReader {
  int count = -1;
  void OnCount(int n) override {
    if (n < 0 || n > kMaxMeshes) __builtin_trap();
    count = n;
  }
  void OnPart(int index, const char* meshName, const char* textureName) override {
    if (index < 0 || index >= count) __builtin_trap();
    if (std::strlen(meshName) >= kModelNameSize || std::strlen(textureName) >= kModelNameSize) {
      __builtin_trap();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  CheckingReader reader;
  ReadDescriptor(data, int(size), &reader);
  return 0;
}
