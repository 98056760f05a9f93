#include "sound/recording_bass.h"

#include "bass.h"

RecordingBass recordingBass;

namespace {

DWORD Record(const char* name, std::vector<long long> args, const void* file = nullptr) {
  BassCall call{name, std::move(args), file != nullptr ? static_cast<const char*>(file) : ""};
  recordingBass.calls.push_back(call);
  return TRUE;
}

DWORD NewHandle() { return recordingBass.nextHandle++; }

}  // namespace

void ResetRecordingBass() { recordingBass = RecordingBass(); }

std::vector<BassCall> CallsNamed(const std::string& name) {
  std::vector<BassCall> found;
  for (const BassCall& call : recordingBass.calls) {
    if (call.name == name) found.push_back(call);
  }
  return found;
}

// Every call the audio layer declares is defined here, so the real ones are never linked in.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window) {
  Record("BASS_Init", {device, freq, flags, reinterpret_cast<long long>(window)});
  return recordingBass.initResult;
}
BOOL BASS_Start(void) { return Record("BASS_Start", {}); }
BOOL BASS_Stop(void) { return Record("BASS_Stop", {}); }
BOOL BASS_Free(void) { return Record("BASS_Free", {}); }
int BASS_ErrorGetCode(void) { return BASS_OK; }
BOOL BASS_SetGlobalVolumes(int music, int sample, int stream) {
  return Record("BASS_SetGlobalVolumes", {music, sample, stream});
}
HSAMPLE BASS_SampleLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD max,
                        DWORD flags) {
  Record("BASS_SampleLoad", {memory, offset, length, max, flags}, file);
  return NewHandle();
}
HCHANNEL BASS_SamplePlayEx(HSAMPLE sample, DWORD start, int freq, int volume, int pan, BOOL loop) {
  Record("BASS_SamplePlayEx", {sample, start, freq, volume, pan, loop});
  return NewHandle();
}
HSTREAM BASS_StreamCreateFile(BOOL memory, const void* file, DWORD offset, DWORD length,
                              DWORD flags) {
  Record("BASS_StreamCreateFile", {memory, offset, length, flags}, file);
  return NewHandle();
}
BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags) {
  return Record("BASS_StreamPlay", {stream, flush, flags});
}
HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags) {
  Record("BASS_MusicLoad", {memory, offset, length, flags}, file);
  return NewHandle();
}
BOOL BASS_MusicSetAmplify(HMUSIC music, DWORD amplify) {
  return Record("BASS_MusicSetAmplify", {music, amplify});
}
BOOL BASS_MusicPlayEx(HMUSIC music, DWORD position, int flags, BOOL reset) {
  return Record("BASS_MusicPlayEx", {music, position, flags, reset});
}
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  return Record("BASS_ChannelSetAttributes", {handle, freq, volume, pan});
}
DWORD BASS_ChannelIsActive(DWORD handle) {
  Record("BASS_ChannelIsActive", {handle});
  return recordingBass.channelState;
}
BOOL BASS_ChannelStop(DWORD handle) { return Record("BASS_ChannelStop", {handle}); }
DWORD BASS_ChannelGetPosition(DWORD handle) {
  Record("BASS_ChannelGetPosition", {handle});
  return 0;
}
