// MP3 streams in the Windows build through the system's MPEG Layer-3 ACM codec (msacm32), which
// every Windows install has. The file is handed to the codec a chunk at a time from its first
// frame on; the codec keeps what it could not use and asks for it again.
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio/mp3_frames.h"
#include "platform/audio/music_source.h"

namespace {

constexpr DWORD kInputChunk = 8 * 1024;
constexpr WORD kCodecDelay = 1393;  // samples the Layer-3 codec holds back; its usual figure

void SayOnceNoCodec() {
  static bool told = false;
  if (told) return;
  std::fprintf(stderr, "No MP3 codec is installed (ACM MPEG Layer-3); the music stays silent.\n");
  told = true;
}

class AcmMp3Stream : public DecodedStream {
 public:
  AcmMp3Stream(unsigned char* file, size_t size, const Mp3Frame& first)
      : DecodedStream(first.rate), file(file), size(size), first(first) {}
  ~AcmMp3Stream() override {
    Close();
    delete[] file;
  }

  bool Open() {
    MPEGLAYER3WAVEFORMAT mp3 = {};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(first.channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(first.rate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrate / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = static_cast<WORD>(first.length);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = kCodecDelay;
    WAVEFORMATEX pcm = {};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = static_cast<WORD>(first.channels);
    pcm.nSamplesPerSec = static_cast<DWORD>(first.rate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(2 * first.channels);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    if (acmStreamOpen(&stream, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0) != 0) {
      stream = nullptr;
      return false;
    }
    DWORD outputBytes = 0;
    if (acmStreamSize(stream, kInputChunk, &outputBytes, ACM_STREAMSIZEF_SOURCE) != 0) {
      outputBytes = 0;
    }
    // Room for all that one chunk holds at the lowest bit rate (96 bytes out per byte in),
    // whatever the codec says.
    output.resize(std::max<size_t>(2 * outputBytes, 128 * kInputChunk));
    cursor = first.offset;
    starting = true;
    drained = false;
    pending.clear();
    pendingRead = 0;
    return true;
  }

 protected:
  int Decode(float* out, int frames) override {
    const size_t channels = static_cast<size_t>(first.channels);
    int done = 0;
    while (done < frames) {
      if (pendingRead >= pending.size()) {
        pending.clear();
        pendingRead = 0;
        if (!ConvertMore()) break;
        continue;
      }
      const size_t available = (pending.size() - pendingRead) / channels;
      const int count = static_cast<int>(std::min<size_t>(available, frames - done));
      for (int i = 0; i < count; ++i) {
        const int16_t* frame = &pending[pendingRead + channels * i];
        out[2 * (done + i)] = frame[0] / 32768.0f;
        out[2 * (done + i) + 1] = frame[channels - 1] / 32768.0f;
      }
      pendingRead += channels * count;
      done += count;
    }
    return done;
  }

  // The codec's own state is dropped with the stream, so a loop starts as cleanly as the file.
  void Rewind() override {
    Close();
    Open();
  }

 private:
  // One call of the codec; false once it has nothing more to give.
  bool ConvertMore() {
    if (stream == nullptr || drained) return false;
    const DWORD length = static_cast<DWORD>(std::min<size_t>(size - cursor, kInputChunk));
    const bool last = cursor + length >= size;
    ACMSTREAMHEADER header = {};
    header.cbStruct = sizeof(header);
    header.pbSrc = file + cursor;
    header.cbSrcLength = length;
    header.pbDst = output.data();
    header.cbDstLength = static_cast<DWORD>(output.size());
    if (acmStreamPrepareHeader(stream, &header, 0) != 0) return false;
    const DWORD flags = (starting ? ACM_STREAMCONVERTF_START : 0) |
                        (last ? ACM_STREAMCONVERTF_END : 0);
    const MMRESULT result = acmStreamConvert(stream, &header, flags);
    acmStreamUnprepareHeader(stream, &header, 0);
    if (result != 0) return false;
    starting = false;
    const DWORD used = std::min(header.cbSrcLengthUsed, length);
    const DWORD produced = std::min(header.cbDstLengthUsed, header.cbDstLength);
    cursor += used;
    // Nothing taken and nothing given: the rest is no use to the codec.
    if (used == 0 && produced == 0) drained = true;
    const size_t samples = produced / sizeof(int16_t);
    pending.resize(samples);
    if (samples > 0) std::memcpy(pending.data(), output.data(), samples * sizeof(int16_t));
    return true;
  }

  void Close() {
    if (stream != nullptr) acmStreamClose(stream, 0);
    stream = nullptr;
  }

  unsigned char* file;
  size_t size;
  Mp3Frame first;
  HACMSTREAM stream = nullptr;
  size_t cursor = 0;  // next byte for the codec
  bool starting = true;
  bool drained = false;
  std::vector<unsigned char> output;  // the codec's output buffer
  std::vector<int16_t> pending;       // decoded samples not yet handed out, interleaved
  size_t pendingRead = 0;
};

}  // namespace

MusicSource* OpenMp3Source(unsigned char* data, size_t size, const Mp3Frame& first) {
  auto* stream = new AcmMp3Stream(data, size, first);
  if (!stream->Open()) {
    SayOnceNoCodec();
    delete stream;
    return nullptr;
  }
  return stream;
}
