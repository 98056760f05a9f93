// The scene passes against a recording device: what is drawn, where, with which texture,
// colour and states. Textures are real (made on a headless device) so each has its own pointer.
#include "scene/scene_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "data/object_list.h"
#include "draw/quads.h"
#include "draw/texture_manager.h"
#include "math/scalar.h"
#include "render/device.h"
#include "scene/levels.h"
#include "scene/scene_schedule.h"
#include "support/picture_files.h"
#include "support/recording_device.h"

namespace {

class SceneDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildSqrtTable();
    ResetSceneDrawing();
    ResetSceneSchedule();
    objectList = ObjectList{};
    placementTable = PlacementTable{};
    currentBackground = nullptr;
    baseView.SetIdentity();
    baseView.PreTranslate(0.0f, 0.0f, 50.0f);
    sceneClock = 0.0f;
    frameDelta = 20.0f;
    device = &recorder;
  }
  void TearDown() override {
    for (IDirect3DTexture8* texture : textures) texture->Release();
    device = nullptr;
    T = 0.0f;
  }

  // An object-list entry named `name` with a texture of the given size.
  ObjectListEntry* Entry(const char* name, int width = 64, int height = 64) {
    IDirect3DTexture8* texture = nullptr;
    gpu.device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    textures.push_back(texture);
    records.emplace_back();
    TextureRecord& record = records.back();
    std::snprintf(record.name, sizeof record.name, "%s.tga", name);
    record.width = width;
    record.height = height;
    record.texture = texture;
    ObjectListEntry& entry = objectList.entries[objectList.count++];
    std::snprintf(entry.name, sizeof entry.name, "%s", name);
    entry.texture = &record;
    entry.model = nullptr;
    return &entry;
  }

  Placement& Place(ObjectListEntry* entry, float x0, float y0, float x1, float y1) {
    Placement& placement = placementTable.placements[placementTable.placementCount++];
    placement = Placement{};
    placement.entry = entry;
    placement.rect.Set(x0, y0, x1, y1);
    return placement;
  }

  std::vector<const RecordedDraw*> DrawsWith(const ObjectListEntry* entry) const {
    std::vector<const RecordedDraw*> found;
    for (const RecordedDraw& draw : recorder.draws) {
      if (draw.texture == entry->texture->texture) found.push_back(&draw);
    }
    return found;
  }

  HeadlessDevice gpu;
  RecordingDevice recorder;
  std::vector<IDirect3DTexture8*> textures;
  std::deque<TextureRecord> records;  // entries point into it
};

// Strip order of a sprite: upper right, lower right, upper left, lower left.
SpriteVertex Corner(const RecordedDraw* draw, int index) { return draw->Vertex<SpriteVertex>(index); }

TEST(PlacementKindTest, KindsFollowTheFirstMatchingNameTest) {
  EXPECT_EQ(PlacementKindOf("waterfall_left"), PlacementKind::kWaterfall);
  EXPECT_EQ(PlacementKindOf("water2"), PlacementKind::kWater);
  EXPECT_EQ(PlacementKindOf("skywater"), PlacementKind::kSky);
  EXPECT_EQ(PlacementKindOf("spray_big"), PlacementKind::kSpray);
  EXPECT_EQ(PlacementKindOf("leaves10"), PlacementKind::kLeaves1);
  EXPECT_EQ(PlacementKindOf("leaves2b"), PlacementKind::kLeaves2);
  EXPECT_EQ(PlacementKindOf("leaves"), PlacementKind::kLeaves);
  EXPECT_EQ(PlacementKindOf("Sky"), PlacementKind::kPlain);
}

TEST_F(SceneDrawTest, PassesDrawInOrderAndSkipPlacementsWithNothingToDraw) {
  ObjectListEntry* sky = Entry("sky");
  ObjectListEntry* rock = Entry("rock");
  ObjectListEntry* behind = Entry("hill");
  ObjectListEntry skyModel{"skymodel", nullptr, nullptr};
  Place(rock, -10, -10, 10, 10);
  Place(&skyModel, 0, 0, 10, 10);
  Place(nullptr, 0, 0, 10, 10);
  Place(behind, -400, 0, 400, -300).behind = 1;
  Place(sky, -400, 300, 400, 0);
  DrawScene();
  // Animated layers first (sky and the behind placement, in slot order), then the background,
  // then the plain pictures over it; nothing for the slot with no entry, nor for a sky that has
  // no picture to take its size from.
  ASSERT_EQ(recorder.draws.size(), 4u);
  EXPECT_EQ(recorder.draws[0].texture, behind->texture->texture);
  EXPECT_EQ(recorder.draws[1].texture, sky->texture->texture);
  EXPECT_EQ(recorder.draws[2].texture, nullptr);
  EXPECT_FLOAT_EQ(Corner(&recorder.draws[2], 1).position.x, -400.0f);
  EXPECT_EQ(recorder.draws[3].texture, rock->texture->texture);
  EXPECT_EQ(recorder.RenderState(D3DRS_ALPHATESTENABLE), DWORD(FALSE));
  EXPECT_EQ(recorder.StageState(0, D3DTSS_MAGFILTER), DWORD(D3DTEXF_LINEAR));
  EXPECT_EQ(DrawTint.r, 1.0f);
}

TEST_F(SceneDrawTest, SkyFitsItsTextureToTheHeightAndMirrorsByReversingU) {
  ObjectListEntry* sky = Entry("sky", 512, 256);
  Place(sky, -400, -200, 400, 200);
  sceneClock = 1000.0f;
  DrawScene();
  const RecordedDraw* draw = DrawsWith(sky)[0];
  // Upper right minus upper left: the whole texture width once (su = 2 * 0.5).
  float ou = -1000.0f * 0.000003f;
  EXPECT_FLOAT_EQ(Corner(draw, 2).u, ou);
  EXPECT_FLOAT_EQ(Corner(draw, 0).u, ou + 1.0f);
  EXPECT_EQ(Corner(draw, 0).color.Packed(), 0xFFFFFFFFu);

  recorder.draws.clear();
  placementTable.placements[0].mirror = 1;
  DrawScene();
  draw = DrawsWith(sky)[0];
  EXPECT_FLOAT_EQ(Corner(draw, 2).u, ou + 1.0f);
  EXPECT_FLOAT_EQ(Corner(draw, 0).u, ou);
}

TEST_F(SceneDrawTest, SkyWaterAndLeavesStillMoveAfterEightDays) {
  ObjectListEntry* sky = Entry("sky", 512, 256);
  ObjectListEntry* water = Entry("water2", 64, 128);
  ObjectListEntry* leaves = Entry("leaves");
  Place(sky, -400, -200, 400, 200);
  Place(water, 0, 0, 128, 256).params.Set(0.0f, 2.0f);
  Place(leaves, 0, 0, 100, 50);
  sceneClock = 8.0 * 24 * 3600 * 1000;
  placementTable.placements[2].timer = sceneClock;
  frameDelta = 16.0f;
  float sky0 = 0, water0 = 0, leaf0 = 0;
  for (int frame = 0; frame < 2; frame++) {
    recorder.draws.clear();
    leafQueue.count = 0;
    DrawScene();
    float skyU = Corner(DrawsWith(sky)[0], 2).u;
    float waterV = Corner(DrawsWith(water)[0], 2).v;
    ASSERT_EQ(leafQueue.count, 1);
    float leafAngle = leafQueue.sprites[0].angle;
    // Offsets stay within one texture repeat, where a float still resolves a frame's step.
    EXPECT_LT(std::fabs(skyU), 1.0f);
    if (frame == 1) {
      EXPECT_NEAR(skyU - sky0, -16.0f * 0.000003f, 1e-6f);
      EXPECT_NEAR(waterV - water0, -2.0f * 16.0f * 0.00001f * 0.2f, 1e-6f);
      EXPECT_NE(leafAngle, leaf0);
    }
    sky0 = skyU, water0 = waterV, leaf0 = leafAngle;
    sceneClock += frameDelta;
  }
}

TEST_F(SceneDrawTest, WaterfallsTileOneTexelPerUnitAndWaterFlowsSlower) {
  ObjectListEntry* fall = Entry("waterfall_left", 64, 128);
  ObjectListEntry* water = Entry("water2", 64, 128);
  Place(fall, 0, 0, 128, 256).params.Set(0.0f, 2.0f);
  Place(water, 0, 0, 128, 256).params.Set(0.0f, 2.0f);
  sceneClock = 5000.0f;
  DrawScene();
  const RecordedDraw* fallDraw = DrawsWith(fall)[0];
  const RecordedDraw* waterDraw = DrawsWith(water)[0];
  EXPECT_FLOAT_EQ(Corner(fallDraw, 0).u - Corner(fallDraw, 2).u, 2.0f);
  EXPECT_FLOAT_EQ(Corner(fallDraw, 2).v, -0.1f);
  EXPECT_FLOAT_EQ(Corner(fallDraw, 3).v, -0.1f + 2.0f);
  EXPECT_FLOAT_EQ(Corner(waterDraw, 2).v, -0.02f);
}

TEST_F(SceneDrawTest, SprayPuffsEveryThirtyMillisecondsGlowAdditivelyAndStopDuringAChange) {
  ObjectListEntry* spray = Entry("spray");
  Place(spray, -50, -50, 50, 50);
  for (int frame = 0; frame < 200; frame++) DrawScene();
  int live = 0;
  for (const SprayPuff& puff : sprayRing.puffs) live += puff.life > 0.0f;
  // A 100 x 100 spray puffs on every second 20 ms frame; puffs live 2000 ms.
  EXPECT_EQ(live, 50);
  EXPECT_EQ(sprayRing.next, 100);
  for (const SprayPuff& puff : sprayRing.puffs) {
    if (puff.life <= 0.0f) continue;
    EXPECT_GE(puff.x, -50.0f);
    EXPECT_LT(puff.x, 50.0f);
  }
  EXPECT_EQ(recorder.RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
  recorder.Forget();
  DrawSprayPuffs();
  EXPECT_EQ(recorder.draws.size(), 50u);
  EXPECT_EQ(recorder.RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCCOLOR));
  EXPECT_EQ(recorder.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
  EXPECT_EQ(recorder.RenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));

  // A fresh puff is a 30-unit square at its spawn point, black; at mid-life it is bright and
  // 8 units higher.
  sprayRing = SprayRing{};
  SpawnSprayPuff(10.0f, 20.0f, spray->texture);
  recorder.Forget();
  frameDelta = 1000.0f;
  DrawSprayPuffs();
  DrawSprayPuffs();
  ASSERT_EQ(recorder.draws.size(), 2u);
  SpriteVertex first = Corner(&recorder.draws[0], 1);
  EXPECT_FLOAT_EQ(first.position.x, 25.0f);
  EXPECT_FLOAT_EQ(first.position.y, 35.0f);
  EXPECT_EQ(first.color.r, 0);
  SpriteVertex middle = Corner(&recorder.draws[1], 1);
  EXPECT_NEAR(middle.position.y, 28.0f + 26.0f, 1e-3f);
  EXPECT_EQ(middle.color.r, 255);

  sprayRing = SprayRing{};
  T = 100.0f;
  SpawnSprayPuff(0.0f, 0.0f, spray->texture);
  EXPECT_EQ(sprayRing.next, 0);
}

TEST_F(SceneDrawTest, LeavesSwayOutOfStepAboutTheirEdgeAndAtMost128AreDrawn) {
  ObjectListEntry* leaves = Entry("leaves1");
  ObjectListEntry* plain = Entry("leaves");
  Place(leaves, 0, 0, 100, 50).params.Set(3.0f, 4.0f);
  Place(leaves, 0, 0, 100, 50).mirror = 1;
  Place(plain, -100, 0, 0, 50).angle = 10.0f;
  DrawScene();
  ASSERT_EQ(leafQueue.count, 3);
  // Equal timers, the second 400 ms of phase ahead of the first.
  double timer = placementTable.placements[0].timer;
  auto sway = [](float phase) { return 0.5f * Sin(0.003f * phase) + 0.2f * Sin(0.0043f * phase); };
  EXPECT_FLOAT_EQ(leafQueue.sprites[0].angle, sway(timer));
  EXPECT_FLOAT_EQ(leafQueue.sprites[1].angle, sway(timer + 400.0f));
  float plainPhase = 800.0f + placementTable.placements[2].timer;
  EXPECT_FLOAT_EQ(leafQueue.sprites[2].angle,
                  10.0f + 0.6f * Sin(0.0022f * plainPhase) + 0.24f * Sin(0.0038f * plainPhase));
  EXPECT_EQ(leafQueue.sprites[0].color.r, 250);
  EXPECT_EQ(leafQueue.sprites[1].color.r, 255);
  // Swinging about the middle of the left edge, or of the right edge when mirrored.
  EXPECT_EQ(leafQueue.sprites[0].pivot.x, 0.0f);
  EXPECT_EQ(leafQueue.sprites[1].pivot.x, 100.0f);
  EXPECT_EQ(leafQueue.sprites[1].pivot.y, 25.0f);
  std::vector<const RecordedDraw*> drawn = DrawsWith(leaves);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(Corner(drawn[0], 0).color.r, 250);
  EXPECT_EQ(Corner(drawn[1], 0).u, 0.0f);

  placementTable.placementCount = 0;
  for (int i = 0; i < kMaxPlacements; i++) Place(leaves, 0, 0, 10, 10);
  recorder.Forget();
  DrawScene();
  EXPECT_EQ(DrawsWith(leaves).size(), size_t(kMaxLeafSprites));
  // The queue is full: further leaves still sway (their phase moves on) but are not queued.
  Placement extra = placementTable.placements[0];
  float phase = leavesPhase;
  UpdateAnimated(&extra);
  EXPECT_EQ(leafQueue.count, kMaxLeafSprites);
  EXPECT_EQ(leavesPhase, phase + 400.0f);
  EXPECT_EQ(extra.animated, 1);
}

TEST_F(SceneDrawTest, TintIsAppliedThenEasedASmallStepPerFrame) {
  Place(Entry("rock"), -10, -10, 10, 10);
  SetTintVariant(0);
  DrawScene();
  // This frame still drew neutral; the tint moved 0.6 % of the way for the next one.
  EXPECT_EQ(Corner(&recorder.draws.back(), 0).color.Packed(), 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(currentTint.r, 1.0f - 0.33f * 0.006f);
  EXPECT_FLOAT_EQ(currentTint.b, 1.0f);
  for (int frame = 0; frame < 500; frame++) DrawScene();
  EXPECT_NEAR(currentTint.g, 0.67f + 0.33f * std::pow(0.994f, 501.0f), 1e-4f);
  SetTintVariant(1);
  EXPECT_EQ(targetTint.r, 1.0f);
  EXPECT_EQ(targetTint.b, 0.67f);
  SetTintVariant(7);
  EXPECT_EQ(targetTint.b, 0.67f);
}

TEST_F(SceneDrawTest, PicturelessPlainSprayAndLeavesAreDrawnUntexturedAndSizedKindsSkipped) {
  ObjectListEntry plain{"model", nullptr, nullptr};
  ObjectListEntry spray{"spray_model", nullptr, nullptr};
  ObjectListEntry leaves{"leaves_model", nullptr, nullptr};
  ObjectListEntry sky{"sky_model", nullptr, nullptr};
  ObjectListEntry water{"water_model", nullptr, nullptr};
  ObjectListEntry fall{"waterfall_model", nullptr, nullptr};
  Place(&sky, -400, 300, 400, 0);
  Place(&water, -400, 0, 400, -300);
  Place(&fall, 0, 0, 10, 10);
  Place(&plain, 10, 20, 30, 60);
  Place(&leaves, 0, 0, 100, 50);
  Place(&spray, -50, -50, 50, 50);
  DrawScene();
  // Background, the plain picture and the leaves; sky, water and waterfall need their
  // picture's size and are left out.
  ASSERT_EQ(recorder.draws.size(), 3u);
  EXPECT_EQ(recorder.draws[1].texture, nullptr);
  EXPECT_FLOAT_EQ(Corner(&recorder.draws[1], 0).position.x, 30.0f);
  EXPECT_FLOAT_EQ(Corner(&recorder.draws[1], 0).position.y, 60.0f);
  EXPECT_EQ(recorder.draws[2].texture, nullptr);
  EXPECT_EQ(leafQueue.count, 1);
  for (int frame = 0; frame < 10; frame++) DrawScene();
  int live = 0;
  for (const SprayPuff& puff : sprayRing.puffs) live += puff.life > 0.0f;
  EXPECT_EQ(live, 5) << "the spray puffs without a picture too";
}

}  // namespace
