// Builds without libjpeg decode JPEG with stb_image, behind its table check.
#include "platform/d3dx/picture.h"

bool DecodeJpeg(const BYTE* data, UINT size, Picture* picture) { return DecodeJpegWithStb(data, size, picture); }
