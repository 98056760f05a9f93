// The quad layer against a recording device: tinting, corner order, texture coordinates, strides
// and the state switches.
#include "draw/quads.h"

#include <gtest/gtest.h>

#include "render/device.h"
#include "support/recording_device.h"

namespace {

class Quads : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = device;
    device = &recorder;
    SetDrawTint(1, 1, 1, 1);
  }
  void TearDown() override {
    device = saved;
    SetDrawTint(1, 1, 1, 1);
  }

  const RecordedDraw& OnlyDraw() {
    EXPECT_EQ(recorder.draws.size(), 1u);
    return recorder.draws.back();
  }

  RecordingDevice recorder;
  IDirect3DDevice8* saved = nullptr;
};

void ExpectAt(const SpriteVertex& v, float x, float y, float z) {
  EXPECT_NEAR(v.position.x, x, 1e-4f);
  EXPECT_NEAR(v.position.y, y, 1e-4f);
  EXPECT_FLOAT_EQ(v.position.z, z);
}

TEST_F(Quads, TintMultipliesEveryChannelAndTruncates) {
  Color white(uint8_t(255), 255, 255, 255);
  EXPECT_EQ(TintColor(white).Packed(), white.Packed());
  SetDrawTint(0.5f, 0.5f, 0.5f, 0.5f);
  EXPECT_EQ(TintColor(white).Packed(), Color(uint8_t(127), 127, 127, 127).Packed());
  SetDrawTint(1, 0.25f, 1, 0);
  Color c = TintColor(Color(uint8_t(200), 101, 7, 255));
  EXPECT_EQ(c.r, 200);
  EXPECT_EQ(c.g, 25);  // 25.25 truncated
  EXPECT_EQ(c.b, 7);
  EXPECT_EQ(c.a, 0);   // alpha factor 0: transparent, colour kept
  SetDrawTint(2, -1, 1, 1);
  c = TintColor(Color(uint8_t(200), 100, 0, 0));
  EXPECT_EQ(c.r, 255);  // saturates rather than wrapping
  EXPECT_EQ(c.g, 0);
}

TEST_F(Quads, SpriteCornersFollowAngleAndPivotAndTextureRectangle) {
  const FloatRect whole(0, 0, 1, 1);
  DrawSprite(10, 20, Vector2(10, 20), 0, 40, 20, whole, Color(), 3);
  const RecordedDraw& flat = OnlyDraw();
  EXPECT_EQ(flat.type, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(flat.primitiveCount, 2u);
  EXPECT_EQ(flat.vertexFormat, 0x142u);
  // Strip order: upper right, lower right, upper left, lower left.
  ExpectAt(flat.Vertex<SpriteVertex>(0), 30, 30, 3);
  ExpectAt(flat.Vertex<SpriteVertex>(1), 30, 10, 3);
  ExpectAt(flat.Vertex<SpriteVertex>(2), -10, 30, 3);
  ExpectAt(flat.Vertex<SpriteVertex>(3), -10, 10, 3);
  EXPECT_EQ(flat.Vertex<SpriteVertex>(0).u, 1.0f);
  EXPECT_EQ(flat.Vertex<SpriteVertex>(3).v, 1.0f);

  recorder.Forget();
  DrawSprite(0, 0, Vector2(0, 0), 90, 40, 20, whole, Color(), 0);
  // A quarter turn counter-clockwise brings the upper-right corner (20, 10) to the upper left.
  ExpectAt(OnlyDraw().Vertex<SpriteVertex>(0), -10, 20, 0);

  recorder.Forget();
  DrawSprite(0, 0, Vector2(0, 0), 0, 40, 20, FloatRect(1, 0, 0, 1), Color(), 0);
  // Mirrored: the right-hand corners read u = 0.
  EXPECT_EQ(OnlyDraw().Vertex<SpriteVertex>(0).u, 0.0f);
  EXPECT_EQ(OnlyDraw().Vertex<SpriteVertex>(2).u, 1.0f);

  recorder.Forget();
  DrawSprite(0, 0, Vector2(-20, 0), 180, 2, 2, whole, Color(), 0);
  // The pivot away from the centre swings the sprite round it.
  EXPECT_NEAR(OnlyDraw().Vertex<SpriteVertex>(0).position.x, -41, 1e-4f);
}

TEST_F(Quads, ScreenRectCoversTheDrawingSpaceAtDepthTen) {
  SetDrawTint(0.5f, 1, 1, 1);
  DrawScreenRect(0, 0, 800, 600, 0, 0, 0.78125f, 0.5859375f, Color(uint8_t(255), 255, 255, 255));
  const RecordedDraw& d = OnlyDraw();
  ExpectAt(d.Vertex<SpriteVertex>(0), 400, 300, 10);
  ExpectAt(d.Vertex<SpriteVertex>(1), -400, 300, 10);
  ExpectAt(d.Vertex<SpriteVertex>(2), 400, -300, 10);
  ExpectAt(d.Vertex<SpriteVertex>(3), -400, -300, 10);
  // The top-left pixel corner shows (tu0, tv0) pulled in by a thousandth.
  EXPECT_FLOAT_EQ(d.Vertex<SpriteVertex>(1).u, 0.001f);
  EXPECT_FLOAT_EQ(d.Vertex<SpriteVertex>(1).v, 0.001f);
  EXPECT_FLOAT_EQ(d.Vertex<SpriteVertex>(2).u, 0.78125f - 0.001f);
  EXPECT_EQ(d.Vertex<SpriteVertex>(0).color.r, 127);
}

TEST_F(Quads, QuadColorsDrawsTwoTrianglesSweepingTheTextureOnce) {
  Color c0(uint8_t(1), 0, 0, 255), c1(uint8_t(2), 0, 0, 255), c2(uint8_t(3), 0, 0, 255), c3(uint8_t(4), 0, 0, 255);
  DrawQuadColors(Vector3(0, 1, 0), Vector3(1, 1, 0), Vector3(1, 0, 0), Vector3(0, 0, 0), c0, c1, c2, c3);
  const RecordedDraw& d = OnlyDraw();
  EXPECT_EQ(d.type, D3DPT_TRIANGLELIST);
  const int red[6] = {1, 2, 3, 1, 3, 4};
  const float u[6] = {0, 0, -1, 0, -1, -1}, v[6] = {0, -1, -1, 0, -1, 0};
  for (int i = 0; i < 6; ++i) {
    SpriteVertex s = d.Vertex<SpriteVertex>(size_t(i));
    EXPECT_EQ(s.color.r, red[i]) << i;
    EXPECT_EQ(s.u, u[i]) << i;
    EXPECT_EQ(s.v, v[i]) << i;
  }
}

TEST_F(Quads, StrideFollowsTheVertexFormat) {
  EXPECT_EQ(VertexStride(0x142), 24u);
  EXPECT_EQ(VertexStride(0x112), 32u);
  EXPECT_EQ(VertexStride(D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_SPECULAR), 20u);
  SpriteVertex v[3] = {};
  DrawUserPrimitives(v, 1, 0x142, D3DPT_TRIANGLELIST);
  EXPECT_EQ(recorder.streamStride, 24u);
  EXPECT_EQ(OnlyDraw().stride, 24u);
}

TEST_F(Quads, StateKindsAndBlendModesSetOneFeatureEach) {
  EnableState(4);
  DisableState(1);
  EXPECT_EQ(recorder.RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
  EXPECT_EQ(recorder.RenderState(D3DRS_ZENABLE), DWORD(FALSE));
  EnableState(7);
  EXPECT_EQ(recorder.StageState(0, D3DTSS_MIPFILTER), DWORD(D3DTEXF_LINEAR));
  DisableState(7);
  EXPECT_EQ(recorder.StageState(0, D3DTSS_MAGFILTER), DWORD(D3DTEXF_POINT));
  EXPECT_EQ(recorder.StageState(0, D3DTSS_MIPFILTER), DWORD(D3DTEXF_NONE));
  recorder.Forget();
  EnableState(3);
  DisableState(8);
  EnableState(-1);
  SetBlendMode(3);
  EXPECT_TRUE(recorder.calls.empty());
  SetBlendMode(1);
  EXPECT_EQ(recorder.RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCCOLOR));
  EXPECT_EQ(recorder.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
}

}  // namespace
