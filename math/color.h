// Colours. `Color` is the device's packed diffuse colour: memory bytes blue, green, red, alpha,
// i.e. 0xAARRGGBB as a little-endian 32-bit value. `ColorF` is a float tint, red first.
#pragma once
#include <cstdint>

struct Color {
  uint8_t b = 255;
  uint8_t g = 255;
  uint8_t r = 255;
  uint8_t a = 255;

  Color() = default;
  Color(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) { Set(red, green, blue, alpha); }
  // Float components are truncated toward zero, as the vertex colours expect.
  Color(float red, float green, float blue, float alpha) { Set(red, green, blue, alpha); }
  void Set(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    r = red; g = green; b = blue; a = alpha;
  }
  void Set(float red, float green, float blue, float alpha) {
    Set(ToByte(red), ToByte(green), ToByte(blue), ToByte(alpha));
  }
  uint32_t Packed() const {
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
  }

 private:
  // Out-of-range floats are clamped so the conversion stays defined.
  static uint8_t ToByte(float v) { return v <= 0.0f ? 0 : v >= 255.0f ? 255 : uint8_t(v); }
};

struct ColorF {
  float r = 1.0f;
  float g = 1.0f;
  float b = 1.0f;
  float a = 0.0f;

  ColorF() = default;
  ColorF(float red, float green, float blue, float alpha) : r(red), g(green), b(blue), a(alpha) {}
  void Set(float red, float green, float blue, float alpha) {
    r = red; g = green; b = blue; a = alpha;
  }
  ColorF Lerp(const ColorF& other, float t) const;
};

static_assert(sizeof(Color) == 4 && sizeof(ColorF) == 16, "vertex and tint layouts");
