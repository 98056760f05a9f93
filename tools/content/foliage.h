// Leaf clusters on branches, the three swaying kinds. Each picture is a branch that enters at
// the middle of its left edge, where the engine pivots it, and reaches to the right.
#pragma once
struct Content;
void AddFoliagePictures(Content& content);
