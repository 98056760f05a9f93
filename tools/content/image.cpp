#include "image.h"

#include <algorithm>
#include <cmath>

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float Smoothstep(float edge0, float edge1, float v) {
  float t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

Image::Image(int w, int h, Rgb fill, float alpha) : width(w), height(h), pixels(size_t(w) * size_t(h) * 4) {
  for (size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = fill.r;
    pixels[i + 1] = fill.g;
    pixels[i + 2] = fill.b;
    pixels[i + 3] = alpha;
  }
}

Rgb Image::ColorAt(int x, int y) const {
  const float* p = At(x, y);
  return {p[0], p[1], p[2]};
}

void Paint(Image& image, int x, int y, Rgb c, float coverage, float alpha) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height || coverage <= 0) return;
  coverage = std::min(coverage, 1.0f);
  float* p = image.At(x, y);
  p[0] += (c.r - p[0]) * coverage;
  p[1] += (c.g - p[1]) * coverage;
  p[2] += (c.b - p[2]) * coverage;
  p[3] += (alpha - p[3]) * coverage;
}

void Over(Image& image, int x, int y, Rgb c, float alpha) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height || alpha <= 0) return;
  alpha = std::min(alpha, 1.0f);
  float* p = image.At(x, y);
  float outAlpha = alpha + p[3] * (1 - alpha);
  float keep = p[3] * (1 - alpha);
  p[0] = (c.r * alpha + p[0] * keep) / outAlpha;
  p[1] = (c.g * alpha + p[1] * keep) / outAlpha;
  p[2] = (c.b * alpha + p[2] * keep) / outAlpha;
  p[3] = outAlpha;
}

void FillEllipse(Image& image, float cx, float cy, float rx, float ry, float angle, Rgb c, float alpha) {
  float reach = std::max(rx, ry) + 1;
  int x0 = int(std::floor(cx - reach)), x1 = int(std::ceil(cx + reach));
  int y0 = int(std::floor(cy - reach)), y1 = int(std::ceil(cy + reach));
  float cs = std::cos(angle), sn = std::sin(angle);
  float minRadius = std::max(0.5f, std::min(rx, ry));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
      float u = (dx * cs + dy * sn) / rx, v = (-dx * sn + dy * cs) / ry;
      float d = std::sqrt(u * u + v * v);
      // Distance to the rim in pixels, roughly, gives a one-pixel soft edge.
      float coverage = Clamp01((1 - d) * minRadius + 0.5f);
      Over(image, x, y, c, alpha * coverage);
    }
  }
}

void FillCapsule(Image& image, float ax, float ay, float bx, float by, float radiusA, float radiusB, Rgb c,
                 float alpha) {
  float reach = std::max(radiusA, radiusB) + 1;
  int x0 = int(std::floor(std::min(ax, bx) - reach)), x1 = int(std::ceil(std::max(ax, bx) + reach));
  int y0 = int(std::floor(std::min(ay, by) - reach)), y1 = int(std::ceil(std::max(ay, by) + reach));
  float ex = bx - ax, ey = by - ay;
  float length2 = std::max(ex * ex + ey * ey, 1e-6f);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      float px = float(x) + 0.5f - ax, py = float(y) + 0.5f - ay;
      float t = Clamp01((px * ex + py * ey) / length2);
      float dx = px - ex * t, dy = py - ey * t;
      float radius = Lerp(radiusA, radiusB, t);
      float coverage = Clamp01(radius - std::sqrt(dx * dx + dy * dy) + 0.5f);
      Over(image, x, y, c, alpha * coverage);
    }
  }
}

static int WrapOrClamp(int i, int n, bool wrap) {
  if (wrap) return ((i % n) + n) % n;
  return i < 0 ? 0 : (i >= n ? n - 1 : i);
}

void Sample(const Image& image, float u, float v, bool wrap, float out[4]) {
  float x = u * float(image.width) - 0.5f, y = v * float(image.height) - 0.5f;
  float fx = std::floor(x), fy = std::floor(y);
  float tx = x - fx, ty = y - fy;
  int x0 = WrapOrClamp(int(fx), image.width, wrap), x1 = WrapOrClamp(int(fx) + 1, image.width, wrap);
  int y0 = WrapOrClamp(int(fy), image.height, wrap), y1 = WrapOrClamp(int(fy) + 1, image.height, wrap);
  const float* a = image.At(x0, y0);
  const float* b = image.At(x1, y0);
  const float* c = image.At(x0, y1);
  const float* d = image.At(x1, y1);
  for (int k = 0; k < 4; ++k) {
    float top = a[k] + (b[k] - a[k]) * tx;
    float bottom = c[k] + (d[k] - c[k]) * tx;
    out[k] = top + (bottom - top) * ty;
  }
}

Image Resize(const Image& image, int width, int height) {
  Image result(width, height);
  float sx = float(image.width) / float(width), sy = float(image.height) / float(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int ax = int(float(x) * sx), bx = std::max(ax + 1, int(float(x + 1) * sx));
      int ay = int(float(y) * sy), by = std::max(ay + 1, int(float(y + 1) * sy));
      float sum[4] = {0, 0, 0, 0};
      for (int yy = ay; yy < by && yy < image.height; ++yy) {
        for (int xx = ax; xx < bx && xx < image.width; ++xx) {
          const float* p = image.At(xx, yy);
          // Weight colour by alpha so transparent texels do not darken the edges.
          for (int k = 0; k < 3; ++k) sum[k] += p[k] * p[3];
          sum[3] += p[3];
        }
      }
      float count = float((by - ay) * (bx - ax));
      float* out = result.At(x, y);
      for (int k = 0; k < 3; ++k) out[k] = sum[3] > 0 ? sum[k] / sum[3] : 0;
      out[3] = sum[3] / count;
    }
  }
  return result;
}
