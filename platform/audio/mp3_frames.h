// MPEG audio Layer III frame headers (MPEG-1, 2 and 2.5): enough to tell an MP3 file by its bytes
// and to describe its first frame to a decoder that wants the format up front. No decoding here.
// Free-format streams (bit rate index 0) are not recognised.
#pragma once
#include <cstddef>

struct Mp3Frame {
  size_t offset = 0;  // of the frame header in the file
  int rate = 0;       // samples per second
  int channels = 0;   // 1 or 2
  int bitrate = 0;    // bits per second
  int length = 0;     // bytes, header and padding included
  int samples = 0;    // per channel: 1152 for MPEG-1, 576 otherwise
};

// The four header bytes at `header`; false when they are no Layer III frame header.
bool ParseMp3FrameHeader(const unsigned char* header, Mp3Frame* frame);

// The first frame after an ID3v2 tag and up to 64 KiB of anything else. A header counts only when
// a header of the same stream follows right behind its frame, or its frame runs to the end of the
// data, so stray sync bytes in a tag or in another format are not taken for MP3.
bool FindFirstMp3Frame(const unsigned char* data, size_t size, Mp3Frame* frame);
