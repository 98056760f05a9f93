// Drawing the scene on show: the animated layers (sky, waterfalls, water, spray, leaves), the
// background picture with its alpha holes, the plain pictures over it, and the colour tint.
#pragma once
#include "math/color.h"
#include "math/rect.h"
#include "math/vector.h"

struct Placement;
struct TextureRecord;

constexpr int kMaxSprayPuffs = 256;
constexpr int kMaxLeafSprites = 128;
constexpr float kSprayPuffLife = 2000.0f;

// Decided by the entry name, tested in this order: "sky", "waterfall", "water", "spray",
// "leaves" (then "leaves1", "leaves2", else plain leaves); anything else is plain.
enum class PlacementKind { kSky, kWaterfall, kWater, kSpray, kLeaves1, kLeaves2, kLeaves, kPlain };
PlacementKind PlacementKindOf(const char* entryName);

struct SprayPuff {
  float x;
  float y;
  float life;  // ms; live while above 0
  TextureRecord* texture;
};

struct SprayRing {
  SprayPuff puffs[kMaxSprayPuffs];
  int next;  // the slot the next puff overwrites
};

struct LeafSprite {
  Vector2 center;
  Vector2 pivot;
  float angle;
  float width;
  float height;
  Color color;
  TextureRecord* texture;
  unsigned char mirror;
};

struct LeafQueue {
  LeafSprite sprites[kMaxLeafSprites];
  int count;
};

extern SprayRing sprayRing;
extern LeafQueue leafQueue;
extern float leavesPhase;
extern ColorF currentTint;
extern ColorF targetTint;

// Variant 0 cool, 1 warm, 2 neutral light; the tint eases toward it.
void SetTintVariant(int variant);
// Back to the start of a run: neutral tint, no puffs, no leaves.
void ResetSceneDrawing();

void DrawScene();

// The passes, also drawn by a scene change.
void AnimatedPass();
// Backgrounds are drawn texel for texel, so they are sampled with point filtering where the
// caller asks for it; linear filtering is what everything else expects afterwards.
enum class BackgroundFilter { kPointThenLinear, kLinearAfter, kUnchanged };
void BackgroundPass(TextureRecord* background, BackgroundFilter filter);
void PlainPass();
// DrawScene without its tint: the scene change draws its outgoing scene with these.
void DrawScenePasses(BackgroundFilter filter);
// Moves currentTint a step toward targetTint, by the frame time.
void EaseTint();
void DrawSprayPuffs();
void DrawLeafSprites();

// Computes one placement's animation: draws sky, water, waterfalls and plain placements marked
// behind; spawns spray puffs; queues leaves.
void UpdateAnimated(Placement* placement);
// Nothing is spawned during a scene change.
void SpawnSprayPuff(float x, float y, TextureRecord* texture);
// A square of half-size d facing the viewer of the base view.
void Billboard(float x, float y, float d, Color color);
