// The triangle pipeline of the software Direct3D 8 device: clipping in homogeneous space,
// viewport mapping, the top-left fill rule on pixel centres at integer coordinates, texture
// stage 0, alpha test, depth test and blending into a 32-bit render target.
#pragma once
#include <d3d8.h>
#include <cstdint>
#include <vector>

#include "platform/d3d8/pixel_spans.h"

// One vertex after the vertex stage: clip-space position (or, for pre-transformed vertices,
// screen x, y, z and 1/w), colour channels 0..255 and stage-0 texture coordinates.
struct RasterVertex {
  float x, y, z, w;
  float r, g, b, a;
  float u, v;
};

struct RasterTextureLevel {
  const uint32_t* texels;  // 0xAARRGGBB, rows of `width`
  int width;
  int height;
  // Per row, the first and end columns of texels with any alpha (first >= end: none); null when
  // not known. Blending by alpha, the clear texels either side leave the target as it is.
  const int* visibleColumns = nullptr;
};

// `columns` gets the visible columns of every row of the level, as RasterTextureLevel keeps them.
void FindVisibleColumns(const RasterTextureLevel& level, std::vector<int>* columns);

constexpr int kMaxRasterLevels = 16;

struct RasterTexture {
  RasterTextureLevel levels[kMaxRasterLevels];
  int levelCount;
  uint32_t alphaOr;  // 0xFF000000 for formats without alpha
};

struct RasterTarget {
  uint32_t* pixels;
  int pitch;  // in pixels
  int width;
  int height;
  bool hasAlpha;
  uint32_t* depth;  // null without a depth buffer
  int depthPitch;
  uint32_t depthMax;  // largest value the depth format holds
};

// Everything a draw reads, gathered from the device states once per draw call.
struct RasterState {
  RasterTarget target;
  int viewportX, viewportY, viewportWidth, viewportHeight;
  float minZ, maxZ;
  bool pretransformed;
  DWORD cullMode;
  bool flatShading;
  bool depthTest;
  DWORD depthFunc;
  bool depthWrite;
  bool alphaTest;
  DWORD alphaFunc;
  DWORD alphaRef;
  bool blend;
  DWORD srcBlend, destBlend, blendOp;
  const RasterTexture* texture;  // null: stage 0 has none
  DWORD colorOp, colorArg1, colorArg2;
  DWORD alphaOp, alphaArg1, alphaArg2;
  D3DCOLOR textureFactor;
  DWORD magFilter, minFilter, mipFilter;
  DWORD addressU, addressV;
  float mipLodBias;
  DWORD maxMipLevel;
};

constexpr int kMaxSpanWidth = 4096;

// Runs of a texture level's texels that are opaque together with their eight neighbours, row by
// row: wherever a point or bilinear sample near the middle of a run falls, it reads only opaque
// texels.
struct OpaqueTexels {
  std::vector<int> rowFirst;  // runs of texel row y: runs[rowFirst[y]] up to runs[rowFirst[y + 1]]
  std::vector<int> runs;      // first, end column pairs
};

void FindOpaqueTexels(const RasterTextureLevel& level, uint32_t alphaOr, OpaqueTexels* opaque);

// The pixels a draw covers with opaque texels whatever lies beneath them, row by row: earlier
// draws that only replace pixels need not shade these.
struct OpaqueCover {
  int top = 0, bottom = 0;    // rows [top, bottom)
  std::vector<int> rowFirst;  // spans of row y: spans[rowFirst[y - top]] up to spans[rowFirst[y - top + 1]]
  std::vector<int> spans;     // first, end pixel pairs, sorted
};

// Per-draw derived data and scratch memory, owned by the device so that no draw allocates.
struct RasterContext {
  const RasterState* state;
  bool alphaPass[256];   // alpha test result for every source alpha
  int blendKind;         // 0 replace, 1 source alpha over, 2 any other factors, 3 add by colour
  bool modulateStage;    // stage 0 is texture x diffuse for colour and alpha
  bool depthActive;
  bool depthWrite;
  WriteSpanFunction write;  // the target write without depth for blends 0, 1 and 3, else null
  bool shadeIntoTarget;     // nothing between the stage and the target: shade straight into it
  bool blendWhileShading;   // the fast stage kernels may blend into the target themselves
  SpanBlend spanBlend;
  int touchedLeft, touchedTop, touchedRight, touchedBottom;  // pixels the draw may have changed
  const OpaqueCover* cover;  // pixels a later draw covers, which shading straight into the target skips
  uint32_t source[kMaxSpanWidth];
};

// Whether draws skip pixels they cannot change (clear texels blended by alpha, pixels a cover
// holds); true but where tests and benchmarks compare with shading every pixel.
extern bool rasterSkipsUnchangedPixels;

// Prepares the context for a run of triangles drawn under `state`.
void RasterBegin(RasterContext& context, const RasterState& state);

// Draws one triangle; vertices in clip space unless the state says pre-transformed.
void RasterTriangle(RasterContext& context, const RasterVertex& a, const RasterVertex& b,
                    const RasterVertex& c);

// Fills `cover` when `triangleCount` triangles (three corners each), drawn under the state the
// context was begun with, are one rectangle of the screen mapped without rotation onto `texels`
// of the texture's top level, with opaque diffuse alpha and a blend that keeps opaque texels as
// they are; false for any other draw. Pixels near the edges of runs and of the rectangle are
// left out, so the cover holds only pixels the draw is certain to make opaque.
bool FindOpaqueCover(const RasterContext& context, const RasterVertex* corners, int triangleCount,
                     const OpaqueTexels& texels, OpaqueCover* cover);
