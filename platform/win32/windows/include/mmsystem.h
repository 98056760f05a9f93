// The Windows build's <mmsystem.h>: the real header, with timeGetTime following the virtual clock
// of recorded runs (VESPERGLEN_FRAME_MS), as the Linux stand-in does. This directory comes first
// on the include path, so <windows.h> picks it up too and no system file needs to change.
#pragma once
#include_next <mmsystem.h>

DWORD RecordedTimeGetTime(void);
#define timeGetTime RecordedTimeGetTime
