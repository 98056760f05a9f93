// Composites a scene the way the engine draws it, for looking at the content before the
// engine can: the animated layers opaque, the background over them by its alpha, plain
// pictures over that, spray added by colour, leaves last.
#pragma once
#include "content.h"

// `timeMs` is the scene clock: it sets the sky drift, the flow and the leaves' sway.
Image CompositeScene(const Content& content, const Scene& scene, float timeMs);
