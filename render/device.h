// The Direct3D 8 device of the full-screen saver: creation on an accepted display mode,
// presentation with lost-device recovery, and release at the end.
#pragma once
#include <windows.h>
#include <d3d8.h>

#include <cstdint>

constexpr int kMaxDisplayModes = 256;

struct DisplayMode {
  uint32_t width;
  uint32_t height;
  uint32_t bits;  // 32 or 16
  D3DFORMAT format;
  D3DFORMAT depthFormat;  // D3DFMT_UNKNOWN when the adapter offers no depth format for it
};

extern IDirect3D8* direct3D;
extern IDirect3DDevice8* device;
extern DisplayMode displayModes[kMaxDisplayModes];
extern int displayModeCount;
extern DisplayMode currentMode;
extern D3DPRESENT_PARAMETERS presentParameters;

// Creates the Direct3D object and the device for `window` and applies the default states.
// False when either cannot be made (the device failure shows a message box first).
bool InitDevice(HWND window);
void EnumerateDisplayModes();
void SelectDisplayMode();
// Presents the back buffer; resets the device when Direct3D says it can be reset.
void PresentFrame();
void ResetDevice();
void ReleaseDevice();
