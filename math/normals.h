// Normal builders for meshes. `out` is a slot: when it holds null the builder allocates the
// array with new[] (the caller delete[]s it); otherwise the builder writes into that array.
// Indices are three per triangle and must lie in 0 .. vertexCount-1 (checked by the caller).
#pragma once
#include "math/vector.h"

// One unit normal per triangle: Cross(p2 - p0, p1 - p0), normalised.
void BuildFaceNormals(int triangleCount, const Vector3* positions, const int* indices,
                      Vector3** out);
// One unit normal per vertex: the sum of the unit normals of the triangles that use it,
// normalised; a vertex no triangle uses keeps (0, 0, 0).
void BuildVertexNormals(int vertexCount, int triangleCount, const Vector3* positions,
                        const int* indices, Vector3** out);
