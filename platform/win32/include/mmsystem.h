// Stand-in for winmm's timeGetTime on Linux: milliseconds since an arbitrary start, wrapping at
// 2^32 like the real timer. Under VESPERGLEN_FRAME_MS it is the recording's virtual clock.
#pragma once
#include <windows.h>
DWORD timeGetTime(void);
