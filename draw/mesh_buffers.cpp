#include "draw/mesh_buffers.h"

#include <cstdint>
#include <cstring>

#include "data/mesh.h"
#include "draw/quads.h"
#include "render/device.h"

namespace {

void FillVertexBuffer(IDirect3DVertexBuffer8* buffer, const Mesh& mesh) {
  BYTE* data = nullptr;
  if (buffer->Lock(0, 0, &data, 0) != D3D_OK || data == nullptr) return;
  std::memcpy(data, mesh.vertices, sizeof(MeshVertex) * size_t(mesh.vertexCount));
  buffer->Unlock();
}

void FillIndexBuffer(IDirect3DIndexBuffer8* buffer, const Mesh& mesh) {
  BYTE* data = nullptr;
  if (buffer->Lock(0, 0, &data, 0) != D3D_OK || data == nullptr) return;
  int count = 3 * mesh.faceCount;
  for (int k = 0; k < count; k++) {
    uint16_t index = uint16_t(mesh.indices[k]);
    std::memcpy(data + 2 * k, &index, sizeof index);
  }
  buffer->Unlock();
}

}  // namespace

void CreateMeshBuffers(Mesh* mesh, DWORD format) {
  mesh->vertexFormat = format;
  mesh->vertexStride = short(VertexStride(format));
  if (device == nullptr) return;
  // Flat meshes hold 3 * faceCount vertices, smooth ones vertexCount: both are vertexCount.
  UINT vertexBytes = UINT(mesh->vertexStride) * UINT(mesh->vertexCount);
  if (device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, format, D3DPOOL_MANAGED,
                                 &mesh->vertexBuffer) != D3D_OK) {
    mesh->vertexBuffer = nullptr;
  }
  if (mesh->indices != nullptr &&
      device->CreateIndexBuffer(UINT(mesh->faceCount) * 3 * 2, D3DUSAGE_WRITEONLY,
                                D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                &mesh->indexBuffer) != D3D_OK) {
    mesh->indexBuffer = nullptr;
  }
  if (mesh->vertexBuffer != nullptr) FillVertexBuffer(mesh->vertexBuffer, *mesh);
  if (mesh->indexBuffer != nullptr) FillIndexBuffer(mesh->indexBuffer, *mesh);
}
