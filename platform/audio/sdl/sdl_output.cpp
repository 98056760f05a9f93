// The sound device on Linux: SDL2 audio, float stereo, pulling the mix from SDL's audio thread.
#include <SDL.h>

#include <cstring>

#include "platform/audio/audio_output.h"
#include "platform/audio/mixer.h"

namespace {

SDL_AudioDeviceID device = 0;
bool startedSubsystem = false;

void SDLCALL FillBuffer(void*, Uint8* stream, int length) {
  MixAudio(reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

// The dummy and disk drivers play to nobody; the saver is meant to run on silently then.
bool IsRealDriver(const char* driver) {
  return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "disk") != 0;
}

void QuitSubsystem() {
  if (startedSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  startedSubsystem = false;
}

bool Open(int rate) {
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    startedSubsystem = true;
  }
  if (!IsRealDriver(SDL_GetCurrentAudioDriver())) {
    QuitSubsystem();
    return false;
  }
  SDL_AudioSpec wanted;
  SDL_zero(wanted);
  wanted.freq = rate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = FillBuffer;
  SDL_AudioSpec obtained;
  // SDL converts to whatever the hardware takes, so the mixer always sees float stereo.
  device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) QuitSubsystem();
  return device != 0;
}

void Start() { SDL_PauseAudioDevice(device, 0); }

void Stop() { SDL_PauseAudioDevice(device, 1); }

void Close() {
  if (device != 0) SDL_CloseAudioDevice(device);
  device = 0;
  QuitSubsystem();
}

void Nothing() {}

const AudioOutput sdlOutput = {"SDL2", Open, Start, Stop, Close, Nothing};

}  // namespace

const AudioOutput* DeviceAudioOutput() { return &sdlOutput; }
