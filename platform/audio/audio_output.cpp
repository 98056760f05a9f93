#include "platform/audio/audio_output.h"

#include <cstdlib>

const AudioOutput* activeAudioOutput = nullptr;

namespace {

const AudioOutput* forcedOutput = nullptr;

bool OpenHeadless(int) { return true; }
void Nothing() {}

const AudioOutput headlessOutput = {"headless", OpenHeadless, Nothing, Nothing, Nothing, Nothing};

}  // namespace

const AudioOutput* HeadlessAudioOutput() { return &headlessOutput; }

const AudioOutput* ChooseAudioOutput() {
  if (forcedOutput != nullptr) return forcedOutput;
  const char* wavPath = std::getenv("VESPERGLEN_AUDIO_OUT");
  if (wavPath != nullptr && wavPath[0] != '\0') return WavFileAudioOutput();
  return DeviceAudioOutput();
}

void ForceAudioOutput(const AudioOutput* output) { forcedOutput = output; }

void CatchUpAudioOutput() {
  if (activeAudioOutput != nullptr) activeAudioOutput->catchUp();
}
