#include "scene/levels.h"

int shownScene = 0;
int nextScene = 0;
