// Gorge walls seen along the gorge: buttresses that step back toward a vanishing point, lit
// from one side, with shadowed clefts between them and haze that grows with distance.
#pragma once
#include <cstdint>

#include "image.h"

// Where the gorge runs: its floor and rim at nearness 1, and how it bends with distance.
struct GorgeView {
  float vanishRow = 330;          // the far end, where floor and rims meet
  float centreNear = 390, centreFar = 450;  // the gorge's middle column, near and far
  float footDrop = 150;           // rows from the far end down to the water, at nearness 1
  float rimRise = 330;            // rows up to the rim, at nearness 1
  float footHalf = 100, rimHalf = 150;  // half the gorge's width at the water and at the rim
  float CentreAt(float nearness) const;
  float FootRow(float nearness) const { return vanishRow + footDrop * nearness; }
  // Nearness of the water surface seen at a row below the far end.
  float NearnessAtRow(float row) const { return (row - vanishRow) / footDrop; }
};

struct WallLook {
  Rgb lit, shade;      // rock facing the sun and turned from it
  Rgb haze;            // the air colour far walls fade into
  float lightFromLeft = 1;  // +1 sun on the left, -1 on the right
  float farHaze = 0.7f;     // haze on the farthest wall
};

// One buttress of the left (side -1) or right (side +1) wall at a nearness (screen size of a
// unit of wall; larger is nearer). Paint far ones first: each darkens the wall behind its edge,
// where it shades the cleft.
void PaintButtress(Image& image, const GorgeView& view, const WallLook& look, float side, float nearness,
                   uint32_t seed);
// The rim row of a buttress at a column: where shrubs and trees along its top stand.
float ButtressRim(const GorgeView& view, float side, float nearness, uint32_t seed, float x);
