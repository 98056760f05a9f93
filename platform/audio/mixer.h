// The audio layer's private state: loaded samples, their playbacks, streams and module music, and
// the float mixer that the outputs pull from. The BASS calls (bass_api.cpp) change this state on
// the caller's thread; outputs call MixAudio on theirs. Everything is guarded by the mixer lock.
#pragma once
#include <windows.h>
#include <vector>

class MusicSource;

constexpr int kMaxMixerSamples = 256;
constexpr int kMaxMixerChannels = 2048;
constexpr int kMaxMixerMusics = 16;

// Stereo float frames at the rate they were recorded at.
struct PcmBuffer {
  std::vector<float> frames;  // interleaved left, right
  int frameCount = 0;
  int rate = 0;
};

struct MixerSample {
  DWORD handle = 0;  // 0: free slot
  PcmBuffer pcm;
  int maxPlaybacks = 1;
};

struct MixerChannel {
  DWORD handle = 0;  // 0: free slot
  int sample = 0;    // index into mixer.samples
  double position = 0;  // in sample frames
  int rate = 0;
  int volume = 100;
  int pan = 0;
  bool loop = false;
};

// A stream or a module: both render through their MusicSource.
struct MixerMusic {
  DWORD handle = 0;  // 0: free slot
  MusicSource* source = nullptr;
  bool isModule = false;
  bool playing = false;
  bool finished = false;  // ran past its end without looping
  bool loop = false;
  int volume = 100;
  int pan = 0;
  int amplify = 50;
  int rate = 0;  // 0: the source's own
};

struct Mixer {
  bool initialized = false;
  bool started = false;
  int outputRate = 44100;
  int musicVolume = 100;
  int sampleVolume = 100;
  int streamVolume = 100;
  DWORD serial = 0;
  MixerSample samples[kMaxMixerSamples];
  MixerChannel channels[kMaxMixerChannels];
  MixerMusic musics[kMaxMixerMusics];
};

extern Mixer mixer;

// Per platform (a std::mutex on Linux, a critical section on Windows).
void LockMixer();
void UnlockMixer();

struct MixerLock {
  MixerLock() { LockMixer(); }
  ~MixerLock() { UnlockMixer(); }
  MixerLock(const MixerLock&) = delete;
  MixerLock& operator=(const MixerLock&) = delete;
};

// Handles carry their kind and a serial number, so a handle of a freed slot never matches the
// slot's next occupant.
enum class HandleKind { Sample = 1, Channel = 2, Music = 3 };
DWORD MakeHandle(HandleKind kind, int index);
HandleKind KindOfHandle(DWORD handle);
int IndexOfHandle(DWORD handle);

// Slot lookups under the lock; nullptr when the handle is stale or of another kind.
MixerSample* FindSample(DWORD handle);
MixerChannel* FindChannel(DWORD handle);
MixerMusic* FindMusic(DWORD handle);

// Fills `frames` interleaved stereo frames at the output rate with everything that plays,
// clipped to -1..1. Takes the lock itself.
void MixAudio(float* out, int frames);
// Turns NaN and infinite values into silence: one bad value in a file must not poison the
// whole mix (and, in the 16-bit outputs, convert with undefined behaviour).
void SilenceNonFinite(float* values, size_t count);

// Frees every slot and resets the global volumes (BASS_Free). Takes the lock itself.
void ResetMixer();
