// Scalar helpers. FastSqrt reads a 65,536-entry table of square-root mantissas (256 KB) that
// BuildSqrtTable fills once at start; before that it returns only powers of two. Its relative
// error is about 2^-16 (the low 8 mantissa bits of the argument are ignored). Arguments are
// sums of squares: negative values and -0.0 are outside its contract.
#pragma once
#include <cstdint>

constexpr int kSqrtTableSize = 65536;
extern uint32_t sqrtTable[kSqrtTableSize];

void BuildSqrtTable();
float FastSqrt(float x);

// Radians.
float Sin(float angle);
float Cos(float angle);
// Degrees, converted with the float constant 0.017453292.
float SinDeg(float degrees);
float CosDeg(float degrees);
float Abs(float x);
