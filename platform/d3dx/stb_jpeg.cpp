#include "picture.h"

namespace {

// A byte past the end reads as zero, as it does for stb_image.
int ByteAt(const BYTE* data, UINT size, int64_t i) { return i < int64_t(size) ? data[i] : 0; }

// The tables of the segment whose marker ends at `start`, walked the way stb_image walks them:
// by the length field, each table a class/slot byte, 16 counts and that many symbols.
bool SegmentTablesFit(const BYTE* data, UINT size, int64_t start) {
  int64_t left = (ByteAt(data, size, start) << 8 | ByteAt(data, size, start + 1)) - 2;
  int64_t at = start + 2;
  while (left > 0 && at < int64_t(size)) {
    int slot = ByteAt(data, size, at);
    if ((slot >> 4) > 1 || (slot & 15) > 3) return true;  // refused by the reader itself
    int codes = 0;
    for (int i = 1; i <= 16; ++i) codes += ByteAt(data, size, at + i);
    if (codes > 256) return false;
    at += 17 + codes;
    left -= 17 + codes;
  }
  return true;
}

int64_t SegmentLength(const BYTE* data, UINT size, int64_t at) {
  return ByteAt(data, size, at) << 8 | ByteAt(data, size, at + 1);
}

// Marks the tables a Huffman table segment at `at` defines; false when stb_image would stop there.
bool DefineTables(const BYTE* data, UINT size, int64_t at, int64_t end, bool defined[2][4]) {
  while (at < end) {
    int slot = ByteAt(data, size, at);
    if ((slot >> 4) > 1 || (slot & 15) > 3) return false;
    defined[slot >> 4][slot & 15] = true;
    int codes = 0;
    for (int i = 1; i <= 16; ++i) codes += ByteAt(data, size, at + i);
    at += 17 + codes;
  }
  return true;
}

// Whether every component of the scan header at `at` names tables defined before it.
bool ScanTablesDefined(const BYTE* data, UINT size, int64_t at, bool progressive, const bool defined[2][4]) {
  int components = ByteAt(data, size, at + 2);
  int64_t spectrum = at + 3 + 2 * int64_t(components);
  bool needDc = !progressive || ByteAt(data, size, spectrum) == 0;
  bool needAc = !progressive || ByteAt(data, size, spectrum + 1) > 0;
  for (int i = 0; i < components; ++i) {
    int tables = ByteAt(data, size, at + 4 + 2 * i);
    if ((tables >> 4) > 3 || (tables & 15) > 3) return true;  // refused by the reader itself
    if (needDc && !defined[0][tables >> 4]) return false;
    if (needAc && !defined[1][tables & 15]) return false;
  }
  return true;
}

// The first marker after entropy-coded data: 0xFF followed by neither 0x00 nor a restart.
int64_t SkipEntropyData(const BYTE* data, UINT size, int64_t at) {
  for (; at + 1 < int64_t(size); ++at) {
    if (data[at] != 0xFF) continue;
    int next = data[at + 1];
    if (next != 0x00 && next != 0xFF && (next < 0xD0 || next > 0xD7)) return at;
  }
  return int64_t(size);
}

}  // namespace

// stb_image decodes a scan with whatever its table slots hold, so a scan naming a table that no
// segment before it defined reads uninitialised tables and indexes out of bounds.
bool ScansUseDefinedTables(const BYTE* data, UINT size) {
  bool defined[2][4] = {};
  bool progressive = false;
  int64_t at = 0;
  while (at < int64_t(size)) {
    // stb_image looks past stray bytes between segments for the next marker.
    while (at < int64_t(size) && data[at] != 0xFF) ++at;
    while (at < int64_t(size) && data[at] == 0xFF) ++at;
    if (at >= int64_t(size)) return true;
    int marker = data[at++];
    if (marker == 0xD9) return true;
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    int64_t length = SegmentLength(data, size, at);
    int64_t end = at + length;
    // A segment running past the end is read on, as zeros.
    if (length < 2) return true;
    if (marker == 0xC2) progressive = true;
    if (marker == 0xC4 && !DefineTables(data, size, at + 2, end, defined)) return true;
    if (marker == 0xDA) {
      if (!ScanTablesDefined(data, size, at, progressive, defined)) return false;
      at = SkipEntropyData(data, size, end);
    } else {
      at = end;
    }
  }
  return true;
}

bool HuffmanTablesFit(const BYTE* data, UINT size) {
  for (UINT i = 0; i + 1 < size; ++i) {
    if (data[i] == 0xFF && data[i + 1] == 0xC4 && !SegmentTablesFit(data, size, int64_t(i) + 2)) return false;
  }
  return true;
}

bool DecodeJpegWithStb(const BYTE* data, UINT size, Picture* picture) {
  return HuffmanTablesFit(data, size) && ScansUseDefinedTables(data, size) &&
         DecodeWithStb(data, size, picture);
}
