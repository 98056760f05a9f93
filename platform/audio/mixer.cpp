#include "platform/audio/mixer.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/music_source.h"

Mixer mixer;

namespace {

constexpr int kIndexBits = 12;
constexpr DWORD kIndexMask = (1u << kIndexBits) - 1;
constexpr DWORD kSerialMask = (1u << 18) - 1;
constexpr int kMixChunk = 512;

// Linear pan law: the far side fades out, the near side stays at full level.
void PanGains(int pan, float gain, float* left, float* right) {
  *left = gain * std::min(1.0f, 1.0f - pan / 100.0f);
  *right = gain * std::min(1.0f, 1.0f + pan / 100.0f);
}

// Adds one playback to the mix; false once a non-looping playback has run past its end.
bool MixChannel(MixerChannel& channel, float* mix, int frames) {
  const PcmBuffer& pcm = mixer.samples[channel.sample].pcm;
  if (pcm.frameCount == 0) return false;
  float left, right;
  PanGains(channel.pan, channel.volume / 100.0f * mixer.sampleVolume / 100.0f, &left, &right);
  const double step = static_cast<double>(channel.rate) / mixer.outputRate;
  const float* data = pcm.frames.data();
  for (int i = 0; i < frames; ++i) {
    if (channel.position >= pcm.frameCount) {
      if (!channel.loop) return false;
      channel.position -= pcm.frameCount;
    }
    const int index = static_cast<int>(channel.position);
    const float fraction = static_cast<float>(channel.position - index);
    int next = index + 1;
    float nextWeight = fraction;
    if (next >= pcm.frameCount) {
      next = 0;
      if (!channel.loop) nextWeight = 0;  // silence follows the end
    }
    const float a = 1.0f - fraction;
    mix[2 * i] += left * (data[2 * index] * a + data[2 * next] * nextWeight);
    mix[2 * i + 1] += right * (data[2 * index + 1] * a + data[2 * next + 1] * nextWeight);
    channel.position += step;
  }
  return true;
}

int MusicGlobalVolume(const MixerMusic& music) {
  return music.isModule ? mixer.musicVolume : mixer.streamVolume;
}

void MixMusic(MixerMusic& music, float* mix, int frames) {
  float rendered[2 * kMixChunk];
  const int rate = music.rate > 0 ? music.rate : mixer.outputRate;
  // A changed frequency plays the source faster or slower, as with a sample.
  const int sourceRate = static_cast<int>(static_cast<long long>(mixer.outputRate) *
                                          mixer.outputRate / rate);
  const int got = music.source->Render(rendered, frames, sourceRate);
  SilenceNonFinite(rendered, 2 * static_cast<size_t>(std::max(got, 0)));
  float gain = music.volume / 100.0f * MusicGlobalVolume(music) / 100.0f;
  if (music.isModule) gain *= music.amplify / 50.0f;
  float left, right;
  PanGains(music.pan, gain, &left, &right);
  for (int i = 0; i < got; ++i) {
    mix[2 * i] += left * rendered[2 * i];
    mix[2 * i + 1] += right * rendered[2 * i + 1];
  }
  if (got < frames) {
    music.playing = false;
    music.finished = true;
  }
}

void MixChunk(float* out, int frames) {
  std::fill(out, out + 2 * frames, 0.0f);
  for (MixerChannel& channel : mixer.channels) {
    if (channel.handle != 0 && !MixChannel(channel, out, frames)) channel.handle = 0;
  }
  for (MixerMusic& music : mixer.musics) {
    if (music.handle != 0 && music.playing && music.source != nullptr) MixMusic(music, out, frames);
  }
  for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

}  // namespace

void SilenceNonFinite(float* values, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) values[i] = 0.0f;
  }
}

DWORD MakeHandle(HandleKind kind, int index) {
  mixer.serial = (mixer.serial + 1) & kSerialMask;
  return (static_cast<DWORD>(kind) << 30) | (mixer.serial << kIndexBits) |
         static_cast<DWORD>(index);
}

HandleKind KindOfHandle(DWORD handle) { return static_cast<HandleKind>(handle >> 30); }

int IndexOfHandle(DWORD handle) { return static_cast<int>(handle & kIndexMask); }

template <typename Slot, int count>
static Slot* FindSlot(Slot (&table)[count], DWORD handle, HandleKind kind) {
  if (handle == 0 || KindOfHandle(handle) != kind) return nullptr;
  const int index = IndexOfHandle(handle);
  if (index >= count || table[index].handle != handle) return nullptr;
  return &table[index];
}

MixerSample* FindSample(DWORD handle) {
  return FindSlot(mixer.samples, handle, HandleKind::Sample);
}

MixerChannel* FindChannel(DWORD handle) {
  return FindSlot(mixer.channels, handle, HandleKind::Channel);
}

MixerMusic* FindMusic(DWORD handle) { return FindSlot(mixer.musics, handle, HandleKind::Music); }

void MixAudio(float* out, int frames) {
  MixerLock lock;
  while (frames > 0) {
    const int chunk = std::min(frames, kMixChunk);
    MixChunk(out, chunk);
    out += 2 * chunk;
    frames -= chunk;
  }
}

void ResetMixer() {
  MixerLock lock;
  for (MixerSample& sample : mixer.samples) sample = MixerSample();
  for (MixerChannel& channel : mixer.channels) channel = MixerChannel();
  for (MixerMusic& music : mixer.musics) {
    delete music.source;
    music = MixerMusic();
  }
  mixer.initialized = false;
  mixer.started = false;
  mixer.musicVolume = mixer.sampleVolume = mixer.streamVolume = 100;
}
