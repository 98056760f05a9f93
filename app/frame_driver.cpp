#include "app/frame_driver.h"

#include <windows.h>
#include <mmsystem.h>

#include "app/frame_clock.h"
#include "app/random.h"
#include "app/screen_state.h"
#include "app/settings.h"
#include "render/device.h"
#include "render/render_states.h"
#include "scene/levels.h"
#include "sound/sound_system.h"
#include "text/bitmap_font.h"

Matrix4 baseView;
double sceneClock = 0.0;
float sceneChangeInterval = 0.0f;

namespace {

// Indexed by the settings' scene-change time, "30 sec" .. "eternity".
constexpr float kSceneChangeIntervals[7] = {30000.0f, 60000.0f, 120000.0f, 180000.0f,
                                            300000.0f, 600000.0f, 600000000.0f};

}  // namespace

void RunFrame() {
  BeginDeviceScene();
  currentScreenState->Frame();
  EndDeviceScene();
  PresentFrame();
  UpdateFrameClock();
  currentScreenState->AfterFrame();
}

void DrawBlankFrame() {
  BeginDeviceScene();
  ClearTarget(0);
  EndDeviceScene();
  PresentFrame();
}

bool InitScene() {
  SeedRandom(timeGetTime());
  LoadFont("font");
  InitSound();  // without a sound device the saver runs on silently
  LoadSounds();
  if (settings.music) StartMusic(extendedSettings.musicStartPosition);
  nextScene = StartScene();
  int index = settings.sceneChangeTime;
  if (index >= 0 && index < 7) sceneChangeInterval = kSceneChangeIntervals[index];
  LoadSceneData();
  StartFirstScene();
  currentScreenState = &sceneState;
  return true;
}

void ShutdownScene() { ShutdownSound(); }
