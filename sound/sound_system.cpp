#include "sound/sound_system.h"

#include <io.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/random.h"
#include "app/settings.h"
#include "scene/levels.h"

SoundSample soundSamples[kMaxSoundSamples];
int sampleCount = 0;
PlayRequest playRequests[kPlayRequestCount];
int playRequestIndex = 0;

DWORD musicHandle = 0;
bool musicIsModule = false;
int musicPosition = -1;
int musicVolume = 0;
int sampleVolume = 0;

int32_t ambientClock = 0;
int32_t birdIndex = 0;

namespace {

constexpr DWORD kOutputRate = 44100;
constexpr DWORD kInitFlags = 32;
constexpr int kSamplePlaybacks = 255;
constexpr DWORD kMusicAmplify = 80;
constexpr int kMusicPlayFlags =
    BASS_MUSIC_RAMPS | BASS_MUSIC_LOOP | BASS_MUSIC_FT2MOD | BASS_MUSIC_SURROUND;  // 534
constexpr int32_t kRequestFrequency = 44100;

struct MusicKindRule {
  const char* extension;
  bool isModule;
};

// Checked in this order; a later match overrides an earlier one.
constexpr MusicKindRule kMusicKindRules[] = {
    {".mp3", false}, {".ogg", false}, {".mo3", true}, {".xm", true}, {".it", true}};

struct AmbientRule {
  int kind;
  int32_t period;  // ms
  int32_t half;    // a one-shot is due when the clock crosses the end of a period
};

constexpr AmbientRule kAmbientRules[] = {
    {kAmbientBirds, 6200, 3100}, {kAmbientBrook, 3100, 1550}, {kAmbientWaterfall, 3000, 1500}};

// A multiple of every period: taking it off the clock changes no due time, and keeps a run of
// weeks from overflowing the 32-bit clock. The clock stays above it, so it never reads 0 again.
constexpr int64_t kAmbientWrapMs = 93000LL * 10000;

void LoadSample(const char* fileName) {
  SoundSample& sample = soundSamples[sampleCount];
  // A longer listed name keeps its first characters; the sounds asked for by name are short.
  std::snprintf(sample.name, sizeof sample.name, "%.*s", int(sizeof sample.name - 1), fileName);
  sample.cooldown = 0;
  sample.handle = BASS_SampleLoad(FALSE, fileName, 0, 0, kSamplePlaybacks, 0);
  ++sampleCount;
}

void LoadSampleFolder() {
  _finddata_t found;
  const intptr_t search = _findfirst("*.ogg", &found);
  if (search == -1) return;
  do {
    if (sampleCount >= kMaxSoundSamples) break;
    LoadSample(found.name);
  } while (_findnext(search, &found) == 0);
  _findclose(search);
}

void OpenMusic() {
  musicIsModule = IsModuleMusicName(musicName);
  if (musicIsModule) {
    musicHandle = BASS_MusicLoad(FALSE, musicName, 0, 0, BASS_MUSIC_LOOP);
    BASS_MusicSetAmplify(musicHandle, kMusicAmplify);
  } else {
    musicHandle = BASS_StreamCreateFile(FALSE, musicName, 0, 0, BASS_SAMPLE_LOOP);
  }
}

// Moves playRequestIndex past playing slots; false when every slot plays.
bool FindRequestSlot() {
  for (int tried = 0; tried < kPlayRequestCount; ++tried) {
    if (playRequests[playRequestIndex].state != kRequestPlaying) return true;
    playRequestIndex = (playRequestIndex + 1) % kPlayRequestCount;
  }
  return false;
}

void QueueSample(SoundSample& sample) {
  if (!FindRequestSlot() || sample.cooldown > 0) return;
  sample.cooldown = kSoundCooldownMs;
  PlayRequest& request = playRequests[playRequestIndex];
  request.state = kRequestWaiting;
  request.sample = sample.handle;
  request.position[0] = request.position[1] = request.position[2] = 0;
  request.loop = 0;
  request.frequency = kRequestFrequency;
  playRequestIndex = (playRequestIndex + 1) % kPlayRequestCount;
}

void UpdateRequest(PlayRequest& request) {
  if (request.state == kRequestWaiting) {
    request.channel =
        BASS_SamplePlayEx(request.sample, 0, request.frequency, -1, -101, request.loop);
    request.state = kRequestPlaying;
  } else if (request.state == kRequestPlaying) {
    request.state = static_cast<int32_t>(BASS_ChannelIsActive(request.channel));
  }
}

const AmbientRule* AmbientRuleOfScene(int scene) {
  if (scene < 0 || scene >= static_cast<int>(sizeof extendedSettings.ambientKind)) return nullptr;
  for (const AmbientRule& rule : kAmbientRules) {
    if (rule.kind == extendedSettings.ambientKind[scene]) return &rule;
  }
  return nullptr;
}

// The first frame runs with a delta of 0 and leaves the clock at 0; the start counts once, when
// the clock first moves, so two different birds never open a scene together.
bool AmbientDue(const AmbientRule& rule, int64_t clock, int64_t delta) {
  return (clock == 0 && delta > 0) ||
         (clock % rule.period >= rule.half && (clock + delta) % rule.period < rule.half);
}

void PlayAmbient(const AmbientRule& rule) {
  if (rule.kind == kAmbientBirds) {
    char name[kSoundNameSize];
    std::snprintf(name, sizeof name, "birds%i.ogg", static_cast<int>(birdIndex % 3 + 1));
    PlaySound(name);
    // A step of 1 or 2 modulo 3 always picks another bird.
    birdIndex += 1 + RandomInt(2);
  } else if (rule.kind == kAmbientBrook) {
    PlaySound("brook.ogg");
  } else {
    PlaySound("waterfall.ogg");
  }
}

}  // namespace

bool IsModuleMusicName(const char* name) {
  bool isModule = false;
  for (const MusicKindRule& rule : kMusicKindRules) {
    const char* match = StrStrIA(name, rule.extension);
    // A name that is nothing but the extension names no music file of that kind.
    if (match != nullptr && match != name) isModule = rule.isModule;
  }
  return isModule;
}

bool InitSound() {
  musicVolume = sampleVolume = settings.volume;
  if (!BASS_Init(-1, kOutputRate, kInitFlags, saverWindow)) return false;
  BASS_Start();
  for (PlayRequest& request : playRequests) request.state = kRequestFree;
  BASS_SetGlobalVolumes(musicVolume, sampleVolume, -1);
  return true;
}

void LoadSounds() {
  // Without a "Sounds" folder the Data folder itself would be listed; there are no samples then.
  if (SetCurrentDirectoryA("Sounds")) LoadSampleFolder();
  SetCurrentDirectoryA(dataDir);
  OpenMusic();
}

void StartMusic(int position) {
  if (!musicIsModule || position == musicPosition) return;
  musicPosition = position;
  BASS_ChannelSetAttributes(musicHandle, -1, 100, -101);
  BASS_MusicPlayEx(musicHandle, static_cast<DWORD>(position), kMusicPlayFlags, TRUE);
}

void PlaySound(const char* name) {
  for (int i = 0; i < sampleCount; ++i) {
    if (std::strcmp(soundSamples[i].name, name) == 0) QueueSample(soundSamples[i]);
  }
}

void UpdateSound() {
  for (int i = 0; i < sampleCount; ++i) {
    if (soundSamples[i].cooldown > 0) soundSamples[i].cooldown -= frameDelta;
  }
  for (PlayRequest& request : playRequests) UpdateRequest(request);
  if (!musicIsModule) {
    BASS_ChannelSetAttributes(musicHandle, -1, musicVolume, -101);
    BASS_StreamPlay(musicHandle, FALSE, BASS_SAMPLE_LOOP);
  }
}

void UpdateAmbientSounds() {
  if (!settings.sounds) return;
  const int64_t clock = ambientClock;
  const int64_t delta = frameDeltaMs;
  const AmbientRule* rule = AmbientRuleOfScene(nextScene);
  if (rule != nullptr && AmbientDue(*rule, clock, delta)) PlayAmbient(*rule);
  int64_t next = clock + delta;
  if (next >= 2 * kAmbientWrapMs) next = kAmbientWrapMs + next % kAmbientWrapMs;
  ambientClock = static_cast<int32_t>(next);
}

void ShutdownSound() {
  BASS_Stop();
  BASS_Free();
}
