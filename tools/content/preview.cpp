#include "preview.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace {

enum class Kind { Sky, Waterfall, Water, Spray, Leaves1, Leaves2, Leaves, Plain };

Kind KindOf(const std::string& entry) {
  auto has = [&](const char* s) { return entry.find(s) != std::string::npos; };
  if (has("sky")) return Kind::Sky;
  if (has("waterfall")) return Kind::Waterfall;
  if (has("water")) return Kind::Water;
  if (has("spray")) return Kind::Spray;
  if (has("leaves1")) return Kind::Leaves1;
  if (has("leaves2")) return Kind::Leaves2;
  if (has("leaves")) return Kind::Leaves;
  return Kind::Plain;
}

struct Quad {
  float cx, cy, pivotX, pivotY, angleDeg, width, height;
  float u0, v0, u1, v1;
  float shade = 1;
};

enum class Blend { Opaque, Alpha, Additive };

// Draws a rotated, textured rectangle given in frame units into the 800 x 600 picture.
void DrawQuad(Image& target, const Image& texture, const Quad& q, Blend blend) {
  float a = q.angleDeg * 0.017453292f, cs = std::cos(a), sn = std::sin(a);
  // Inverse rotation about the pivot takes a frame point back into the unrotated rectangle.
  float reach = std::hypot(q.width, q.height) * 0.5f + std::hypot(q.cx - q.pivotX, q.cy - q.pivotY);
  int px0 = std::max(0, int(q.cx + 400 - reach)), px1 = std::min(target.width, int(q.cx + 400 + reach) + 1);
  int py0 = std::max(0, int(300 - q.cy - reach)), py1 = std::min(target.height, int(300 - q.cy + reach) + 1);
  for (int py = py0; py < py1; ++py) {
    for (int px = px0; px < px1; ++px) {
      float fx = float(px) + 0.5f - 400 - q.pivotX, fy = 300 - float(py) - 0.5f - q.pivotY;
      float rx = fx * cs + fy * sn + q.pivotX, ry = -fx * sn + fy * cs + q.pivotY;
      float s = (rx - (q.cx - q.width / 2)) / q.width, t = ((q.cy + q.height / 2) - ry) / q.height;
      if (s < 0 || s >= 1 || t < 0 || t >= 1) continue;
      float texel[4];
      Sample(texture, Lerp(q.u0, q.u1, s), Lerp(q.v0, q.v1, t), true, texel);
      float* p = target.At(px, py);
      for (int k = 0; k < 3; ++k) {
        float c = texel[k] * q.shade;
        if (blend == Blend::Opaque) p[k] = c;
        if (blend == Blend::Alpha) p[k] = p[k] * (1 - texel[3]) + c * texel[3];
        if (blend == Blend::Additive) p[k] = std::min(1.0f, p[k] + c * c);
      }
    }
  }
}

Quad PlacementQuad(const PlacementRecord& p) {
  Quad q{};
  q.cx = (p.x0 + p.x1) / 2;
  q.cy = (p.y0 + p.y1) / 2;
  q.pivotX = q.cx;
  q.pivotY = q.cy;
  q.angleDeg = p.angle;
  q.width = std::fabs(p.x0 - p.x1);
  q.height = std::fabs(p.y0 - p.y1);
  q.u0 = p.mirror ? 1 : 0;
  q.u1 = p.mirror ? 0 : 1;
  q.v0 = 0;
  q.v1 = 1;
  return q;
}

void ScrollLayer(Quad& q, const PlacementRecord& p, const Image& texture, Kind kind, float time) {
  float ou = 0, ov = 0, su = 1, sv = 1;
  if (kind == Kind::Sky) {
    su = ((p.x1 - p.x0) / (p.y1 - p.y0)) * (float(texture.height) / float(texture.width));
    ou = -time * 0.000003f;
  } else {
    float slow = kind == Kind::Water ? 0.2f : 1.0f;
    ou = -p.param0 * time * 0.00001f * slow;
    ov = -p.param1 * time * 0.00001f * slow;
    su = (p.x1 - p.x0) / float(texture.width);
    sv = (p.y1 - p.y0) / float(texture.height);
  }
  // Rectangles given top-down have a negative height; the engine uses the signed values.
  q.u0 = p.mirror ? ou + su : ou;
  q.u1 = p.mirror ? ou : ou + su;
  q.v0 = ov;
  q.v1 = ov + sv;
}

void AddSprayPuffs(Image& target, const Image& texture, const PlacementRecord& p, float time) {
  float width = std::fabs(p.x1 - p.x0), height = std::fabs(p.y1 - p.y0);
  float interval = 300000.0f / (width * height);
  Rng rng(uint64_t(time) + 7);
  // The puffs alive at `time`: one spawned every `interval` ms during the last 2000 ms.
  for (float age = std::fmod(time, interval); age < 2000; age += interval) {
    float life = 2000 - age;
    float s = std::sin(3.14159265f * life / 2000);
    float x = (p.x0 + p.x1) / 2 + rng.Range(-width / 2, width / 2);
    float y = (p.y0 + p.y1) / 2 + rng.Range(-height / 2, height / 2) + 0.02f * (20 * s) * (20 * s);
    float half = (2000 - life) * 0.011f + 15;
    Quad q{x, y, x, y, 0, half * 2, half * 2, 0, 0, 1, 1, s};
    DrawQuad(target, texture, q, Blend::Additive);
  }
}

}  // namespace

Image CompositeScene(const Content& content, const Scene& scene, float time) {
  Image frame(800, 600, {0, 0, 0}, 1);
  float leavesPhase = 0;
  struct Leaf {
    Quad quad;
    const Image* texture;
  };
  std::vector<Leaf> leaves;
  std::vector<const PlacementRecord*> plain, spray;
  for (const PlacementRecord& p : scene.placements) {
    const Picture* picture = FindPicture(content, p.entry);
    if (!picture) continue;
    Kind kind = KindOf(p.entry);
    Quad q = PlacementQuad(p);
    if (kind == Kind::Sky || kind == Kind::Water || kind == Kind::Waterfall) {
      ScrollLayer(q, p, picture->image, kind, time);
      DrawQuad(frame, picture->image, q, Blend::Opaque);
    } else if (kind == Kind::Spray) {
      spray.push_back(&p);
    } else if (kind == Kind::Plain) {
      if (p.behind) DrawQuad(frame, picture->image, q, Blend::Opaque);
      else plain.push_back(&p);
    } else {
      static const float kSway[3][4] = {{0.5f, 0.003f, 0.2f, 0.0043f}, {0.18f, 0.004f, 0.11f, 0.0024f},
                                        {0.6f, 0.0022f, 0.24f, 0.0038f}};
      const float* w = kSway[kind == Kind::Leaves1 ? 0 : kind == Kind::Leaves2 ? 1 : 2];
      float phase = leavesPhase + time;
      leavesPhase += 400;
      q.angleDeg += w[0] * std::sin(w[1] * phase) + w[2] * std::sin(w[3] * phase);
      q.pivotX = q.cx - q.width / 2 * (p.mirror ? -1.0f : 1.0f);
      q.shade = float(255 - int(std::hypot(p.param0, p.param1)) % 256) / 255.0f;
      leaves.push_back({q, &picture->image});
    }
  }
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      const float* b = scene.background.At(x, y);
      float* p = frame.At(x, y);
      for (int k = 0; k < 3; ++k) p[k] = p[k] * (1 - b[3]) + b[k] * b[3];
    }
  for (const PlacementRecord* p : plain)
    DrawQuad(frame, FindPicture(content, p->entry)->image, PlacementQuad(*p), Blend::Alpha);
  for (const PlacementRecord* p : spray) AddSprayPuffs(frame, FindPicture(content, p->entry)->image, *p, time);
  for (const Leaf& leaf : leaves) DrawQuad(frame, *leaf.texture, leaf.quad, Blend::Alpha);
  return frame;
}
