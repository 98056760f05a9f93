#include "data/mesh.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "data/binary_reader.h"
#include "data/file_cache.h"
#include "draw/mesh_buffers.h"
#include "math/normals.h"
#include "math/scalar.h"

MeshLibrary meshLibrary;

namespace {

constexpr int64_t kHeaderSize = 37;

Vector3 ReadVector(const unsigned char* p) {
  return Vector3(ReadLittleFloat(p), ReadLittleFloat(p + 4), ReadLittleFloat(p + 8));
}

struct Quaternion {
  float x, y, z, w;
};

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
          a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

void SetLocalMatrix(Matrix4* matrix, const Vector3& position, const Vector3& angles) {
  Quaternion qx{Sin(angles.x * 0.5f), 0.0f, 0.0f, Cos(angles.x * 0.5f)};
  Quaternion qy{0.0f, Sin(angles.y * 0.5f), 0.0f, Cos(angles.y * 0.5f)};
  Quaternion qz{0.0f, 0.0f, Sin(angles.z * 0.5f), Cos(angles.z * 0.5f)};
  Quaternion q = Multiply(Multiply(qz, qy), qx);
  float* m = matrix->Raw();
  matrix->SetIdentity();
  m[0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
  m[1] = 2.0f * (q.x * q.y + q.w * q.z);
  m[2] = 2.0f * (q.x * q.z - q.w * q.y);
  m[4] = 2.0f * (q.x * q.y - q.w * q.z);
  m[5] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
  m[6] = 2.0f * (q.y * q.z + q.w * q.x);
  m[8] = 2.0f * (q.x * q.z + q.w * q.y);
  m[9] = 2.0f * (q.y * q.z - q.w * q.x);
  m[10] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
  m[12] = position.x;
  m[13] = position.y;
  m[14] = position.z;
}

void SetBounds(Mesh* mesh, const Vector3* positions, int count) {
  mesh->boundingBox = BoundingBox();
  mesh->boundingSphere = BoundingSphere();
  if (count == 0) return;
  Vector3 low = positions[0];
  Vector3 high = positions[0];
  for (int i = 1; i < count; i++) {
    const Vector3& p = positions[i];
    if (p.x < low.x) low.x = p.x;
    if (p.y < low.y) low.y = p.y;
    if (p.z < low.z) low.z = p.z;
    if (p.x > high.x) high.x = p.x;
    if (p.y > high.y) high.y = p.y;
    if (p.z > high.z) high.z = p.z;
  }
  Vector3 half = (high - low) * 0.5f;
  mesh->boundingBox.center = low + half;
  mesh->boundingBox.halfExtent = half;
  mesh->boundingSphere.center = low + half;
  mesh->boundingSphere.radius = half.Length();
}

// The file's arrays, decoded once; v already flipped to 1 - v.
struct MeshSource {
  int vertexCount = 0;
  int faceCount = 0;
  Vector3* positions = nullptr;
  int* corners = nullptr;  // 3 per triangle
  float* u = nullptr;      // per corner
  float* v = nullptr;

  ~MeshSource() {
    delete[] positions;
    delete[] corners;
    delete[] u;
    delete[] v;
  }
};

bool ReadSource(MeshSource* source, const unsigned char* data, int size) {
  if (size < kHeaderSize) return false;
  int64_t vertexCount = ReadLittleInt32(data + 29);
  int64_t faceCount = ReadLittleInt32(data + 33);
  if (vertexCount < 0 || faceCount < 0) return false;
  if (kHeaderSize + 12 * vertexCount + 36 * faceCount > size) return false;
  int cornerCount = int(3 * faceCount);
  source->vertexCount = int(vertexCount);
  source->faceCount = int(faceCount);
  source->positions = new Vector3[vertexCount];
  source->corners = new int[cornerCount];
  source->u = new float[cornerCount];
  source->v = new float[cornerCount];
  const unsigned char* p = data + kHeaderSize;
  for (int i = 0; i < vertexCount; i++, p += 12) source->positions[i] = ReadVector(p);
  for (int k = 0; k < cornerCount; k++, p += 4) {
    int corner = ReadLittleInt32(p);
    if (corner < 0 || corner >= vertexCount) return false;
    source->corners[k] = corner;
  }
  for (int k = 0; k < cornerCount; k++, p += 8) {
    source->u[k] = ReadLittleFloat(p);
    source->v[k] = 1.0f - ReadLittleFloat(p + 4);
  }
  return true;
}

void BuildFlat(Mesh* mesh, const MeshSource& source) {
  Vector3* normals = nullptr;
  BuildFaceNormals(source.faceCount, source.positions, source.corners, &normals);
  int count = 3 * source.faceCount;
  mesh->vertices = new MeshVertex[count];
  for (int k = 0; k < count; k++) {
    mesh->vertices[k] = {source.positions[source.corners[k]], normals[k / 3], source.u[k],
                         source.v[k]};
  }
  mesh->vertexCount = count;
  delete[] normals;
}

// Corners grouped by the file vertex they use, each group in corner order, so that splitting
// by texture coordinate touches only the corners of one vertex.
struct CornerGroups {
  int* start;  // vertexCount + 1 offsets into order
  int* order;

  explicit CornerGroups(const MeshSource& source)
      : start(new int[source.vertexCount + 1]()), order(new int[3 * source.faceCount]) {
    int cornerCount = 3 * source.faceCount;
    for (int k = 0; k < cornerCount; k++) start[source.corners[k] + 1]++;
    for (int i = 0; i < source.vertexCount; i++) start[i + 1] += start[i];
    int* next = new int[source.vertexCount];
    std::memcpy(next, start, sizeof(int) * size_t(source.vertexCount));
    for (int k = 0; k < cornerCount; k++) order[next[source.corners[k]]++] = k;
    delete[] next;
  }
  ~CornerGroups() {
    delete[] start;
    delete[] order;
  }
};

// One render vertex per distinct texture coordinate of each file vertex, in the order the
// corners first use them; a vertex no corner uses still gets one, with the coordinate made
// just before it.
bool BuildSmooth(Mesh* mesh, const MeshSource& source) {
  int cornerCount = 3 * source.faceCount;
  // Every corner can start a render vertex, and every unused file vertex adds one.
  int64_t capacity = int64_t(cornerCount) + source.vertexCount;
  Vector3* normals = nullptr;
  BuildVertexNormals(source.vertexCount, source.faceCount, source.positions, source.corners,
                     &normals);
  CornerGroups groups(source);
  bool* taken = new bool[cornerCount]();
  MeshVertex* vertices = new MeshVertex[capacity];
  int* indices = new int[cornerCount];
  int count = 0;
  float currentU = 0.0f;
  float currentV = 0.0f;
  for (int vertex = 0; vertex < source.vertexCount; vertex++) {
    const int* first = groups.order + groups.start[vertex];
    const int* last = groups.order + groups.start[vertex + 1];
    bool again = true;
    while (again) {
      again = false;
      bool started = false;
      for (const int* k = first; k < last; k++) {
        if (taken[*k]) continue;
        if (!started) {
          currentU = source.u[*k];
          currentV = source.v[*k];
          started = true;
        } else if (source.u[*k] != currentU || source.v[*k] != currentV) {
          again = true;
          continue;
        }
        taken[*k] = true;
        indices[*k] = count;
      }
      vertices[count++] = {source.positions[vertex], normals[vertex], currentU, currentV};
    }
  }
  delete[] taken;
  delete[] normals;
  if (count > kMaxSmoothVertices) {
    delete[] vertices;
    delete[] indices;
    return false;
  }
  mesh->vertices = vertices;
  mesh->indices = indices;
  mesh->vertexCount = count;
  return true;
}

void ClearMesh(Mesh* mesh) {
  delete[] mesh->vertices;
  delete[] mesh->indices;
  mesh->vertices = nullptr;
  mesh->indices = nullptr;
  mesh->vertexCount = 0;
  mesh->faceCount = 0;
}

}  // namespace

Mesh::~Mesh() {
  if (vertexBuffer != nullptr) vertexBuffer->Release();
  if (indexBuffer != nullptr) indexBuffer->Release();
  delete[] vertices;
  delete[] indices;
}

bool BuildMesh(Mesh* mesh, const unsigned char* data, int size) {
  MeshSource source;
  if (!ReadSource(&source, data, size)) return false;
  mesh->smooth = data[3];
  SetLocalMatrix(&mesh->localMatrix, ReadVector(data + 4), ReadVector(data + 16));
  SetBounds(mesh, source.positions, source.vertexCount);
  mesh->faceCount = source.faceCount;
  if (mesh->smooth == 0) {
    BuildFlat(mesh, source);
    return true;
  }
  if (BuildSmooth(mesh, source)) return true;
  ClearMesh(mesh);
  return false;
}

Mesh* GetMesh(const char* name) {
  // Names are kept cut to 31 characters; compare in the same form so a long name is found again.
  char key[kMeshNameSize] = {};
  std::strncpy(key, name, kMeshNameSize - 1);
  for (int i = 0; i < meshLibrary.count; i++) {
    if (std::strcmp(meshLibrary.meshes[i]->name, key) == 0) return meshLibrary.meshes[i];
  }
  if (meshLibrary.count >= kMaxMeshes) return nullptr;
  int size = 0;
  unsigned char* data = LoadDataFile(name, &size, true);
  Mesh* mesh = new Mesh;
  if (!BuildMesh(mesh, data, size)) StopOnUnloadableFile(name);
  ReleaseFile(data);
  std::memcpy(mesh->name, key, kMeshNameSize);
  meshLibrary.meshes[meshLibrary.count++] = mesh;
  CreateMeshBuffers(mesh, kMeshVertexFormat);
  return mesh;
}
