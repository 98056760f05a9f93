// The sound system: every ".ogg" of the "Sounds" folder as a sample, one piece of music (a stream
// or module music), one-shot play requests started once per frame, and the ambient one-shots of
// the scene on show. All of it goes through the BASS calls; results are not examined, so with no
// sound device everything runs on silently.
#pragma once
#include <windows.h>
#include <cstdint>

#include "bass.h"

// <windows.h> maps PlaySound to the winmm call; here it is the sound system's own.
#undef PlaySound

constexpr int kMaxSoundSamples = 256;
constexpr int kPlayRequestCount = 256;
constexpr int kSoundNameSize = 32;
// A sample is not started twice within this many milliseconds.
constexpr float kSoundCooldownMs = 5.0f;

struct SoundSample {
  HSAMPLE handle;
  char name[kSoundNameSize];  // as the folder listing gave it
  float cooldown;             // milliseconds
};

// state: kRequestWaiting to be started, kRequestPlaying, anything else free.
constexpr int32_t kRequestWaiting = -1;
constexpr int32_t kRequestPlaying = 1;
constexpr int32_t kRequestFree = 0;

struct PlayRequest {
  int32_t state;
  HCHANNEL channel;
  HSAMPLE sample;
  float position[3];
  uint8_t loop;
  int32_t frequency;
};

enum AmbientKind { kAmbientNone = 0, kAmbientBirds = 1, kAmbientBrook = 2, kAmbientWaterfall = 3 };

extern SoundSample soundSamples[kMaxSoundSamples];
extern int sampleCount;
extern PlayRequest playRequests[kPlayRequestCount];
extern int playRequestIndex;  // the slot the next request tries first

extern DWORD musicHandle;
extern bool musicIsModule;
extern int musicPosition;  // module order last started; -1 before the first
extern int musicVolume;    // 0..100, taken from settings.volume by InitSound
extern int sampleVolume;

extern int32_t ambientClock;  // milliseconds the ambient schedule has run
extern int32_t birdIndex;

// Opens the output; false (and nothing else done) when there is no sound device.
bool InitSound();
// Loads the samples of the "Sounds" folder and opens the music named by musicName.
void LoadSounds();
// Module music only: plays from `position` unless that is the order last started.
void StartMusic(int position);
// Queues one playback of every sample called `name` (exact, case-sensitive).
void PlaySound(const char* name);
// Once per frame: starts queued playbacks, frees finished ones, keeps stream music playing.
void UpdateSound();
// Once per frame, before UpdateSound: the birds, brook or waterfall of the current scene.
void UpdateAmbientSounds();
void ShutdownSound();

// True when musicName names module music; false for a stream.
bool IsModuleMusicName(const char* name);
