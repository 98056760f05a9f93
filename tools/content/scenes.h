// The eight scenes: each paints its background and layer pictures and places them.
#pragma once
struct Content;
void AddScenes(Content& content);
