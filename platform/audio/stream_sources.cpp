// File streams: WAV, Ogg Vorbis and MP3, decoded a chunk at a time while they play.
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/audio/mp3_frames.h"
#include "platform/audio/mixer.h"
#include "platform/audio/music_source.h"
#include "platform/audio/vorbis.h"
#include "platform/audio/wav_format.h"

namespace {

constexpr int kDecodeChunk = 4096;

class PcmStream : public DecodedStream {
 public:
  PcmStream(unsigned char* file, const WavLayout& layout)
      : DecodedStream(layout.rate), file(file), layout(layout) {}
  ~PcmStream() override { delete[] file; }

 protected:
  int Decode(float* out, int frames) override {
    const int count = std::min(frames, layout.frameCount - cursor);
    ConvertWavFrames(layout, cursor, count, out);
    cursor += count;
    return count;
  }
  void Rewind() override { cursor = 0; }

 private:
  unsigned char* file;
  WavLayout layout;
  int cursor = 0;
};

class VorbisStream : public DecodedStream {
 public:
  VorbisStream(unsigned char* file, stb_vorbis* vorbis, std::unique_ptr<char[]> arena, int rate)
      : DecodedStream(rate), file(file), vorbis(vorbis), arena(std::move(arena)) {}
  ~VorbisStream() override {
    stb_vorbis_close(vorbis);
    delete[] file;
  }

 protected:
  int Decode(float* out, int frames) override {
    return ReadVorbisStereo(vorbis, out, frames);
  }
  void Rewind() override { stb_vorbis_seek_start(vorbis); }

 private:
  unsigned char* file;
  stb_vorbis* vorbis;
  std::unique_ptr<char[]> arena;
};

}  // namespace

int DecodedStream::Render(float* out, int frames, int rate) {
  if (ended || rate <= 0) return 0;
  const double step = static_cast<double>(nativeRate) / rate;
  int done = 0;
  while (done < frames) {
    const int index = static_cast<int>(position);
    if (index + 1 >= bufferFrames) {
      if (!Refill()) break;
      continue;
    }
    const float fraction = static_cast<float>(position - index);
    const float* frame = &buffer[2 * static_cast<size_t>(index)];
    out[2 * done] = frame[0] * (1.0f - fraction) + frame[2] * fraction;
    out[2 * done + 1] = frame[1] * (1.0f - fraction) + frame[3] * fraction;
    position += step;
    framesPlayed += 1;
    ++done;
  }
  if (done < frames) ended = true;
  return done;
}

// Keeps the frames from the read position on and decodes more behind them. At the end of the
// data a looping stream continues from its start in the same buffer, so no gap is heard; one that
// does not loop gets a single silent frame so its last frame still plays out.
bool DecodedStream::Refill() {
  const int keep = std::min(static_cast<int>(position), bufferFrames);
  const int remaining = bufferFrames - keep;
  if (keep > 0) {
    std::memmove(buffer.data(), buffer.data() + 2 * static_cast<size_t>(keep),
                 2 * static_cast<size_t>(remaining) * sizeof(float));
  }
  position -= keep;
  bufferFrames = remaining;
  buffer.resize(2 * static_cast<size_t>(remaining + kDecodeChunk));
  float* tail = buffer.data() + 2 * static_cast<size_t>(remaining);
  int got = endPadded ? 0 : Decode(tail, kDecodeChunk);
  if (got == 0 && looping && !endPadded) {
    Rewind();
    got = Decode(tail, kDecodeChunk);
  }
  if (got > 0) {
    // Before interpolation, which would spread a bad value onto its neighbour.
    SilenceNonFinite(tail, 2 * static_cast<size_t>(got));
    bufferFrames += got;
    return true;
  }
  if (endPadded) return false;
  tail[0] = tail[1] = 0.0f;
  bufferFrames += 1;
  endPadded = true;
  return true;
}

bool DecodedStream::Seek(int, int) {
  Rewind();
  position = 0;
  bufferFrames = 0;
  framesPlayed = 0;
  ended = false;
  endPadded = false;
  return true;
}

MusicSource* OpenStreamSource(unsigned char* data, size_t size) {
  if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) {
    std::unique_ptr<char[]> arena;
    stb_vorbis* vorbis = OpenVorbis(data, size, &arena);
    if (vorbis != nullptr) {
      const int rate = static_cast<int>(stb_vorbis_get_info(vorbis).sample_rate);
      return new VorbisStream(data, vorbis, std::move(arena), rate);
    }
  }
  WavLayout layout;
  if (ParseWav(data, size, &layout)) return new PcmStream(data, layout);
  Mp3Frame first;
  if (FindFirstMp3Frame(data, size, &first)) return OpenMp3Source(data, size, first);
  delete[] data;
  return nullptr;
}
