#include "data/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "math/scalar.h"
#include "support/content_builders.h"

namespace {

class MeshBuildTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildSqrtTable(); }

  bool Build(const MeshFile& file) {
    bytes = file.Bytes();
    return BuildMesh(&mesh, reinterpret_cast<const unsigned char*>(bytes.data()),
                     int(bytes.size()));
  }

  std::string bytes;
  Mesh mesh;
};

TEST_F(MeshBuildTest, FlatCubeGivesOneRenderVertexPerCornerWithFaceNormals) {
  ASSERT_TRUE(Build(CubeMesh(0)));
  EXPECT_EQ(mesh.faceCount, 12);
  EXPECT_EQ(mesh.vertexCount, 36);
  EXPECT_EQ(mesh.indices, nullptr);
  MeshFile file = CubeMesh(0);
  for (int k = 0; k < 36; k++) {
    const MeshVertex& vertex = mesh.vertices[k];
    int source = file.corners[k];
    EXPECT_EQ(vertex.position.x, file.positions[3 * source]);
    EXPECT_EQ(vertex.position.z, file.positions[3 * source + 2]);
    // Both triangles of a cube side share its axis-aligned normal.
    const Vector3& n = vertex.normal;
    EXPECT_NEAR(std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z), 1.0f, 1e-3f) << k;
    const Vector3& first = mesh.vertices[k / 6 * 6].normal;
    EXPECT_TRUE(n.x == first.x && n.y == first.y && n.z == first.z) << k;
    // v is stored flipped: 0.25 in the file reads as 0.75.
    EXPECT_EQ(vertex.u, file.texels[2 * k]);
    EXPECT_EQ(vertex.v, 1.0f - file.texels[2 * k + 1]);
  }
}

TEST_F(MeshBuildTest, SmoothCubeSharesVerticesThroughIndices) {
  ASSERT_TRUE(Build(CubeMesh(1)));
  EXPECT_EQ(mesh.vertexCount, 8);
  ASSERT_NE(mesh.indices, nullptr);
  MeshFile file = CubeMesh(1);
  for (int k = 0; k < 36; k++) {
    int index = mesh.indices[k];
    ASSERT_GE(index, 0);
    ASSERT_LT(index, 8);
    // One coordinate per file vertex: render vertex i is file vertex i.
    EXPECT_EQ(index, file.corners[k]);
    EXPECT_EQ(mesh.vertices[index].v, 1.0f - file.texels[2 * k + 1]);
  }
  for (int i = 0; i < 8; i++) {
    const Vector3& n = mesh.vertices[i].normal;
    EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-3f);
  }
}

TEST_F(MeshBuildTest, SmoothVertexSplitsByTextureCoordinateAndKeepsUnusedVertices) {
  // Vertex 1 is used with two coordinates; vertex 3 by no triangle.
  MeshFile file;
  file.smooth = 1;
  file.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 9, 9, 9, 1, 1, 0};
  file.corners = {0, 1, 2, 1, 4, 2};
  file.texels = {0, 0, 0.5f, 0, 0, 0.5f, 0.75f, 0, 1, 0.5f, 0, 0.5f};
  ASSERT_TRUE(Build(file));
  // 0, 1 (0.5), 1 (0.75), 2, 3 (unused), 4.
  ASSERT_EQ(mesh.vertexCount, 6);
  EXPECT_EQ(mesh.indices[0], 0);
  EXPECT_EQ(mesh.indices[1], 1);
  EXPECT_EQ(mesh.indices[3], 2);
  EXPECT_EQ(mesh.indices[2], 3);
  EXPECT_EQ(mesh.indices[5], 3);
  EXPECT_EQ(mesh.indices[4], 5);
  EXPECT_EQ(mesh.vertices[1].u, 0.5f);
  EXPECT_EQ(mesh.vertices[2].u, 0.75f);
  EXPECT_EQ(mesh.vertices[1].position.x, mesh.vertices[2].position.x);
  EXPECT_EQ(mesh.vertices[1].normal.z, mesh.vertices[2].normal.z);
  // The unused vertex carries the coordinate of the render vertex made just before it.
  EXPECT_EQ(mesh.vertices[4].position.x, 9.0f);
  EXPECT_EQ(mesh.vertices[4].u, mesh.vertices[3].u);
  EXPECT_EQ(mesh.vertices[4].v, mesh.vertices[3].v);
}

TEST_F(MeshBuildTest, PlacementMatrixAppliesXThenYThenZ) {
  MeshFile file = CubeMesh(0);
  file.position[0] = 5.0f;
  file.position[1] = -2.0f;
  file.angles[0] = 1.5707964f;
  file.angles[2] = 1.5707964f;
  ASSERT_TRUE(Build(file));
  const float* m = mesh.localMatrix.Raw();
  // The row vector (0, 1, 0): X turns it to (0, 0, 1), which Z leaves alone.
  EXPECT_NEAR(m[4], 0.0f, 1e-5f);
  EXPECT_NEAR(m[5], 0.0f, 1e-5f);
  EXPECT_NEAR(m[6], 1.0f, 1e-5f);
  // (1, 0, 0): X leaves it, Z turns it to (0, 1, 0).
  EXPECT_NEAR(m[1], 1.0f, 1e-5f);
  EXPECT_EQ(m[12], 5.0f);
  EXPECT_EQ(m[13], -2.0f);
  EXPECT_EQ(m[15], 1.0f);
}

TEST_F(MeshBuildTest, BoundsCoverTheFilePositions) {
  MeshFile file = CubeMesh(1);
  for (size_t i = 0; i < file.positions.size(); i += 3) file.positions[i] += 4.0f;
  ASSERT_TRUE(Build(file));
  EXPECT_EQ(mesh.boundingBox.center.x, 4.0f);
  EXPECT_EQ(mesh.boundingBox.center.y, 0.0f);
  EXPECT_EQ(mesh.boundingBox.halfExtent.z, 1.0f);
  EXPECT_NEAR(mesh.boundingSphere.radius, std::sqrt(3.0f), 1e-3f);

  Mesh empty;
  MeshFile none;
  bytes = none.Bytes();
  ASSERT_TRUE(BuildMesh(&empty, reinterpret_cast<const unsigned char*>(bytes.data()),
                        int(bytes.size())));
  EXPECT_EQ(empty.vertexCount, 0);
  EXPECT_EQ(empty.boundingSphere.radius, 0.0f);
}

TEST_F(MeshBuildTest, BrokenFilesAreRefusedWithoutReadingPastThem) {
  MeshFile cube = CubeMesh(1);
  std::string whole = cube.Bytes();
  for (size_t size : {size_t(0), size_t(36), whole.size() - 1}) {
    Mesh part;
    EXPECT_FALSE(BuildMesh(&part, reinterpret_cast<const unsigned char*>(whole.data()),
                           int(size)))
        << size;
  }
  MeshFile huge = cube;
  huge.faceCountOverride = 0x7FFFFFFF;
  EXPECT_FALSE(Build(huge));
  MeshFile negative = cube;
  negative.vertexCountOverride = 0;
  negative.positions.clear();
  negative.corners.clear();
  negative.texels.clear();
  std::string bytes = negative.Bytes();
  bytes[29] = '\xFF';
  bytes[30] = '\xFF';
  bytes[31] = '\xFF';
  bytes[32] = '\xFF';
  Mesh negativeMesh;
  EXPECT_FALSE(BuildMesh(&negativeMesh, reinterpret_cast<const unsigned char*>(bytes.data()),
                         int(bytes.size())));
  for (int32_t corner : {-1, 8}) {
    MeshFile outside = cube;
    outside.corners[17] = corner;
    Mesh outsideMesh;
    std::string outsideBytes = outside.Bytes();
    EXPECT_FALSE(BuildMesh(&outsideMesh,
                           reinterpret_cast<const unsigned char*>(outsideBytes.data()),
                           int(outsideBytes.size())))
        << corner;
    EXPECT_EQ(outsideMesh.vertices, nullptr);
  }
}

TEST_F(MeshBuildTest, SmoothMeshBeyondSixteenBitIndicesIsRefused) {
  // 65537 vertices, each used by one degenerate triangle of its own.
  MeshFile file;
  file.smooth = 1;
  for (int i = 0; i < 65537; i++) {
    file.positions.insert(file.positions.end(), {float(i), 0, 0});
    file.corners.insert(file.corners.end(), {i, i, i});
    file.texels.insert(file.texels.end(), {0, 0, 0, 0, 0, 0});
  }
  EXPECT_FALSE(Build(file));
  EXPECT_EQ(mesh.vertices, nullptr);
  file.corners.resize(3 * 65535);
  file.texels.resize(6 * 65535);
  // 65535 used vertices and two unused ones: 65537 render vertices.
  EXPECT_FALSE(Build(file));
  file.positions.resize(3 * 65536);
  EXPECT_TRUE(Build(file));
  EXPECT_EQ(mesh.vertexCount, 65536);
}

}  // namespace
