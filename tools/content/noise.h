// Deterministic random numbers and tileable gradient noise for the content painters.
// Every function is pure: the same seed always paints the same picture, on every machine.
#pragma once
#include <cstdint>

struct Rng {
  uint64_t state;
  explicit Rng(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint32_t Next();
  float Unit();                      // [0, 1)
  float Range(float lo, float hi);   // [lo, hi)
  int Int(int n);                    // [0, n)
};

// Gradient noise in about [-1, 1]. A period of 0 means no wrap; otherwise the noise repeats
// every `period` lattice cells along that axis, which is how skies, water and falls tile.
float GradientNoise(float x, float y, uint32_t seed, int periodX = 0, int periodY = 0);

// Sum of octaves, each at twice the frequency and `gain` times the amplitude of the last;
// the periods double with the frequency so the sum tiles like its first octave.
float Fbm(float x, float y, int octaves, uint32_t seed, int periodX = 0, int periodY = 0,
          float gain = 0.5f);

// Sharp-crested variant for mountain ridges and rock: in [0, 1], peaks where the noise crosses 0.
float RidgedFbm(float x, float y, int octaves, uint32_t seed, int periodX = 0, int periodY = 0);
