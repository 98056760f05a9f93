// Writers for every picture format the content uses. All return false when the file cannot be
// written. Colours are quantised with a tiny fixed dither so smooth skies do not band.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

std::vector<uint8_t> ToBytes(const Image& image, int channels);
bool WriteJpeg(const std::string& path, const Image& image, int quality);
// A JPEG followed by one alpha byte per pixel: the engine finds the split at the first
// end-of-image marker, so the writer refuses pictures whose marker would appear early.
bool WriteAlphaJpeg(const std::string& path, const Image& image, int quality);
bool WriteTga(const std::string& path, const Image& image);  // 32-bit with alpha
bool WriteBmp(const std::string& path, const Image& image);  // 24-bit, what LoadImage reads
bool WritePng(const std::string& path, const Image& image);
// Classic icon with 32-bit DIB entries and AND masks, one per picture (square, up to 255 px).
bool WriteIcon(const std::string& path, const std::vector<Image>& sizes);
// Offset of the first 0xFF 0xD9 pair plus 2, or 0 when there is none.
size_t JpegLength(const uint8_t* data, size_t size);
