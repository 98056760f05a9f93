#include "render/device.h"

#include <cmath>

#include "app/app_state.h"
#include "record.h"
#include "render/render_states.h"

IDirect3D8* direct3D = nullptr;
IDirect3DDevice8* device = nullptr;
DisplayMode displayModes[kMaxDisplayModes];
int displayModeCount = 0;
DisplayMode currentMode;
D3DPRESENT_PARAMETERS presentParameters;

namespace {

const D3DFORMAT kDepthCandidates[] = {D3DFMT_D32,   D3DFMT_D16,   D3DFMT_D24S8,       D3DFMT_D24X4S4,
                                      D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D16_LOCKABLE};

D3DFORMAT ChooseDepthFormat(D3DFORMAT format) {
  for (D3DFORMAT candidate : kDepthCandidates) {
    if (SUCCEEDED(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, format, D3DUSAGE_DEPTHSTENCIL,
                                              D3DRTYPE_SURFACE, candidate)) &&
        SUCCEEDED(direct3D->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, format, format, candidate))) {
      return candidate;
    }
  }
  return D3DFMT_UNKNOWN;
}

bool Listed(uint32_t bits, uint32_t width, uint32_t height) {
  for (int i = 0; i < displayModeCount; ++i) {
    const DisplayMode& m = displayModes[i];
    if (m.bits == bits && m.width == width && m.height == height) return true;
  }
  return false;
}

bool Accepts(const D3DDISPLAYMODE& mode, uint32_t* bits) {
  if (mode.Width < 640 || mode.Height < 480) return false;
  float aspect = float(mode.Width) / float(mode.Height);
  if (std::fabs(aspect - 1.33f) > 0.01f) return false;
  if (mode.Format == D3DFMT_X8R8G8B8) {
    *bits = 32;
  } else if (mode.Format == D3DFMT_R5G6B5) {
    *bits = 16;
  } else {
    return false;
  }
  return !Listed(*bits, mode.Width, mode.Height);
}

// Without a depth format the device gets no depth buffer rather than an invalid one; the saver
// draws with depth testing off anyway.
void FillDepth(D3DPRESENT_PARAMETERS& p) {
  p.EnableAutoDepthStencil = currentMode.depthFormat != D3DFMT_UNKNOWN;
  p.AutoDepthStencilFormat = currentMode.depthFormat;
}

}  // namespace

void EnumerateDisplayModes() {
  displayModeCount = 0;
  UINT count = direct3D->GetAdapterModeCount(D3DADAPTER_DEFAULT);
  for (UINT i = 0; i < count && displayModeCount < kMaxDisplayModes; ++i) {
    D3DDISPLAYMODE mode;
    if (FAILED(direct3D->EnumAdapterModes(D3DADAPTER_DEFAULT, i, &mode))) continue;
    uint32_t bits = 0;
    if (!Accepts(mode, &bits)) continue;
    displayModes[displayModeCount++] =
        DisplayMode{mode.Width, mode.Height, bits, mode.Format, ChooseDepthFormat(mode.Format)};
  }
}

void SelectDisplayMode() {
  uint32_t bits = prefer32Bit ? 32 : 16;
  for (int i = 0; i < displayModeCount; ++i) {
    const DisplayMode& m = displayModes[i];
    if (m.bits == bits && m.width == uint32_t(windowWidth) && m.height == uint32_t(windowHeight)) {
      currentMode = m;
      return;
    }
  }
  currentMode = displayModeCount > 0 ? displayModes[0] : DisplayMode{};
}

bool InitDevice(HWND window) {
  direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  if (!direct3D) return false;
  EnumerateDisplayModes();
  SelectDisplayMode();
  presentParameters = D3DPRESENT_PARAMETERS{};
  presentParameters.BackBufferWidth = currentMode.width;
  presentParameters.BackBufferHeight = currentMode.height;
  presentParameters.BackBufferFormat = currentMode.format;
  presentParameters.BackBufferCount = 0;
  presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParameters.hDeviceWindow = window;
  presentParameters.Windowed = FALSE;
  FillDepth(presentParameters);
  presentParameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  presentParameters.FullScreen_RefreshRateInHz = 0;
  presentParameters.FullScreen_PresentationInterval =
      waitForVerticalSync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
  HRESULT result = direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &presentParameters, &device);
  if (FAILED(result)) {
    device = nullptr;
    MessageBoxA(nullptr, "Can't init Direct3D", "Initialization failed", MB_OK);
    return false;
  }
  ApplyDefaultRenderStates();
  return true;
}

void ResetDevice() {
  SelectDisplayMode();
  presentParameters.BackBufferWidth = currentMode.width;
  presentParameters.BackBufferHeight = currentMode.height;
  presentParameters.Windowed = FALSE;
  presentParameters.BackBufferFormat = currentMode.format;
  device->Reset(&presentParameters);
  ApplyDefaultRenderStates();
}

void PresentFrame() {
  RecordBeforePresent(device);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  RecordAfterPresent(device);
  if (device->TestCooperativeLevel() != D3DERR_DEVICENOTRESET) return;
  ResetDevice();
  int x = GetSystemMetrics(SM_CXSCREEN) / 2 - windowWidth / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2 - windowHeight / 2;
  SetWindowPos(saverWindow, HWND_NOTOPMOST, x, y, windowWidth, windowHeight, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

void ReleaseDevice() {
  if (device) {
    // Bindings hold the bound resources, which hold the device: without unbinding, the device
    // and its last texture keep each other alive after the tables release theirs at exit.
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    device->Release();
  }
  device = nullptr;
  if (direct3D) direct3D->Release();
  direct3D = nullptr;
}
