#include "scene/scene_draw.h"

#include <cmath>
#include <cstring>

#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/random.h"
#include "data/object_list.h"
#include "draw/quads.h"
#include "draw/texture_manager.h"
#include "math/scalar.h"
#include "scene/levels.h"
#include "scene/scene_schedule.h"

SprayRing sprayRing;
LeafQueue leafQueue;
float leavesPhase = 0.0f;
ColorF currentTint(1.0f, 1.0f, 1.0f, 1.0f);
ColorF targetTint(1.0f, 1.0f, 1.0f, 1.0f);

namespace {

// Render-feature kinds and blend modes of the quad layer.
constexpr int kDepthWrite = 2;
constexpr int kAlphaBlend = 4;
constexpr int kAlphaTest = 5;
constexpr int kLinearFilter = 7;
constexpr int kBlendAlpha = 0;
constexpr int kBlendAdditive = 1;

constexpr float kPi = 3.14159265f;

struct Sway {
  float amplitude1, rate1, amplitude2, rate2;
};

const Sway kLeaves1Sway{0.5f, 0.003f, 0.2f, 0.0043f};
const Sway kLeaves2Sway{0.18f, 0.004f, 0.11f, 0.0024f};
const Sway kLeavesSway{0.6f, 0.0022f, 0.24f, 0.0038f};

const Color kOpaqueWhite(uint8_t(255), uint8_t(255), uint8_t(255), uint8_t(255));

TextureRecord* TextureOf(const Placement& placement) {
  return placement.entry != nullptr ? placement.entry->texture : nullptr;
}

FloatRect PictureRect(unsigned char mirror) {
  return mirror ? FloatRect(1.0f, 0.0f, 0.0f, 1.0f) : FloatRect(0.0f, 0.0f, 1.0f, 1.0f);
}

void DrawPlacementSprite(const Placement& placement, const FloatRect& texels, Color color) {
  Vector2 center = placement.rect.Center();
  DrawSprite(center.x, center.y, center, placement.angle, placement.rect.Width(),
             placement.rect.Height(), texels, color, 0.0f);
}

// Sky, water and waterfalls scroll their texture; every other drawn layer shows it once.
void DrawLayer(const Placement& placement, float ou, float ov, float su, float sv) {
  FloatRect texels = placement.mirror ? FloatRect(ou + su, ov, ou, ov + sv)
                                      : FloatRect(ou, ov, ou + su, ov + sv);
  Color color = kOpaqueWhite;
  // The incoming scene's layers fade in with it.
  if (T > 0.0f && T <= 3000.0f) color.a = uint8_t(255.0f * f * f * f);
  BindTexture(TextureOf(placement));
  DrawPlacementSprite(placement, texels, color);
}

// Texture offsets repeat every whole texture (addressing wraps), so dropping whole repeats keeps
// long runs moving smoothly where a float of the full offset would step or freeze.
float WrappedOffset(double offset) {
  return float(std::fmod(offset, 1.0));
}

// The sway's sine argument reduced by whole turns, for the same reason.
float SwayTerm(float rate, double phase) {
  return Sin(float(std::fmod(double(rate) * phase, 6.283185307179586)));
}

void DrawFlowing(const Placement& placement, float speed) {
  const TextureRecord* texture = TextureOf(placement);
  const FloatRect& r = placement.rect;
  float ou = WrappedOffset(-placement.params.x * sceneClock * 0.00001f * speed);
  float ov = WrappedOffset(-placement.params.y * sceneClock * 0.00001f * speed);
  DrawLayer(placement, ou, ov, (r.x2 - r.x1) / float(texture->width),
            (r.y2 - r.y1) / float(texture->height));
}

void DrawSky(const Placement& placement) {
  const TextureRecord* texture = TextureOf(placement);
  const FloatRect& r = placement.rect;
  float su = ((r.x2 - r.x1) / (r.y2 - r.y1)) * (float(texture->height) / float(texture->width));
  DrawLayer(placement, WrappedOffset(-sceneClock * 0.000003f), 0.0f, su, 1.0f);
}

void UpdateSpray(Placement* placement) {
  const FloatRect& r = placement->rect;
  float area = Abs((r.x2 - r.x1) * (r.y2 - r.y1));
  placement->timer += frameDelta;
  if (placement->timer > 300000.0f / area) {
    placement->timer = 0.0f;
    Vector2 center = r.Center();
    float dy = RandomSigned(r.Height() * 0.5f);
    float dx = RandomSigned(r.Width() * 0.5f);
    SpawnSprayPuff(center.x + dx, center.y + dy, TextureOf(*placement));
  }
}

// 255 less the params' length (truncated, modulo 256); lengths no int holds count as 0.
uint8_t LeafShade(const Vector2& params) {
  float length = params.Length();
  if (!(length >= 0.0f && length < 2147483648.0f)) return 255;
  return uint8_t(255 - int(length) % 256);
}

void QueueLeaves(Placement* placement, const Sway& sway) {
  placement->timer += frameDelta;
  double phase = leavesPhase + placement->timer;
  leavesPhase += 400.0f;
  if (leafQueue.count >= kMaxLeafSprites) return;
  const FloatRect& r = placement->rect;
  float angle = placement->angle + sway.amplitude1 * SwayTerm(sway.rate1, phase) +
                sway.amplitude2 * SwayTerm(sway.rate2, phase);
  float side = placement->mirror ? -1.0f : 1.0f;
  Vector2 center = r.Center();
  uint8_t shade = LeafShade(placement->params);
  LeafSprite& sprite = leafQueue.sprites[leafQueue.count++];
  sprite.center = center;
  sprite.pivot = Vector2(center.x - r.Width() * 0.5f * side, center.y);
  sprite.angle = angle;
  sprite.width = r.Width();
  sprite.height = r.Height();
  sprite.color = Color(shade, shade, shade, uint8_t(255));
  sprite.texture = TextureOf(*placement);
  sprite.mirror = placement->mirror;
}

}  // namespace

PlacementKind PlacementKindOf(const char* name) {
  if (std::strstr(name, "sky") != nullptr) return PlacementKind::kSky;
  if (std::strstr(name, "waterfall") != nullptr) return PlacementKind::kWaterfall;
  if (std::strstr(name, "water") != nullptr) return PlacementKind::kWater;
  if (std::strstr(name, "spray") != nullptr) return PlacementKind::kSpray;
  if (std::strstr(name, "leaves") == nullptr) return PlacementKind::kPlain;
  if (std::strstr(name, "leaves1") != nullptr) return PlacementKind::kLeaves1;
  if (std::strstr(name, "leaves2") != nullptr) return PlacementKind::kLeaves2;
  return PlacementKind::kLeaves;
}

void SetTintVariant(int variant) {
  switch (variant) {
    case 0: targetTint.Set(0.67f, 0.67f, 1.0f, 1.0f); break;
    case 1: targetTint.Set(1.0f, 0.67f, 0.67f, 1.0f); break;
    case 2: targetTint.Set(1.0f, 1.0f, 1.0f, 1.0f); break;
    default: break;
  }
}

void ResetSceneDrawing() {
  std::memset(&sprayRing, 0, sizeof sprayRing);
  leafQueue.count = 0;
  leavesPhase = 0.0f;
  currentTint.Set(1.0f, 1.0f, 1.0f, 1.0f);
  targetTint.Set(1.0f, 1.0f, 1.0f, 1.0f);
}

namespace {

// Sky, water and waterfalls are fitted to their picture's size; every other kind is drawn
// without a picture as well.
bool NeedsPictureSize(PlacementKind kind) {
  return kind == PlacementKind::kSky || kind == PlacementKind::kWaterfall || kind == PlacementKind::kWater;
}

}  // namespace

void UpdateAnimated(Placement* placement) {
  placement->animated = 0;
  PlacementKind kind = placement->entry != nullptr ? PlacementKindOf(placement->entry->name) : PlacementKind::kPlain;
  // Nothing to draw: no entry of that name, or a fitted layer that has no picture.
  if (placement->entry == nullptr || (NeedsPictureSize(kind) && TextureOf(*placement) == nullptr)) {
    placement->animated = 1;
    return;
  }
  switch (kind) {
    case PlacementKind::kSky: DrawSky(*placement); break;
    case PlacementKind::kWaterfall: DrawFlowing(*placement, 1.0f); break;
    case PlacementKind::kWater: DrawFlowing(*placement, 0.2f); break;
    case PlacementKind::kSpray: UpdateSpray(placement); break;
    case PlacementKind::kLeaves1: QueueLeaves(placement, kLeaves1Sway); break;
    case PlacementKind::kLeaves2: QueueLeaves(placement, kLeaves2Sway); break;
    case PlacementKind::kLeaves: QueueLeaves(placement, kLeavesSway); break;
    case PlacementKind::kPlain:
      if (placement->behind == 0) return;
      DrawLayer(*placement, 0.0f, 0.0f, 1.0f, 1.0f);
      break;
  }
  placement->animated = 1;
}

void AnimatedPass() {
  leavesPhase = 0.0f;
  for (int i = 0; i < placementTable.placementCount; i++) {
    UpdateAnimated(&placementTable.placements[i]);
  }
}

void BackgroundPass(TextureRecord* background, BackgroundFilter filter) {
  if (filter == BackgroundFilter::kPointThenLinear) DisableState(kLinearFilter);
  BindTexture(background);
  // The 800 x 600 picture sits in the top-left corner of a 1024 x 1024 texture.
  DrawScreenRect(0.0f, 0.0f, 800.0f, 600.0f, 0.0f, 0.0f, 0.78125f, 0.5859375f, kOpaqueWhite);
  if (filter != BackgroundFilter::kUnchanged) EnableState(kLinearFilter);
}

void PlainPass() {
  for (int i = 0; i < placementTable.placementCount; i++) {
    const Placement& placement = placementTable.placements[i];
    if (placement.animated) continue;
    BindTexture(TextureOf(placement));
    DrawPlacementSprite(placement, PictureRect(placement.mirror), kOpaqueWhite);
  }
}

void SpawnSprayPuff(float x, float y, TextureRecord* texture) {
  if (T > 0.0f) return;
  SprayPuff& puff = sprayRing.puffs[sprayRing.next];
  puff.x = x;
  puff.y = y;
  puff.life = kSprayPuffLife;
  puff.texture = texture;
  sprayRing.next = (sprayRing.next + 1) % kMaxSprayPuffs;
}

void DrawSprayPuffs() {
  EnableState(kAlphaBlend);
  DisableState(kDepthWrite);
  SetBlendMode(kBlendAdditive);
  for (SprayPuff& puff : sprayRing.puffs) {
    if (!(puff.life > 0.0f)) continue;
    float s = Sin(kPi * puff.life / kSprayPuffLife);
    float rise = 20.0f * s;
    float halfSize = (kSprayPuffLife - puff.life) * 0.011f + 15.0f;
    float grey = 255.0f * s;
    BindTexture(puff.texture);
    Billboard(puff.x, puff.y + 0.02f * rise * rise, halfSize, Color(grey, grey, grey, 255.0f));
    puff.life -= frameDelta;
  }
}

void Billboard(float x, float y, float d, Color color) {
  Vector3 center(x, y, 0.0f);
  Vector3 right = baseView.RightAxis() * d;
  Vector3 up = baseView.UpAxis() * d;
  // Corner order makes the quad layer's texture sweep show the picture upright.
  DrawQuadColors(center + right - up, center + right + up, center - right + up,
                 center - right - up, color, color, color, color);
}

void DrawLeafSprites() {
  EnableState(kAlphaBlend);
  SetBlendMode(kBlendAlpha);
  for (int i = 0; i < leafQueue.count; i++) {
    const LeafSprite& sprite = leafQueue.sprites[i];
    BindTexture(sprite.texture);
    DrawSprite(sprite.center.x, sprite.center.y, sprite.pivot, sprite.angle, sprite.width,
               sprite.height, PictureRect(sprite.mirror), sprite.color, 0.0f);
  }
}

// Shared by the scene on show and the outgoing scene of a change.
void DrawScenePasses(BackgroundFilter filter) {
  leafQueue.count = 0;
  DisableState(kAlphaBlend);
  DisableState(kAlphaTest);
  AnimatedPass();
  EnableState(kAlphaBlend);
  SetBlendMode(kBlendAlpha);
  BackgroundPass(currentBackground, filter);
  PlainPass();
  DrawSprayPuffs();
  DrawLeafSprites();
  SetDrawTint(1.0f, 1.0f, 1.0f, 1.0f);
}

void EaseTint() {
  currentTint = currentTint.Lerp(targetTint, 0.0003f * frameDelta);
}

void DrawScene() {
  SetDrawTint(currentTint.r, currentTint.g, currentTint.b, currentTint.a);
  EaseTint();
  DrawScenePasses(BackgroundFilter::kPointThenLinear);
}
