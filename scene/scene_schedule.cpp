#include "scene/scene_schedule.h"

#include <cstdio>
#include <cstring>

#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/settings.h"
#include "draw/quads.h"
#include "draw/texture_manager.h"
#include "math/matrix.h"
#include "math/scalar.h"
#include "render/render_states.h"
#include "scene/levels.h"
#include "scene/scene_draw.h"

float T = 0.0f;
float f = 0.0f;
double sceneTimer = 0.0;
float changeTimer = -1.0f;
TextureRecord* currentBackground = nullptr;
TextureRecord* pendingBackground = nullptr;
int lightVariant = 2;
float lightTimer = 0.0f;

namespace {

constexpr float kHalfChange = kSceneChangeTime / 2.0f;
constexpr float kPi = 3.14159265f;
constexpr int kAlphaBlend = 4;
constexpr int kAlphaTest = 5;
constexpr int kBlendAlpha = 0;

void BackgroundName(char* name, int size, int scene) {
  std::snprintf(name, size_t(size), "_a_back%i.jpg", scene);
}

// The outgoing scene grows to 2.5 times its size while drifting along a curve.
void SetZoomedView(float r) {
  Matrix4 view = baseView;
  float k = 30.0f * r * r;
  view.PreTranslate(Cos(4.712389f * r) * k, Sin(kPi * r) * k, 0.0f);
  float scale = 1.0f + 1.5f * r * r;
  view.SetDiagonal(scale, scale, 1.0f);
  SetViewTransform(&view);
}

void DrawIncomingScene(const ColorF& tint) {
  SetDrawTint(tint.r, tint.g, tint.b, f);
  leafQueue.count = 0;
  DisableState(kAlphaTest);
  EnableState(kAlphaBlend);
  SetBlendMode(kBlendAlpha);
  AnimatedPass();
  BackgroundPass(pendingBackground, BackgroundFilter::kUnchanged);
  PlainPass();
  DrawSprayPuffs();
  DrawLeafSprites();
  SetDrawTint(1.0f, 1.0f, 1.0f, 1.0f);
}

void CompleteSceneChange() {
  textureManager.ReleaseTexture(currentBackground);
  LoadPlacements(nextScene);
  shownScene = nextScene;
  currentBackground = pendingBackground;
  pendingBackground = nullptr;
  T = 0.0f;
}

void StepLight() {
  lightTimer += frameDelta;
  if (lightTimer > kLightStepTime) {
    lightVariant = (lightVariant + 1) % 3;
    SetTintVariant(lightVariant);
    lightTimer -= kLightStepTime;
  }
}

}  // namespace

TextureRecord* LoadSceneBackground(int scene) {
  char name[32];
  BackgroundName(name, sizeof name, scene);
  return textureManager.LoadBackgroundTexture(name, 800, 600);
}

void UpdateScene() {
  if (SceneCount() == 1) {
    DrawScene();
  } else {
    if (sceneTimer > -1.0f) sceneTimer += frameDelta;
    if (sceneTimer > sceneChangeInterval) {
      BeginSceneChange();
      sceneTimer = -1.0f;
      changeTimer = 0.0f;
    }
    if (changeTimer > -1.0f) changeTimer += frameDelta;
    if (changeTimer > kSceneChangeTime) {
      sceneTimer = 0.0f;
      changeTimer = -1.0f;
    }
    // A change whose timer ran out before it completed (one very long frame) is still drawn,
    // and so completed, instead of being abandoned with its scene skipped.
    if (sceneTimer > -1.0f && !(T > 0.0f)) {
      DrawScene();
    } else {
      DrawSceneChange();
    }
  }
  if (settings.dayCycle) StepLight();
}

void BeginSceneChange() {
  nextScene = (nextScene + 1) % SceneCount();
  T = kSceneChangeTime;
  char name[32];
  BackgroundName(name, sizeof name, nextScene);
  if (pendingBackground != nullptr && std::strcmp(pendingBackground->name, name) == 0) return;
  if (pendingBackground != currentBackground) textureManager.ReleaseTexture(pendingBackground);
  pendingBackground = textureManager.LoadBackgroundTexture(name, 800, 600);
}

void DrawSceneChange() {
  ColorF startTint = currentTint;
  EaseTint();
  SetDrawTint(currentTint.r, currentTint.g, currentTint.b, currentTint.a);
  leafQueue.count = 0;

  bool changing = T > 0.0f;
  float r = 0.0f;
  f = 0.0f;
  if (changing) {
    r = 1.0f - T / kSceneChangeTime;
    if (T < kHalfChange) {
      f = 1.0f - T / kHalfChange;
    } else {
      T -= frameDelta;
    }
  }

  SetZoomedView(r);
  DrawScenePasses(T == 0.0f ? BackgroundFilter::kPointThenLinear
                            : BackgroundFilter::kLinearAfter);
  SetViewTransform(&baseView);

  // A frame long enough to take T through the whole second half at once still completes the
  // change, fully faded in, so no scene of the rotation is skipped.
  bool skippedSecondHalf = changing && T <= 0.0f;
  if (skippedSecondHalf) f = 1.0f;
  if (!(T > 0.0f && T <= kHalfChange) && !skippedSecondHalf) return;

  T -= frameDelta;
  LoadPlacements(nextScene);
  DrawIncomingScene(startTint);
  if (T <= 0.0f) {
    CompleteSceneChange();
  } else {
    LoadPlacements(shownScene);
  }
}

void ResetSceneSchedule() {
  T = 0.0f;
  f = 0.0f;
  sceneTimer = 0.0f;
  changeTimer = -1.0f;
  lightVariant = 2;
  lightTimer = 0.0f;
}
