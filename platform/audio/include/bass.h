// The BASS-style audio layer (1.x calling conventions), ours on both platforms.
//
// Implements: output on the default device (SDL2 audio on Linux, winmm waveOut on Windows) or into
// a WAV file (VESPERGLEN_AUDIO_OUT=file.wav); samples decoded in full at load (Ogg Vorbis, WAV) and
// played up to `max` times at once; looping file streams (Ogg Vorbis, WAV, MP3 where the build has
// a decoder); module music (.mod .xm .it .s3m .mo3 ... where the build has a module library) from
// an order position with amplification and looping; global music, sample and stream volumes;
// channel volume, pan and frequency; whether a channel still plays.
// Leaves out: 3D, effects, recording, CD, DirectSound objects, sync callbacks, multiple devices.
// Semantics: every call may be made from one thread (the caller's); mixing runs on the output's
// own thread. Volumes are linear 0..100, pans -100 (left) .. 100 (right). A call that fails
// returns 0 / FALSE and sets the code BASS_ErrorGetCode reports. Calls before BASS_Init fail.
// The mix is float, summed over all channels and clipped to -1..1 at the output.
#pragma once
#include <windows.h>

typedef DWORD HSAMPLE;   // a loaded sample
typedef DWORD HCHANNEL;  // one playback of a sample
typedef DWORD HSTREAM;   // a file stream
typedef DWORD HMUSIC;    // module music

// Error codes.
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOCHAN 18
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOPLAY 24
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_UNKNOWN -1

// Sample, stream and music flags. Flags not listed are accepted and have no effect.
#define BASS_SAMPLE_LOOP 4
#define BASS_MUSIC_RAMP 1
#define BASS_MUSIC_RAMPS 2
#define BASS_MUSIC_LOOP 4
#define BASS_MUSIC_FT2MOD 16
#define BASS_MUSIC_PT1MOD 32
#define BASS_MUSIC_POSRESET 256
#define BASS_MUSIC_SURROUND 512

// BASS_ChannelIsActive results.
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

// Output. `device` -1 is the default device; `freq` the output rate in Hz; `flags` are accepted
// and ignored; `window` may be null. FALSE (BASS_ERROR_DEVICE / BASS_ERROR_DRIVER) when there is
// no usable device: the headless dummy drivers count as none.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window);
BOOL BASS_Start(void);
// Pauses the output; channels keep their positions.
BOOL BASS_Stop(void);
// Closes the output and frees every sample, channel, stream and music.
BOOL BASS_Free(void);
int BASS_ErrorGetCode(void);
// Global volumes 0..100 of module music, samples and streams; -1 leaves one unchanged.
BOOL BASS_SetGlobalVolumes(int musicVolume, int sampleVolume, int streamVolume);

// `memory` TRUE: `file` points at `length` bytes of file data. FALSE: `file` is a file name,
// relative to the current directory; `offset`/`length` select a part of the file (0 = all).
// `max` (1..65535) playbacks may run at once; another start then fails with BASS_ERROR_NOCHAN.
HSAMPLE BASS_SampleLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD max,
                        DWORD flags);
// Starts a playback at byte offset `start` (of 16-bit stereo data) with the rate `freq` (-1:
// the sample's own), `volume` 0..100 (-1: 100), `pan` (-101: centre). Returns the channel.
HCHANNEL BASS_SamplePlayEx(HSAMPLE sample, DWORD start, int freq, int volume, int pan, BOOL loop);

HSTREAM BASS_StreamCreateFile(BOOL memory, const void* file, DWORD offset, DWORD length,
                              DWORD flags);
// Plays a stream. While it plays, a further call only updates its looping; `flush` TRUE
// restarts it from the beginning.
BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags);

HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags);
// Amplification 0..100; 50 is unity gain, 100 doubles it.
BOOL BASS_MusicSetAmplify(HMUSIC music, DWORD amplify);
// Plays from `position` (low word: order, high word: row). `reset` TRUE silences what was
// playing before the jump. BASS_MUSIC_LOOP in `flags` loops the music at its end.
BOOL BASS_MusicPlayEx(HMUSIC music, DWORD position, int flags, BOOL reset);

// Channel calls take any channel, stream or music handle.
// `freq` -1, `volume` -1 and `pan` -101 leave that attribute unchanged.
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelStop(DWORD handle);
// Music: MAKELONG(order, row). Samples and streams: bytes of 16-bit stereo output played.
// (DWORD)-1 on failure.
DWORD BASS_ChannelGetPosition(DWORD handle);
