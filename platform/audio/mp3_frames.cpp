#include "platform/audio/mp3_frames.h"

namespace {

constexpr size_t kSearchBytes = 64 * 1024;
constexpr size_t kId3HeaderBytes = 10;

// kbit/s by bit rate index; MPEG-2 and 2.5 share the lower table.
const int kMpeg1Bitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kMpeg2Bitrates[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int kMpeg1Rates[3] = {44100, 48000, 32000};

enum Version { kMpeg25 = 0, kReserved = 1, kMpeg2 = 2, kMpeg1 = 3 };

// Bytes taken by an ID3v2 tag at the start (its sizes are 7-bit "syncsafe" digits), else 0.
size_t Id3TagBytes(const unsigned char* data, size_t size) {
  if (size < kId3HeaderBytes || data[0] != 'I' || data[1] != 'D' || data[2] != '3') return 0;
  size_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (data[i] & 0x80) return 0;
    body = (body << 7) | data[i];
  }
  const bool hasFooter = (data[5] & 0x10) != 0;
  return kId3HeaderBytes + body + (hasFooter ? kId3HeaderBytes : 0);
}

bool SameStream(const Mp3Frame& a, const Mp3Frame& b) {
  return a.rate == b.rate && a.channels == b.channels && a.samples == b.samples;
}

}  // namespace

bool ParseMp3FrameHeader(const unsigned char* header, Mp3Frame* frame) {
  if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) return false;
  const int version = (header[1] >> 3) & 3;
  const int layer = (header[1] >> 1) & 3;
  const int bitrateIndex = header[2] >> 4;
  const int rateIndex = (header[2] >> 2) & 3;
  if (version == kReserved || layer != 1 || rateIndex == 3) return false;
  const int kbits = (version == kMpeg1 ? kMpeg1Bitrates : kMpeg2Bitrates)[bitrateIndex];
  if (kbits == 0) return false;
  const int shift = version == kMpeg1 ? 0 : version == kMpeg2 ? 1 : 2;
  frame->rate = kMpeg1Rates[rateIndex] >> shift;
  frame->bitrate = kbits * 1000;
  frame->channels = (header[3] >> 6) == 3 ? 1 : 2;
  frame->samples = version == kMpeg1 ? 1152 : 576;
  const int padding = (header[2] >> 1) & 1;
  frame->length = frame->samples / 8 * frame->bitrate / frame->rate + padding;
  return true;
}

bool FindFirstMp3Frame(const unsigned char* data, size_t size, Mp3Frame* frame) {
  const size_t start = Id3TagBytes(data, size);
  if (start >= size) return false;
  const size_t searchEnd = size - start > kSearchBytes ? start + kSearchBytes : size;
  for (size_t at = start; at + 4 <= searchEnd; ++at) {
    Mp3Frame candidate;
    if (!ParseMp3FrameHeader(data + at, &candidate)) continue;
    candidate.offset = at;
    const size_t next = at + static_cast<size_t>(candidate.length);
    Mp3Frame following;
    if (next + 4 > size ||
        (ParseMp3FrameHeader(data + next, &following) && SameStream(candidate, following))) {
      *frame = candidate;
      return true;
    }
  }
  return false;
}
