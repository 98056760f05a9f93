// The scene schedule over a headless software device, with eight one-placement scenes and their
// backgrounds in a scratch folder.
#include "scene/scene_schedule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/settings.h"
#include "data/file_cache.h"
#include "draw/texture_manager.h"
#include "math/scalar.h"
#include "render/device.h"
#include "scene/levels.h"
#include "scene/scene_draw.h"
#include "support/content_builders.h"
#include "support/picture_files.h"
#include "support/temp_files.h"

namespace {

class SceneScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildSqrtTable();
    savedSettings = settings;
    savedExtended = extendedSettings;
    oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dataDir.Path());
    device = gpu.device;
    Bytes picture = EncodeTga(4, 4, SolidPixels(4, 4, 0x406080));
    WriteTextFile("rock.tga", std::string(picture.begin(), picture.end()));
    WriteTextFile("gameobjs.txt", "[a/] rock=rock.tga spray=rock.tga [/a]\r\n");
    Bytes background = EncodeJpeg(8, 8, SolidPixels(8, 8, 0x204060));
    for (int scene = 0; scene < kMaxScenes; scene++) {
      WriteTextFile("level" + std::to_string(scene) + ".lev",
                    LevelBytes({{"rock", {-10, -10, 10, 10}}, {"spray", {-50, -50, 50, 50}}}));
      WriteTextFile("_a_back" + std::to_string(scene) + ".jpg",
                    std::string(background.begin(), background.end()));
    }
    settings.sceneChangeTime = 0;
    settings.dayCycle = 0;
    frameDelta = 20.0f;
  }
  void TearDown() override {
    for (int scene = 0; scene < kMaxScenes; scene++) {
      ReleaseFileByName(("level" + std::to_string(scene) + ".lev").c_str());
    }
    ReleaseFileByName("gameobjs.txt");
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    currentBackground = nullptr;
    pendingBackground = nullptr;
    device = nullptr;
    std::filesystem::current_path(oldDir);
    settings = savedSettings;
    extendedSettings = savedExtended;
    ResetSceneSchedule();
    ResetSceneDrawing();
  }

  // The scene part of the saver's start-up.
  void Start(int sceneCount, int startScene) {
    extendedSettings.sceneCount = uint8_t(sceneCount);
    settings.startScene = startScene;
    ResetSceneSchedule();
    ResetSceneDrawing();
    nextScene = StartScene();
    sceneChangeInterval = 30000.0f;
    LoadSceneData();
    StartFirstScene();
  }

  void Frames(int count) {
    for (int i = 0; i < count; i++) UpdateScene();
  }

  Settings savedSettings;
  ExtendedSettings savedExtended;
  TempDir dataDir;
  std::filesystem::path oldDir;
  HeadlessDevice gpu;
};

TEST_F(SceneScheduleTest, EightScenesFromTheLastChangeToTheFirstAfterThirtySeconds) {
  Start(8, 7);
  ASSERT_NE(currentBackground, nullptr);
  EXPECT_STREQ(currentBackground->name, "_a_back7.jpg");
  Frames(1500);
  EXPECT_EQ(changeTimer, -1.0f);
  EXPECT_EQ(nextScene, 7);
  Frames(1);
  EXPECT_EQ(nextScene, 0);
  EXPECT_EQ(shownScene, 7);
  ASSERT_NE(pendingBackground, nullptr);
  EXPECT_STREQ(pendingBackground->name, "_a_back0.jpg");
  EXPECT_EQ(T, 5980.0f);

  // T falls by one frame time per frame, and twice in the frame it reaches 3000.
  int doubleSteps = 0;
  int ring = sprayRing.next;
  while (T > 0.0f) {
    float before = T;
    Frames(1);
    if (T > 0.0f && before - T == 40.0f) {
      doubleSteps++;
      EXPECT_GT(before, 3000.0f);
      EXPECT_LE(T, 3000.0f);
    }
    // No new puffs while the change runs.
    // (The frame that completes the change draws the incoming scene with T no longer above 0.)
    if (T > 0.0f) {
      ASSERT_EQ(sprayRing.next, ring);
    }
  }
  EXPECT_EQ(doubleSteps, 1);
  EXPECT_EQ(shownScene, 0);
  EXPECT_STREQ(currentBackground->name, "_a_back0.jpg");
  EXPECT_EQ(pendingBackground, nullptr);
  EXPECT_EQ(textureManager.FindTexture("_a_back7.jpg"), nullptr);
  EXPECT_EQ(sceneTimer, -1.0f);
  // The remaining frame of the change looks like the scene itself; then the timer restarts.
  Frames(2);
  EXPECT_EQ(sceneTimer, 0.0f);
  EXPECT_EQ(changeTimer, -1.0f);
  Frames(1);
  EXPECT_EQ(sceneTimer, 20.0f);
}

TEST_F(SceneScheduleTest, OneVeryLongFrameStillCompletesTheChange) {
  for (float longFrame : {4000.0f, 9000.0f}) {
    Start(3, 0);
    Frames(1501);
    ASSERT_EQ(T, 5980.0f);
    frameDelta = longFrame;
    Frames(1);
    frameDelta = 20.0f;
    EXPECT_EQ(T, 0.0f) << longFrame;
    EXPECT_EQ(shownScene, 1) << longFrame;
    EXPECT_STREQ(currentBackground->name, "_a_back1.jpg");
    EXPECT_EQ(pendingBackground, nullptr);
    Frames(400);
    EXPECT_EQ(nextScene, 1) << longFrame;
    // Spray puffs again once the change is over.
    EXPECT_GT(sprayRing.next, 0);
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    currentBackground = nullptr;
  }
}

TEST_F(SceneScheduleTest, EternityStillChangesTheSceneAtSixteenMillisecondFrames) {
  // A float timer stops gaining 16 ms at 268,435,456 ms and never reaches "eternity".
  Start(3, 0);
  sceneChangeInterval = 600000000.0f;
  frameDelta = 16.0f;
  sceneTimer = 600000000.0 - 16.0 * 10;
  Frames(10);
  EXPECT_GT(sceneTimer, 0.0);
  Frames(1);
  EXPECT_EQ(sceneTimer, -1.0);
  EXPECT_GT(T, 0.0f);
}

TEST_F(SceneScheduleTest, ASingleSceneNeverChanges) {
  Start(1, 0);
  int textures = textureManager.count;
  Frames(2000);
  EXPECT_EQ(sceneTimer, 0.0f);
  EXPECT_EQ(changeTimer, -1.0f);
  EXPECT_EQ(nextScene, 0);
  EXPECT_EQ(pendingBackground, nullptr);
  EXPECT_EQ(textureManager.count, textures);
}

TEST_F(SceneScheduleTest, DayCycleStepsTheLightEveryTwentySeconds) {
  Start(1, 0);
  Frames(1000);
  EXPECT_EQ(lightVariant, 2);
  settings.dayCycle = 1;
  ResetSceneSchedule();
  // Changes in the frames that pass 20, 40, 60 and 80 s.
  const int expected[] = {0, 1, 2, 0};
  int frame = 0;
  for (int variant : expected) {
    Frames(1000 - (frame > 0));
    EXPECT_NE(lightVariant, variant);
    Frames(1);
    frame += 1000;
    EXPECT_EQ(lightVariant, variant) << frame;
  }
  EXPECT_EQ(targetTint.r, 0.67f);
  EXPECT_EQ(targetTint.b, 1.0f);
}

}  // namespace
