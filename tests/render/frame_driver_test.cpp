// One frame through the driver and the scene state, against a recording device.
#include "app/frame_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/screen_state.h"
#include "render/device.h"
#include "support/recording_device.h"

namespace {

class FrameDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = device;
    device = &recorder;
    quitRequested = false;
  }
  void TearDown() override {
    device = saved;
    quitRequested = false;
  }
  RecordingDevice recorder;
  IDirect3DDevice8* saved = nullptr;
};

TEST_F(FrameDriver, FrameBracketsTheSceneSetsTheTwoDimensionalSpaceAndPresents) {
  double clockBefore = sceneClock;
  float delta = frameDelta;  // the frame runs with the delta measured before it
  RunFrame();
  ASSERT_GE(recorder.calls.size(), 3u);
  EXPECT_EQ(recorder.calls.front(), "BeginScene");
  // The frame ends: end of scene, present, then the device's state is asked for.
  auto end = std::find(recorder.calls.begin(), recorder.calls.end(), "EndScene");
  ASSERT_NE(end, recorder.calls.end());
  EXPECT_EQ(*(end + 1), "Present");
  EXPECT_EQ(*(end + 2), "TestCooperativeLevel");
  // The first eleven states are the frame's own; the scene's drawing may change them after.
  const std::pair<D3DRENDERSTATETYPE, DWORD> expected[] = {
      {D3DRS_CULLMODE, D3DCULL_NONE},          {D3DRS_ZWRITEENABLE, FALSE},
      {D3DRS_ALPHABLENDENABLE, TRUE},          {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_ZENABLE, FALSE},
      {D3DRS_ALPHATESTENABLE, TRUE},           {D3DRS_ALPHAREF, 1}};
  ASSERT_GE(recorder.renderStates.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(recorder.renderStates[i].first, expected[i].first) << i;
    EXPECT_EQ(recorder.renderStates[i].second, expected[i].second) << i;
  }
  D3DMATRIX view = recorder.Transform(D3DTS_VIEW);
  EXPECT_FLOAT_EQ(view._43, 50.0f);
  EXPECT_FLOAT_EQ(recorder.Transform(D3DTS_PROJECTION)._11, 2.0f / 800);
  EXPECT_FLOAT_EQ(sceneClock, clockBefore + delta);
}

TEST_F(FrameDriver, BlankFrameClearsToBlackAndPresentsOnce) {
  DrawBlankFrame();
  ASSERT_EQ(recorder.clears.size(), 1u);
  EXPECT_EQ(recorder.clears[0].color, 0u);
  EXPECT_EQ(recorder.presents, 1);
  EXPECT_TRUE(recorder.draws.empty());
}

TEST_F(FrameDriver, DeviceAskingForResetGetsItWithTheSameMode) {
  presentParameters.BackBufferWidth = 800;
  currentMode = DisplayMode{800, 600, 32, D3DFMT_X8R8G8B8, D3DFMT_D16};
  displayModes[0] = currentMode;
  displayModeCount = 1;
  windowWidth = 800;
  windowHeight = 600;
  prefer32Bit = true;
  recorder.cooperativeLevel = D3DERR_DEVICELOST;
  DrawBlankFrame();
  EXPECT_TRUE(recorder.resets.empty());
  recorder.cooperativeLevel = D3DERR_DEVICENOTRESET;
  DrawBlankFrame();
  ASSERT_EQ(recorder.resets.size(), 1u);
  EXPECT_EQ(recorder.resets[0].BackBufferWidth, 800u);
  EXPECT_EQ(recorder.resets[0].Windowed, FALSE);
  EXPECT_EQ(recorder.RenderState(D3DRS_ALPHAREF), 128u);
  displayModeCount = 0;
}

TEST_F(FrameDriver, AnyKeyEndsTheRun) {
  sceneState.OnKeyDown('A');
  EXPECT_TRUE(quitRequested);
  quitRequested = false;
  currentScreenState->OnKeyDown(VK_ESCAPE);
  EXPECT_TRUE(quitRequested);
}

}  // namespace
