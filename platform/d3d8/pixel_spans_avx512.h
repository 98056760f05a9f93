// The AVX-512 span kernels, for pixel_spans.cpp to hand out; see pixel_spans.h for what they do.
#pragma once
#include "platform/d3d8/pixel_spans.h"

// Null when the build has no AVX-512 kernels. Whether the processor runs them is the caller's
// question.
ShadeSpanFunction PickWrapShaderAvx512(bool linear, bool mipBlend, SpanDiffuse diffuse, SpanBlend blend);
