// The kernel of one instruction set for the run-time choices of a span: filter, one level or a
// blend of two, diffuse and blend. `Set::kernel<Linear, Mip, Diffuse, Blend>` names the set's
// kernel of each combination; this is the one table of the combinations for every set.
#pragma once
#include "platform/d3d8/pixel_spans.h"

template <typename Set, bool Linear, bool Mip, SpanBlend Blend>
ShadeSpanFunction PickSetKernel(SpanDiffuse diffuse) {
  switch (diffuse) {
    case SpanDiffuse::kGouraud: return Set::template kernel<Linear, Mip, SpanDiffuse::kGouraud, Blend>;
    case SpanDiffuse::kFlat: return Set::template kernel<Linear, Mip, SpanDiffuse::kFlat, Blend>;
    default: return Set::template kernel<Linear, Mip, SpanDiffuse::kWhite, Blend>;
  }
}

template <typename Set, bool Linear, bool Mip>
ShadeSpanFunction PickSetKernel(SpanDiffuse diffuse, SpanBlend blend) {
  switch (blend) {
    case SpanBlend::kOver: return PickSetKernel<Set, Linear, Mip, SpanBlend::kOver>(diffuse);
    case SpanBlend::kAddBySourceColor: return PickSetKernel<Set, Linear, Mip, SpanBlend::kAddBySourceColor>(diffuse);
    default: return PickSetKernel<Set, Linear, Mip, SpanBlend::kReplace>(diffuse);
  }
}

template <typename Set>
ShadeSpanFunction PickSetKernel(bool linear, bool mipBlend, SpanDiffuse diffuse, SpanBlend blend) {
  if (linear) {
    return mipBlend ? PickSetKernel<Set, true, true>(diffuse, blend) : PickSetKernel<Set, true, false>(diffuse, blend);
  }
  return mipBlend ? PickSetKernel<Set, false, true>(diffuse, blend) : PickSetKernel<Set, false, false>(diffuse, blend);
}
