// The Ogg Vorbis decoder's declarations; its body is compiled once, in stb_vorbis_impl.cpp.
#pragma once
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"
#undef STB_VORBIS_HEADER_ONLY
