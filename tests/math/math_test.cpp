#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "math/color.h"
#include "math/matrix.h"
#include "math/normals.h"
#include "math/rect.h"
#include "math/scalar.h"
#include "math/vector.h"

namespace {

class MathTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildSqrtTable(); }
};

float FromBits(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

TEST_F(MathTest, FastSqrtIsExactOnSquaresAndIgnoresLowMantissaBits) {
  EXPECT_EQ(FastSqrt(0.0f), 0.0f);
  EXPECT_EQ(FastSqrt(1.0f), 1.0f);
  EXPECT_EQ(FastSqrt(4.0f), 2.0f);
  EXPECT_EQ(FastSqrt(16.0f), 4.0f);
  EXPECT_EQ(FastSqrt(0.25f), 0.5f);
  EXPECT_EQ(FastSqrt(2.0f), 1.4142135f);
  EXPECT_EQ(FastSqrt(FromBits(0x40490F00)), FastSqrt(FromBits(0x40490FFF)));
}

TEST_F(MathTest, FastSqrtStaysWithinTableErrorAcrossExponents) {
  for (float x = 1e-6f; x < 1e7f; x *= 1.37f) {
    double exact = std::sqrt(double(x));
    EXPECT_NEAR(FastSqrt(x), exact, exact * 1.6e-5) << x;
  }
}

TEST_F(MathTest, VectorLengthNormalizeAndCross) {
  Vector3 zero;
  zero.Normalize();
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.y, 0.0f);
  EXPECT_EQ(zero.z, 0.0f);

  Vector3 v(3.0f, 0.0f, 4.0f);
  EXPECT_FLOAT_EQ(v.Length(), 5.0f);
  v.Normalize();
  EXPECT_NEAR(v.x, 0.6f, 1e-4f);
  EXPECT_NEAR(v.z, 0.8f, 1e-4f);
  EXPECT_FLOAT_EQ(Vector2(6.0f, 8.0f).Length(), 10.0f);

  Vector3 z = Cross(Vector3(1, 0, 0), Vector3(0, 1, 0));
  EXPECT_EQ(z.x, 0.0f);
  EXPECT_EQ(z.y, 0.0f);
  EXPECT_EQ(z.z, 1.0f);
}

TEST_F(MathTest, PreTranslateActsBeforeTheMatrixAndSetDiagonalKeepsTranslation) {
  Matrix4 view;
  view.PreTranslate(0, 0, 50);
  for (int i = 0; i < 16; i++) {
    float expected = (i % 5 == 0) ? 1.0f : (i == 14 ? 50.0f : 0.0f);
    EXPECT_EQ(view.m[i], expected) << i;
  }

  Matrix4 zoom;
  zoom.PreTranslate(10, 0, 0);
  zoom.SetDiagonal(2, 2, 1);
  // (x, y, z, 1) * M with row vectors.
  float p[4] = {3, 5, 7, 1};
  float out[4] = {};
  for (int c = 0; c < 4; c++) {
    for (int r = 0; r < 4; r++) out[c] += p[r] * zoom.m[4 * r + c];
  }
  EXPECT_EQ(out[0], 16.0f);
  EXPECT_EQ(out[1], 10.0f);
  EXPECT_EQ(out[2], 7.0f);

  // A scale applied first, then a translation pre-multiplied: the translation is scaled too.
  Matrix4 scaled;
  scaled.SetDiagonal(2, 3, 4);
  scaled.PreTranslate(1, 1, 1);
  EXPECT_EQ(scaled.m[12], 2.0f);
  EXPECT_EQ(scaled.m[13], 3.0f);
  EXPECT_EQ(scaled.m[14], 4.0f);
}

TEST_F(MathTest, ColourLayoutsAndLerp) {
  Color red(uint8_t(255), uint8_t(0), uint8_t(0), uint8_t(128));
  unsigned char bytes[4];
  std::memcpy(bytes, &red, 4);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[1], 0x00);
  EXPECT_EQ(bytes[2], 0xFF);
  EXPECT_EQ(bytes[3], 0x80);
  EXPECT_EQ(red.Packed(), 0x80FF0000u);
  EXPECT_EQ(Color().Packed(), 0xFFFFFFFFu);
  EXPECT_EQ(Color(127.9f, 0.5f, 300.0f, -4.0f).Packed(), 0x007F00FFu);

  ColorF a(0.2f, 0.4f, 0.6f, 0.8f);
  ColorF b(1.0f, 0.0f, 0.5f, 0.0f);
  ColorF start = a.Lerp(b, 0.0f);
  ColorF end = a.Lerp(b, 1.0f);
  EXPECT_EQ(start.g, a.g);
  EXPECT_EQ(start.a, a.a);
  EXPECT_EQ(end.r, b.r);
  EXPECT_EQ(end.b, b.b);
  EXPECT_EQ(ColorF().a, 0.0f);
}

TEST_F(MathTest, RectangleFromUnorderedCorners) {
  FloatRect rect(10, 20, 4, 8);
  EXPECT_EQ(rect.Width(), 6.0f);
  EXPECT_EQ(rect.Height(), 12.0f);
  EXPECT_EQ(rect.Center().x, 7.0f);
  EXPECT_EQ(rect.Center().y, 14.0f);
}

TEST_F(MathTest, NormalBuildersOnTriangleAndFlatQuad) {
  // Counter-clockwise in x/y: the builders' edge order gives -z.
  Vector3 quad[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  int indices[6] = {0, 1, 2, 0, 2, 3};
  Vector3* faces = nullptr;
  BuildFaceNormals(2, quad, indices, &faces);
  ASSERT_NE(faces, nullptr);
  EXPECT_NEAR(faces[0].z, -1.0f, 1e-4f);
  EXPECT_NEAR(faces[1].z, -1.0f, 1e-4f);

  Vector3 provided[5];
  Vector3* normals = provided;
  Vector3 withUnused[5] = {quad[0], quad[1], quad[2], quad[3], {5, 5, 5}};
  BuildVertexNormals(5, 2, withUnused, indices, &normals);
  EXPECT_EQ(normals, provided);
  for (int v = 0; v < 4; v++) {
    EXPECT_NEAR(normals[v].z, -1.0f, 1e-4f) << v;
    EXPECT_NEAR(normals[v].x, 0.0f, 1e-6f) << v;
  }
  EXPECT_EQ(normals[4].x, 0.0f);
  EXPECT_EQ(normals[4].z, 0.0f);
  delete[] faces;
}

}  // namespace
