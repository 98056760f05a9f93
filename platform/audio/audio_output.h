// Where the mix goes. An output fills one record of entry points; the audio layer picks one at
// BASS_Init: the WAV file when VESPERGLEN_AUDIO_OUT names one, else the platform's device.
// Device outputs pull MixAudio on their own thread; the others are pumped by CatchUpAudioOutput,
// which every BASS call makes first, so each change lands at its moment in the output.
#pragma once

struct AudioOutput {
  const char* name;
  bool (*open)(int rate);  // false: nothing to play on
  void (*start)();
  void (*stop)();
  void (*close)();
  void (*catchUp)();  // mixes up to the current time; device outputs leave it as a no-op
};

// The platform's sound device (SDL2 on Linux, waveOut on Windows).
const AudioOutput* DeviceAudioOutput();
// Writes 16-bit stereo PCM to the file named by VESPERGLEN_AUDIO_OUT, as much as timeGetTime has
// advanced since BASS_Start (the virtual clock of a recorded run).
const AudioOutput* WavFileAudioOutput();
// Opens and never mixes by itself: whoever holds it calls MixAudio.
const AudioOutput* HeadlessAudioOutput();

// The output BASS_Init will use; `forced` set by the hook below wins.
const AudioOutput* ChooseAudioOutput();
// For tests: makes BASS_Init use `output` (nullptr: the usual choice again).
void ForceAudioOutput(const AudioOutput* output);
// The output opened by BASS_Init, or nullptr.
extern const AudioOutput* activeAudioOutput;
void CatchUpAudioOutput();

// For tests of the WAV output: the file and the clock it follows instead of the environment's.
void ConfigureWavFileOutput(const char* path, unsigned (*clock)());
