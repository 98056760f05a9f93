// The BASS calls over the mixer. Each call first lets a clock-driven output catch up, so what it
// changes is heard from its own moment on.
#include <algorithm>

#include "bass.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/mixer.h"
#include "platform/audio/music_source.h"

namespace {

int lastError = BASS_OK;

BOOL Fail(int code) {
  lastError = code;
  return FALSE;
}

DWORD FailHandle(int code) {
  lastError = code;
  return 0;
}

BOOL Succeed() {
  lastError = BASS_OK;
  return TRUE;
}

// Out-of-range settings (a hand-edited registry volume, say) are clamped rather than refused.
int ClampOrKeep(int value, int unchanged, int low, int high, int current) {
  return value == unchanged ? current : std::clamp(value, low, high);
}

// The file's bytes in a buffer of our own: the caller's memory, or the file (part) from disk.
unsigned char* LoadFileBytes(BOOL memory, const void* file, DWORD offset, DWORD length,
                             size_t* size) {
  if (!memory) return ReadAudioFile(static_cast<const char*>(file), offset, length, size);
  if (length == 0) return nullptr;
  unsigned char* copy = new unsigned char[length];
  std::copy_n(static_cast<const unsigned char*>(file) + offset, length, copy);
  *size = length;
  return copy;
}

template <typename Slot, int count>
int FreeSlot(Slot (&table)[count]) {
  for (int i = 0; i < count; ++i) {
    if (table[i].handle == 0) return i;
  }
  return -1;
}

int PlaybacksOf(int sample) {
  int playing = 0;
  for (const MixerChannel& channel : mixer.channels) {
    if (channel.handle != 0 && channel.sample == sample) ++playing;
  }
  return playing;
}

// Takes ownership of `source`.
DWORD AddMusic(MusicSource* source, bool isModule, DWORD flags) {
  MixerLock lock;
  const int slot = FreeSlot(mixer.musics);
  if (slot < 0) {
    delete source;
    return FailHandle(BASS_ERROR_MEM);
  }
  MixerMusic& music = mixer.musics[slot];
  music = MixerMusic();
  music.source = source;
  music.isModule = isModule;
  music.loop = (flags & BASS_SAMPLE_LOOP) != 0;
  source->SetLooping(music.loop);
  music.handle = MakeHandle(HandleKind::Music, slot);
  lastError = BASS_OK;
  return music.handle;
}

MixerMusic* FindMusicOfKind(DWORD handle, bool isModule) {
  MixerMusic* music = FindMusic(handle);
  return music != nullptr && music->isModule == isModule ? music : nullptr;
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND) {
  if (mixer.initialized) return Fail(BASS_ERROR_ALREADY);
  if (device < -1 || device > 1) return Fail(BASS_ERROR_DEVICE);
  if (freq < 1000 || freq > 192000) return Fail(BASS_ERROR_ILLPARAM);
  // Device 0 is the library's "no sound" device: every call works, nothing is heard.
  const AudioOutput* output = device == 0 ? HeadlessAudioOutput() : ChooseAudioOutput();
  if (!output->open(static_cast<int>(freq))) return Fail(BASS_ERROR_DEVICE);
  {
    MixerLock lock;
    mixer.initialized = true;
    mixer.outputRate = static_cast<int>(freq);
  }
  activeAudioOutput = output;
  return Succeed();
}

BOOL BASS_Start(void) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  activeAudioOutput->start();
  mixer.started = true;
  return Succeed();
}

BOOL BASS_Stop(void) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  activeAudioOutput->stop();
  mixer.started = false;
  return Succeed();
}

BOOL BASS_Free(void) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  // Closed before the tables go, and outside the lock: a device thread may be inside MixAudio.
  activeAudioOutput->close();
  activeAudioOutput = nullptr;
  ResetMixer();
  return Succeed();
}

int BASS_ErrorGetCode(void) { return lastError; }

BOOL BASS_SetGlobalVolumes(int musicVolume, int sampleVolume, int streamVolume) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  mixer.musicVolume = ClampOrKeep(musicVolume, -1, 0, 100, mixer.musicVolume);
  mixer.sampleVolume = ClampOrKeep(sampleVolume, -1, 0, 100, mixer.sampleVolume);
  mixer.streamVolume = ClampOrKeep(streamVolume, -1, 0, 100, mixer.streamVolume);
  return Succeed();
}

HSAMPLE BASS_SampleLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD max,
                        DWORD) {
  if (!mixer.initialized) return FailHandle(BASS_ERROR_INIT);
  if (file == nullptr || max == 0 || max > 65535) return FailHandle(BASS_ERROR_ILLPARAM);
  size_t size = 0;
  unsigned char* data = LoadFileBytes(memory, file, offset, length, &size);
  if (data == nullptr) return FailHandle(BASS_ERROR_FILEOPEN);
  PcmBuffer pcm;
  const bool decoded = DecodeAudioFile(data, size, &pcm);
  delete[] data;
  if (!decoded) return FailHandle(BASS_ERROR_FORMAT);
  SilenceNonFinite(pcm.frames.data(), pcm.frames.size());
  CatchUpAudioOutput();
  MixerLock lock;
  const int slot = FreeSlot(mixer.samples);
  if (slot < 0) return FailHandle(BASS_ERROR_MEM);
  MixerSample& sample = mixer.samples[slot];
  sample.pcm = std::move(pcm);
  sample.maxPlaybacks = static_cast<int>(max);
  sample.handle = MakeHandle(HandleKind::Sample, slot);
  lastError = BASS_OK;
  return sample.handle;
}

HCHANNEL BASS_SamplePlayEx(HSAMPLE handle, DWORD start, int freq, int volume, int pan,
                           BOOL loop) {
  if (!mixer.initialized) return FailHandle(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  MixerSample* sample = FindSample(handle);
  if (sample == nullptr) return FailHandle(BASS_ERROR_HANDLE);
  const int sampleIndex = static_cast<int>(sample - mixer.samples);
  const int slot = FreeSlot(mixer.channels);
  if (slot < 0 || PlaybacksOf(sampleIndex) >= sample->maxPlaybacks) {
    return FailHandle(BASS_ERROR_NOCHAN);
  }
  if (start / 4 >= static_cast<DWORD>(sample->pcm.frameCount)) return FailHandle(BASS_ERROR_POSITION);
  MixerChannel& channel = mixer.channels[slot];
  channel.sample = sampleIndex;
  channel.position = start / 4;
  channel.rate = freq <= 0 ? sample->pcm.rate : std::clamp(freq, 100, 192000);
  channel.volume = ClampOrKeep(volume, -1, 0, 100, 100);
  channel.pan = ClampOrKeep(pan, -101, -100, 100, 0);
  channel.loop = loop != FALSE;
  channel.handle = MakeHandle(HandleKind::Channel, slot);
  lastError = BASS_OK;
  return channel.handle;
}

HSTREAM BASS_StreamCreateFile(BOOL memory, const void* file, DWORD offset, DWORD length,
                              DWORD flags) {
  if (!mixer.initialized) return FailHandle(BASS_ERROR_INIT);
  if (file == nullptr) return FailHandle(BASS_ERROR_ILLPARAM);
  size_t size = 0;
  unsigned char* data = LoadFileBytes(memory, file, offset, length, &size);
  if (data == nullptr) return FailHandle(BASS_ERROR_FILEOPEN);
  MusicSource* source = OpenStreamSource(data, size);
  if (source == nullptr) return FailHandle(BASS_ERROR_FORMAT);
  CatchUpAudioOutput();
  return AddMusic(source, false, flags);
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  MixerMusic* stream = FindMusicOfKind(handle, false);
  if (stream == nullptr) return Fail(BASS_ERROR_HANDLE);
  stream->loop = (flags & BASS_SAMPLE_LOOP) != 0;
  stream->source->SetLooping(stream->loop);
  if (flush || stream->finished) stream->source->Seek(0, 0);
  stream->finished = false;
  stream->playing = true;
  return Succeed();
}

HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags) {
  if (!mixer.initialized) return FailHandle(BASS_ERROR_INIT);
  if (file == nullptr) return FailHandle(BASS_ERROR_ILLPARAM);
  size_t size = 0;
  unsigned char* data = LoadFileBytes(memory, file, offset, length, &size);
  if (data == nullptr) return FailHandle(BASS_ERROR_FILEOPEN);
  MusicSource* source = OpenModuleSource(data, size);
  delete[] data;
  if (source == nullptr) return FailHandle(BASS_ERROR_FORMAT);
  CatchUpAudioOutput();
  return AddMusic(source, true, flags);
}

BOOL BASS_MusicSetAmplify(HMUSIC handle, DWORD amplify) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  MixerMusic* music = FindMusicOfKind(handle, true);
  if (music == nullptr) return Fail(BASS_ERROR_HANDLE);
  music->amplify = static_cast<int>(std::min<DWORD>(amplify, 100));
  return Succeed();
}

BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD position, int flags, BOOL) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  MixerMusic* music = FindMusicOfKind(handle, true);
  if (music == nullptr) return Fail(BASS_ERROR_HANDLE);
  // A jump always starts the notes afresh, so `reset` needs nothing more.
  if (!music->source->Seek(LOWORD(position), HIWORD(position))) return Fail(BASS_ERROR_POSITION);
  music->loop = (flags & BASS_MUSIC_LOOP) != 0;
  music->source->SetLooping(music->loop);
  music->finished = false;
  music->playing = true;
  return Succeed();
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  if (MixerChannel* channel = FindChannel(handle)) {
    const int ownRate = mixer.samples[channel->sample].pcm.rate;
    channel->rate = freq == 0 ? ownRate : ClampOrKeep(freq, -1, 100, 192000, channel->rate);
    channel->volume = ClampOrKeep(volume, -1, 0, 100, channel->volume);
    channel->pan = ClampOrKeep(pan, -101, -100, 100, channel->pan);
    return Succeed();
  }
  if (MixerMusic* music = FindMusic(handle)) {
    music->rate = freq == 0 ? 0 : ClampOrKeep(freq, -1, 100, 192000, music->rate);
    music->volume = ClampOrKeep(volume, -1, 0, 100, music->volume);
    music->pan = ClampOrKeep(pan, -101, -100, 100, music->pan);
    return Succeed();
  }
  return Fail(BASS_ERROR_HANDLE);
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  CatchUpAudioOutput();
  MixerLock lock;
  bool playing = FindChannel(handle) != nullptr;
  if (MixerMusic* music = FindMusic(handle)) playing = music->playing;
  if (!playing) return BASS_ACTIVE_STOPPED;
  return mixer.started ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_PAUSED;
}

BOOL BASS_ChannelStop(DWORD handle) {
  if (!mixer.initialized) return Fail(BASS_ERROR_INIT);
  CatchUpAudioOutput();
  MixerLock lock;
  if (MixerChannel* channel = FindChannel(handle)) {
    channel->handle = 0;
    return Succeed();
  }
  if (MixerMusic* music = FindMusic(handle)) {
    music->playing = false;
    return Succeed();
  }
  return Fail(BASS_ERROR_HANDLE);
}

DWORD BASS_ChannelGetPosition(DWORD handle) {
  if (!mixer.initialized) return FailHandle(BASS_ERROR_INIT) - 1;
  CatchUpAudioOutput();
  MixerLock lock;
  lastError = BASS_OK;
  if (MixerChannel* channel = FindChannel(handle)) return static_cast<DWORD>(channel->position) * 4;
  if (MixerMusic* music = FindMusic(handle)) {
    const unsigned position = music->source->Position();
    return music->isModule ? position : position * 4;
  }
  return FailHandle(BASS_ERROR_HANDLE) - 1;
}
