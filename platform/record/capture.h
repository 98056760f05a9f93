// Frame capture of recorded runs, private to platform/record.
#pragma once
#include <d3d8.h>

// Writes the device's back buffer as an RGB PNG at `path`, reading it through GetBackBuffer and
// LockRect only, so it works on any device whose back buffer is lockable. False on failure.
bool CaptureBackBufferPng(IDirect3DDevice8* device, const char* path);

// Starts the present numbering of RecordAfterPresent again from 0.
void RecordRestart();
