// The comment header of an Ogg Vorbis file, checked before stb_vorbis reads it. stb_vorbis
// trusts its counts and lengths: a negative length makes it write before its buffer, and a list
// it cannot allocate makes it dereference the missing list while it cleans up.
//
// Only plainly laid out headers pass: every page of the packet whole, in order and flagged as
// stb_vorbis expects, the packet holding every field. Then the decoder reads exactly the bytes
// read here, and the limits below hold for what it reads.
#include "platform/audio/vorbis.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kMaxTextLength = 1 << 16;
constexpr int kMaxComments = 1 << 14;
constexpr size_t kPageHeaderSize = 27;
// The identification packet is one 30-byte segment on the first page, or the decoder refuses
// the file by itself; the comment packet starts on the page after it.
constexpr size_t kSecondPage = kPageHeaderSize + 1 + 30;

struct PacketReader {
  const unsigned char* data;
  size_t size;
  size_t page = 0;
  int segment = 0;   // next segment of the page
  size_t at = 0;     // next byte of the file
  int left = 0;      // bytes left in the current segment
  bool lastSegment = false;
  bool broken = false;

  int SegmentCount() const { return data[page + 26]; }

  bool StartPage(size_t offset, bool continued) {
    if (offset > size || size - offset < kPageHeaderSize || std::memcmp(data + offset, "OggS", 4) != 0 ||
        data[offset + 4] != 0 || ((data[offset + 5] & 1) != 0) != continued || data[offset + 26] == 0) {
      return false;
    }
    size_t body = offset + kPageHeaderSize + data[offset + 26];
    if (body > size) return false;
    size_t end = body;
    for (size_t i = offset + kPageHeaderSize; i < body; ++i) end += data[i];
    if (end > size) return false;
    page = offset;
    segment = 0;
    at = body;
    return true;
  }

  bool NextSegment() {
    if (lastSegment) return false;
    if (segment == SegmentCount() && !StartPage(at, true)) return false;
    left = data[page + kPageHeaderSize + size_t(segment)];
    lastSegment = left < 255;
    ++segment;
    return left > 0;
  }

  int Get8() {
    if (broken || (left == 0 && !NextSegment())) {
      broken = true;
      return 0;
    }
    --left;
    return data[at++];
  }

  int64_t Get32() {
    uint32_t x = uint32_t(Get8());
    x |= uint32_t(Get8()) << 8;
    x |= uint32_t(Get8()) << 16;
    x |= uint32_t(Get8()) << 24;
    return int32_t(x);
  }

  // A length or count as the decoder takes it, within [0, limit]; false otherwise.
  bool Within(int64_t value, int64_t limit) const { return !broken && value >= 0 && value <= limit; }

  void Skip(int64_t count) {
    for (int64_t i = 0; i < count && !broken; ++i) Get8();
  }
};

}  // namespace

bool VorbisCommentsFit(const unsigned char* data, size_t size) {
  if (size < kSecondPage || data[26] != 1 || data[27] != 30) return true;
  PacketReader packet{data, size};
  if (!packet.StartPage(kSecondPage, false)) return false;
  packet.Skip(7);  // packet type and "vorbis"
  int64_t vendorLength = packet.Get32();
  if (!packet.Within(vendorLength, kMaxTextLength)) return false;
  packet.Skip(vendorLength);
  int64_t comments = packet.Get32();
  if (!packet.Within(comments, kMaxComments)) return false;
  for (int64_t i = 0; i < comments; ++i) {
    int64_t length = packet.Get32();
    if (!packet.Within(length, kMaxTextLength)) return false;
    packet.Skip(length);
  }
  return !packet.broken;
}
