// MP3 streams on Linux through libmpg123, fed the whole file from memory.
#include <mpg123.h>

#include "platform/audio/mp3_frames.h"
#include "platform/audio/music_source.h"

namespace {

// A new format is announced once per (re)start before any samples; a stream that keeps announcing
// is broken.
constexpr int kMaxFormatNotices = 4;

class Mpg123Stream : public DecodedStream {
 public:
  Mpg123Stream(unsigned char* file, size_t size, size_t start, mpg123_handle* decoder, int rate)
      : DecodedStream(rate), file(file), size(size), start(start), decoder(decoder) {}
  ~Mpg123Stream() override {
    mpg123_delete(decoder);
    delete[] file;
  }

  // From the first frame: libmpg123 never sees what lies before it. A broken tag header there
  // can keep it busy for most of a minute before it gives a sample.
  bool Restart() {
    mpg123_close(decoder);
    return mpg123_open_feed(decoder) == MPG123_OK &&
           mpg123_feed(decoder, file + start, size - start) == MPG123_OK;
  }

 protected:
  int Decode(float* out, int frames) override {
    constexpr size_t kFrameBytes = 2 * sizeof(float);
    for (int notices = 0; notices < kMaxFormatNotices; ++notices) {
      size_t bytes = 0;
      const int result = mpg123_read(decoder, out, static_cast<size_t>(frames) * kFrameBytes, &bytes);
      if (bytes > 0) return static_cast<int>(bytes / kFrameBytes);
      if (result != MPG123_NEW_FORMAT) return 0;
    }
    return 0;
  }
  void Rewind() override { Restart(); }

 private:
  unsigned char* file;
  size_t size;
  size_t start;  // of the first frame
  mpg123_handle* decoder;
};

// Stereo float at the first frame's rate only: a stream that changes its rate midway ends there.
mpg123_handle* NewDecoder(int rate) {
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  if (decoder == nullptr) return nullptr;
  if (mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0) != MPG123_OK ||
      mpg123_format_none(decoder) != MPG123_OK ||
      mpg123_format(decoder, rate, MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK) {
    mpg123_delete(decoder);
    return nullptr;
  }
  return decoder;
}

}  // namespace

MusicSource* OpenMp3Source(unsigned char* data, size_t size, const Mp3Frame& first) {
  static const bool ready = mpg123_init() == MPG123_OK;
  mpg123_handle* decoder = ready ? NewDecoder(first.rate) : nullptr;
  if (decoder == nullptr) {
    delete[] data;
    return nullptr;
  }
  auto* stream = new Mpg123Stream(data, size, first.offset, decoder, first.rate);
  if (!stream->Restart()) {
    delete stream;
    return nullptr;
  }
  return stream;
}
