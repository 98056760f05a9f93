// Meshes: the binary ".msh_s" files that models name, built into render vertices (and, for
// smooth meshes, an index list) and kept in a library that reads each file once.
//
// ".msh_s" layout (little-endian, unaligned): byte 3 smooth flag; 4 position (3 floats);
// 16 rotation about X, Y, Z (radians, 3 floats); 29 V; 33 F; 37 V positions (3 floats each);
// then F triangles (3 int32 vertex numbers each); then 3F corner texture coordinates (u, v).
// Bytes after that are ignored.
#pragma once
#include <d3d8.h>

#include "math/matrix.h"
#include "math/vector.h"

constexpr int kMaxMeshes = 1024;
constexpr int kMeshNameSize = 32;
constexpr DWORD kMeshVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
// 16-bit indices address no more render vertices than this.
constexpr int kMaxSmoothVertices = 65536;

struct MeshVertex {
  Vector3 position;
  Vector3 normal;
  float u;
  float v;
};
static_assert(sizeof(MeshVertex) == 32, "copied as is into the vertex buffer");

struct BoundingBox {
  Vector3 center;
  Vector3 halfExtent;
};

struct BoundingSphere {
  Vector3 center;
  float radius = 0.0f;
};

struct Mesh {
  unsigned char smooth = 0;
  char name[kMeshNameSize] = {};
  int vertexCount = 0;
  int faceCount = 0;
  Matrix4 localMatrix;
  MeshVertex* vertices = nullptr;
  int* indices = nullptr;  // 3 * faceCount render-vertex numbers; smooth meshes only
  BoundingBox boundingBox;
  BoundingSphere boundingSphere;
  DWORD vertexFormat = 0;
  short vertexStride = 0;
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  IDirect3DIndexBuffer8* indexBuffer = nullptr;

  Mesh() = default;
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;
  ~Mesh();
};

struct MeshLibrary {
  Mesh* meshes[kMaxMeshes];
  int count;
};

extern MeshLibrary meshLibrary;

// Fills `mesh` (which must be empty) from a whole ".msh_s" file. Returns false, leaving the mesh
// empty, when the file is broken: counts negative or past the end of the file, a vertex number
// outside 0 .. V-1, or a smooth mesh needing more render vertices than 16-bit indices reach.
// The square-root table must have been built.
bool BuildMesh(Mesh* mesh, const unsigned char* data, int size);

// The mesh of that name (exact comparison), loading, building and buffering it on first use.
// A missing or broken file ends the program with the loading error. Returns null when the
// library is full.
Mesh* GetMesh(const char* name);
