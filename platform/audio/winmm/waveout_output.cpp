// The sound device on Windows: winmm waveOut, 16-bit stereo PCM. A feeder thread refills each
// buffer the device hands back (the device signals an event), since the waveOut callback itself
// may not call waveOutWrite.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>

#include "platform/audio/audio_output.h"
#include "platform/audio/mixer.h"

namespace {

constexpr int kBufferCount = 4;
constexpr int kBufferFrames = 2048;

struct WaveOutState {
  HWAVEOUT device = nullptr;
  HANDLE doneEvent = nullptr;
  HANDLE feeder = nullptr;
  volatile LONG quitting = 0;
  WAVEHDR headers[kBufferCount] = {};
  int16_t pcm[kBufferCount][2 * kBufferFrames] = {};
  float mix[2 * kBufferFrames] = {};
};

WaveOutState waveOut;

void FillAndQueue(WAVEHDR& header, int16_t* pcm) {
  MixAudio(waveOut.mix, kBufferFrames);
  for (int i = 0; i < 2 * kBufferFrames; ++i) {
    pcm[i] = static_cast<int16_t>(waveOut.mix[i] * 32767.0f);
  }
  header.dwFlags &= ~WHDR_DONE;
  waveOutWrite(waveOut.device, &header, sizeof header);
}

DWORD WINAPI FeedDevice(LPVOID) {
  while (WaitForSingleObject(waveOut.doneEvent, INFINITE) == WAIT_OBJECT_0 && !waveOut.quitting) {
    for (int i = 0; i < kBufferCount; ++i) {
      if (waveOut.headers[i].dwFlags & WHDR_DONE) FillAndQueue(waveOut.headers[i], waveOut.pcm[i]);
    }
  }
  return 0;
}

bool Open(int rate) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  waveOut.doneEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (waveOut.doneEvent == nullptr) return false;
  if (waveOutOpen(&waveOut.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(waveOut.doneEvent),
                  0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    CloseHandle(waveOut.doneEvent);
    waveOut.doneEvent = nullptr;
    return false;
  }
  // Paused until BASS_Start; the buffers are queued now so the device has them at once.
  waveOutPause(waveOut.device);
  for (int i = 0; i < kBufferCount; ++i) {
    WAVEHDR& header = waveOut.headers[i];
    header = WAVEHDR();
    header.lpData = reinterpret_cast<LPSTR>(waveOut.pcm[i]);
    header.dwBufferLength = sizeof waveOut.pcm[i];
    waveOutPrepareHeader(waveOut.device, &header, sizeof header);
    FillAndQueue(header, waveOut.pcm[i]);
  }
  waveOut.quitting = 0;
  waveOut.feeder = CreateThread(nullptr, 0, FeedDevice, nullptr, 0, nullptr);
  return true;
}

void Start() {
  if (waveOut.device != nullptr) waveOutRestart(waveOut.device);
}

void Stop() {
  if (waveOut.device != nullptr) waveOutPause(waveOut.device);
}

void Close() {
  if (waveOut.device == nullptr) return;
  InterlockedExchange(&waveOut.quitting, 1);
  SetEvent(waveOut.doneEvent);
  if (waveOut.feeder != nullptr) {
    WaitForSingleObject(waveOut.feeder, INFINITE);
    CloseHandle(waveOut.feeder);
  }
  waveOutReset(waveOut.device);
  for (WAVEHDR& header : waveOut.headers) {
    waveOutUnprepareHeader(waveOut.device, &header, sizeof header);
  }
  waveOutClose(waveOut.device);
  CloseHandle(waveOut.doneEvent);
  waveOut.device = nullptr;
  waveOut.doneEvent = nullptr;
  waveOut.feeder = nullptr;
}

void Nothing() {}

const AudioOutput waveOutOutput = {"waveOut", Open, Start, Stop, Close, Nothing};

}  // namespace

const AudioOutput* DeviceAudioOutput() { return &waveOutOutput; }
