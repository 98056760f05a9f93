// The table-driven random source: two indices stepping through a fixed byte permutation at
// different rates; the sequence of raw values (0 .. 65535) repeats after 256 draws.
#pragma once
#include <windows.h>

extern int randomHigh;
extern int randomLow;

// randomHigh = bits 8..15 of the seed, randomLow = bits 0..7.
void SeedRandom(DWORD seed);
// 0 .. n-1 for n > 0; n <= 0 gives 0.
int RandomInt(int n);
// [0, x) for positive x.
float RandomUnit(float x);
// [-x, x) for positive x.
float RandomSigned(float x);
