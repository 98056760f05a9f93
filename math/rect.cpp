#include "math/rect.h"

#include "math/scalar.h"

float FloatRect::Width() const { return Abs(x1 - x2); }
float FloatRect::Height() const { return Abs(y1 - y2); }
