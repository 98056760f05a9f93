// The clock overlay over a recording device: the local time in the lower right corner when the
// settings ask for it, nothing otherwise.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/clock_overlay.h"
#include "app/settings.h"
#include "draw/texture_manager.h"
#include "render/device.h"
#include "support/recording_device.h"
#include "text/font_files.h"

namespace {

class ClockOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device = gpu.device;
    textState = TextState();
    WriteFontFiles("font", FontFiles());
    ASSERT_TRUE(LoadFont("font"));
    device = &recorder;
  }
  void TearDown() override {
    device = gpu.device;
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    textState = TextState();
    device = nullptr;
    settings.showTime = 0;
  }

  TempDir dataDir;
  CurrentDirGuard inDataDir{dataDir.Path()};
  HeadlessDevice gpu;
  RecordingDevice recorder;
  ScopedEnv locale{"LC_ALL", "C"};
};

TEST_F(ClockOverlayTest, ShowsTheTimeFromTheLowerRightOnlyWhenAskedAndSetsNoStates) {
  settings.showTime = 0;
  DrawClockOverlay();
  EXPECT_TRUE(recorder.calls.empty());

  settings.showTime = 1;
  DrawClockOverlay();
  ASSERT_EQ(recorder.draws.size(), 8u) << "HH:MM:SS in the C locale";
  SpriteVertex leftTop = recorder.draws[0].Vertex<SpriteVertex>(0);
  SpriteVertex rightBottom = recorder.draws[0].Vertex<SpriteVertex>(3);
  EXPECT_EQ(leftTop.position.x, 300.0f - 14.0f);
  EXPECT_EQ(rightBottom.position.x, 300.0f + 14.0f);
  EXPECT_FLOAT_EQ((leftTop.position.y + rightBottom.position.y) / 2.0f, -275.0f);
  EXPECT_NEAR(leftTop.position.y - rightBottom.position.y, 1.8f * 14.0f, 1e-4f);
  EXPECT_TRUE(recorder.renderStates.empty());
  EXPECT_TRUE(recorder.stageStates.empty());
}

}  // namespace
