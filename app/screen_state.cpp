#include "app/screen_state.h"

#include <d3d8.h>

#include "app/app_state.h"
#include "app/clock_overlay.h"
#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "draw/quads.h"
#include "render/render_states.h"
#include "scene/scene_schedule.h"
#include "sound/sound_system.h"

SceneState sceneState;
ScreenState* currentScreenState = &sceneState;

void SceneState::Frame() {
  SetDeviceRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  // The scene's plane z = 0 lies 50 units in front of the eye.
  baseView.SetIdentity();
  baseView.PreTranslate(0.0f, 0.0f, 50.0f);
  SetWorldTransform(nullptr);
  SetViewTransform(&baseView);
  SetOrthoProjection(800.0f, 600.0f, 1.0f, 100.0f);
  SetDeviceRenderState(D3DRS_ZWRITEENABLE, FALSE);
  EnableState(4);
  SetBlendMode(0);
  DisableState(1);
  // With the default alpha function (greater or equal) every texel of alpha 0 is dropped.
  SetDeviceRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  SetDeviceRenderState(D3DRS_ALPHAREF, 1);
  UpdateScene();
  DrawClockOverlay();
  UpdateAmbientSounds();
  UpdateSound();
  sceneClock += frameDelta;
}

void SceneState::OnKeyDown(WPARAM) { quitRequested = true; }
