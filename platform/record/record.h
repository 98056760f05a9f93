// Recording of runs, on both platforms: a virtual millisecond clock (VESPERGLEN_FRAME_MS),
// captured frames (VESPERGLEN_CAPTURE, VESPERGLEN_CAPTURE_EVERY) and bounded runs
// (VESPERGLEN_FRAMES). The system calls RecordBeforePresent and RecordAfterPresent around each
// present; everything else stays inside platform/.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

struct IDirect3DDevice8;

// True when VESPERGLEN_FRAME_MS is set: timeGetTime then starts at 0 and moves only at presents.
bool VirtualClockActive();
// The virtual clock's current value in milliseconds.
DWORD VirtualClockNow();
// Advances the virtual clock by the frame length; no effect when it is not active.
void VirtualClockAdvance();

// Right before every IDirect3DDevice8::Present: captures the back buffer when asked. Not after
// it: a discarding swap chain leaves the back buffer undefined once presented.
void RecordBeforePresent(IDirect3DDevice8* device);
// After every IDirect3DDevice8::Present: advances the virtual clock, and posts WM_QUIT after the
// VESPERGLEN_FRAMES-th present.
void RecordAfterPresent(IDirect3DDevice8* device);

// A path given in the environment, relative to the folder the run started in (the program moves
// into its data folder before it records anything); an absolute path is kept as it is.
std::string PathFromRunStart(const char* path);
