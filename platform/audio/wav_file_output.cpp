// The WAV-file output: hears a run without a sound device, in step with the clock the run keeps.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/audio/audio_output.h"
#include "platform/audio/mixer.h"
#include "platform/audio/wav_format.h"
#include "record.h"

namespace {

struct WavFileState {
  std::string configuredPath;
  unsigned (*clock)() = nullptr;
  std::FILE* file = nullptr;
  int rate = 44100;
  bool running = false;
  unsigned startTime = 0;
  uint64_t framesBefore = 0;  // written before the last BASS_Start
  uint64_t framesWritten = 0;
};

WavFileState wav;

unsigned SystemClock() { return timeGetTime(); }

// Frames that belong in the file by now; the clock wraps at 2^32 ms like timeGetTime.
uint64_t FramesDue() {
  const unsigned elapsed = wav.clock() - wav.startTime;
  return wav.framesBefore + static_cast<uint64_t>(elapsed) * wav.rate / 1000;
}

void WriteFrames(uint64_t count) {
  constexpr int kChunk = 1024;
  float mix[2 * kChunk];
  int16_t pcm[2 * kChunk];
  while (count > 0) {
    const int frames = static_cast<int>(std::min<uint64_t>(count, kChunk));
    MixAudio(mix, frames);
    for (int i = 0; i < 2 * frames; ++i) pcm[i] = static_cast<int16_t>(mix[i] * 32767.0f);
    std::fwrite(pcm, sizeof(int16_t), 2 * static_cast<size_t>(frames), wav.file);
    wav.framesWritten += static_cast<uint64_t>(frames);
    count -= static_cast<uint64_t>(frames);
  }
}

void CatchUp() {
  if (wav.file == nullptr || !wav.running) return;
  const uint64_t due = FramesDue();
  if (due > wav.framesWritten) WriteFrames(due - wav.framesWritten);
}

bool Open(int rate) {
  const char* path = wav.configuredPath.empty() ? std::getenv("VESPERGLEN_AUDIO_OUT")
                                                : wav.configuredPath.c_str();
  if (wav.clock == nullptr) wav.clock = SystemClock;
  if (path == nullptr) return false;
  std::string fullPath = PathFromRunStart(path);
  if ((wav.file = std::fopen(fullPath.c_str(), "wb")) == nullptr) {
    std::fprintf(stderr, "could not write %s\n", fullPath.c_str());
    return false;
  }
  wav.rate = rate;
  wav.running = false;
  wav.framesBefore = wav.framesWritten = 0;
  WriteWavHeader(wav.file, rate, 0);
  return true;
}

void Start() {
  if (wav.running) return;
  wav.startTime = wav.clock();
  wav.framesBefore = wav.framesWritten;
  wav.running = true;
}

void Stop() {
  CatchUp();
  wav.running = false;
}

void Close() {
  if (wav.file == nullptr) return;
  Stop();
  // The sizes are known only now; a run cut short leaves a header that says 0.
  const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(wav.framesWritten, 0x3ffffff0));
  std::fseek(wav.file, 0, SEEK_SET);
  WriteWavHeader(wav.file, wav.rate, frames);
  std::fclose(wav.file);
  wav.file = nullptr;
}

const AudioOutput wavOutput = {"wav file", Open, Start, Stop, Close, CatchUp};

}  // namespace

const AudioOutput* WavFileAudioOutput() { return &wavOutput; }

void ConfigureWavFileOutput(const char* path, unsigned (*clock)()) {
  wav.configuredPath = path != nullptr ? path : "";
  wav.clock = clock != nullptr ? clock : SystemClock;
}
