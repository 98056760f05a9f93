// libFuzzer target: any bytes as a ".msh_s" mesh file.
#include <cstddef>
#include <cstdint>

#include "data/mesh.h"
#include "math/scalar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (BuildSqrtTable(), true);
  (void)ready;
  if (size > 0x7FFFFFFF) return 0;
  Mesh mesh;
  if (BuildMesh(&mesh, data, int(size)) && mesh.indices != nullptr) {
    for (int k = 0; k < 3 * mesh.faceCount; k++) {
      if (mesh.indices[k] < 0 || mesh.indices[k] >= mesh.vertexCount) __builtin_trap();
    }
  }
  return 0;
}
