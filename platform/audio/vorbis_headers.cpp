// The comment header of an Ogg Vorbis file, read the way stb_vorbis reads it, before it does:
// a comment count it cannot allocate a list for makes it dereference the missing list while it
// cleans up.
#include "platform/audio/vorbis.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kEndOfPacket = -1;
constexpr int kMaxVendorLength = 1 << 16;
constexpr int kMaxComments = 1 << 14;

// Packet bytes across page boundaries: a byte of a segment past the end of the file reads as 0,
// a packet that ends or a page that does not continue it gives kEndOfPacket from then on.
struct PacketReader {
  const unsigned char* data;
  size_t size;
  size_t page = 0;       // offset of the current page
  int segment = 0;       // next segment of the page
  size_t at = 0;         // next byte of the file
  int left = 0;          // bytes left in the current segment
  bool lastSegment = false;
  bool ended = false;

  int Byte(size_t i) const { return i < size ? data[i] : 0; }

  bool StartPage(size_t offset, bool continued) {
    if (offset + 27 > size || std::memcmp(data + offset, "OggS", 4) != 0 || data[offset + 4] != 0) return false;
    if (continued && (data[offset + 5] & 1) == 0) return false;
    page = offset;
    segment = 0;
    at = offset + 27 + data[offset + 26];
    return true;
  }

  bool NextSegment() {
    int count = Byte(page + 26);
    if (segment == count) {
      size_t next = at;
      if (!StartPage(next, true)) return false;
      count = Byte(page + 26);
      if (count == 0) return false;
    }
    left = Byte(page + 27 + size_t(segment));
    lastSegment = left < 255;
    ++segment;
    return true;
  }

  int Get8() {
    if (ended) return kEndOfPacket;
    while (left == 0) {
      if (lastSegment || !NextSegment()) {
        ended = true;
        return kEndOfPacket;
      }
    }
    --left;
    return Byte(at++);
  }

  int Get32() {
    uint32_t x = uint32_t(Get8());
    x += uint32_t(Get8()) << 8;
    x += uint32_t(Get8()) << 16;
    x += uint32_t(Get8()) << 24;
    int32_t value;
    std::memcpy(&value, &x, sizeof value);
    return value;
  }
};

}  // namespace

bool VorbisCommentsFit(const unsigned char* data, size_t size) {
  // The identification packet is one 30-byte segment on the first page; anything else the
  // decoder refuses by itself.
  if (size < 58 || data[26] != 1 || data[27] != 30) return true;
  PacketReader packet{data, size};
  // The packet starts on the next page with segments, which must not continue another packet.
  size_t offset = 58;
  do {
    if (!packet.StartPage(offset, false) || (data[packet.page + 5] & 1) != 0) return true;
    offset = packet.at;
  } while (data[packet.page + 26] == 0);
  for (int i = 0; i < 7; ++i) packet.Get8();
  int vendorLength = packet.Get32();
  if (vendorLength < 0 || vendorLength > kMaxVendorLength) return false;
  for (int i = 0; i < vendorLength; ++i) packet.Get8();
  return packet.Get32() <= kMaxComments;
}
