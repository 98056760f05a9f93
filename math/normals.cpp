#include "math/normals.h"

namespace {

Vector3 FaceNormal(const Vector3* positions, const int* triangle) {
  const Vector3& p0 = positions[triangle[0]];
  Vector3 n = Cross(positions[triangle[2]] - p0, positions[triangle[1]] - p0);
  n.Normalize();
  return n;
}

Vector3* OutputArray(int count, Vector3** out) {
  if (*out == nullptr) *out = new Vector3[count > 0 ? count : 1];
  return *out;
}

}  // namespace

void BuildFaceNormals(int triangleCount, const Vector3* positions, const int* indices,
                      Vector3** out) {
  Vector3* normals = OutputArray(triangleCount, out);
  for (int t = 0; t < triangleCount; t++) normals[t] = FaceNormal(positions, indices + 3 * t);
}

void BuildVertexNormals(int vertexCount, int triangleCount, const Vector3* positions,
                        const int* indices, Vector3** out) {
  Vector3* normals = OutputArray(vertexCount, out);
  for (int v = 0; v < vertexCount; v++) normals[v] = Vector3();
  for (int t = 0; t < triangleCount; t++) {
    const int* triangle = indices + 3 * t;
    Vector3 n = FaceNormal(positions, triangle);
    for (int k = 0; k < 3; k++) normals[triangle[k]] += n;
  }
  for (int v = 0; v < vertexCount; v++) normals[v].Normalize();
}
