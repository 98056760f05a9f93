// Text from DejaVu Sans through stb_truetype: the font grid and the link picture's caption.
#pragma once
#include <string>

#include "image.h"

bool LoadTextFont();  // false when a TrueType file is missing
// Draws `text` with its baseline at row `baseline`, `pixelHeight` tall, with a soft shadow.
void DrawText(Image& image, const std::string& text, float x, float baseline, float pixelHeight, Rgb color);

// "font.tga" (16 x 16 cells of white glyphs with a dark halo, alpha) and "font.dat" (grid
// size, width bytes, cell numbers) for code page 1252.
bool WriteFontFiles(const std::string& dataDir);
