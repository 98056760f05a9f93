// Sources that render music for the mixer: file streams decoded as they play, and module music.
// A source renders stereo float frames at whatever rate the mixer asks for.
#pragma once
#include <cstddef>
#include <vector>

struct Mp3Frame;
struct PcmBuffer;

// Sound files that claim more samples a second are refused: a stream decodes every native sample
// it resamples, so a forged rate would keep the sound thread decoding for minutes per second.
constexpr int kMaxSampleRate = 1000000;

class MusicSource {
 public:
  virtual ~MusicSource() = default;
  // Renders up to `frames` frames at `rate`; fewer only when a source that does not loop ends.
  virtual int Render(float* out, int frames, int rate) = 0;
  virtual void SetLooping(bool loop) = 0;
  // Back to the start (streams) or to an order and row (modules); false when out of range.
  virtual bool Seek(int order, int row) = 0;
  // Music: order in the low word, row in the high word. Streams: frames played.
  virtual unsigned Position() const = 0;
};

// Decoded streams: pulls native frames from a decoder and resamples them linearly; loops without a
// gap by rewinding the decoder as soon as it runs dry.
class DecodedStream : public MusicSource {
 public:
  int Render(float* out, int frames, int rate) override;
  void SetLooping(bool loop) override { looping = loop; }
  bool Seek(int order, int row) override;
  unsigned Position() const override { return static_cast<unsigned>(framesPlayed); }

 protected:
  explicit DecodedStream(int nativeRate) : nativeRate(nativeRate) {}
  // Decodes up to `frames` stereo frames; 0 at the end of the data.
  virtual int Decode(float* out, int frames) = 0;
  virtual void Rewind() = 0;

 private:
  bool Refill();

  int nativeRate;
  bool looping = false;
  bool ended = false;
  bool endPadded = false;
  std::vector<float> buffer;  // native stereo frames; the read position lies inside
  int bufferFrames = 0;
  double position = 0;
  double framesPlayed = 0;
};

// Ogg Vorbis, WAV and MP3, told apart by their first bytes.
// Takes ownership of `data` (allocated with new[]). nullptr when the format is not known.
MusicSource* OpenStreamSource(unsigned char* data, size_t size);
// MP3 from its first frame on; per platform. Takes ownership of `data`; nullptr when no decoder
// takes it.
MusicSource* OpenMp3Source(unsigned char* data, size_t size, const Mp3Frame& first);
// Module music; per platform. nullptr when the data is no module or the build has no module library.
MusicSource* OpenModuleSource(const unsigned char* data, size_t size);

// Whole-file decoding for samples: Ogg Vorbis or WAV into stereo float frames.
bool DecodeAudioFile(const unsigned char* data, size_t size, PcmBuffer* out);
// Reads a file, or the part [offset, offset + length) of it (length 0: to the end), into a new[]
// buffer. Backslashes in the name are tried as slashes too, for names written the Windows way.
unsigned char* ReadAudioFile(const char* name, size_t offset, size_t length, size_t* size);
