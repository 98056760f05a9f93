// The software IDirect3D8: one adapter with a fixed list of display modes, format checks and
// device creation.
#include <algorithm>

#include "platform/d3d8/soft_objects.h"
#include "platform/d3d8/software_device.h"

namespace {

constexpr int kMaxAdapterModes = 128;

struct AdapterModeTable {
  D3DDISPLAYMODE modes[kMaxAdapterModes];
  int count = 0;
  bool custom = false;
};

AdapterModeTable adapterModes;
bool failCreateDevice = false;

// Common 4:3, 5:4 and wide sizes, each in both display formats and at two refresh rates, listed
// 16-bit first as display drivers tend to.
void FillBuiltInModes() {
  static const UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                                   {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},
                                   {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}};
  static const D3DFORMAT kFormats[] = {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8};
  static const UINT kRates[] = {60, 75};
  adapterModes.count = 0;
  for (D3DFORMAT format : kFormats) {
    for (const auto& size : kSizes) {
      for (UINT rate : kRates) {
        adapterModes.modes[adapterModes.count++] = D3DDISPLAYMODE{size[0], size[1], rate, format};
      }
    }
  }
}

const AdapterModeTable& Modes() {
  if (adapterModes.count == 0 && !adapterModes.custom) FillBuiltInModes();
  return adapterModes;
}

bool ModeListed(UINT width, UINT height, D3DFORMAT format, UINT rate) {
  const AdapterModeTable& table = Modes();
  for (int i = 0; i < table.count; ++i) {
    const D3DDISPLAYMODE& m = table.modes[i];
    if (m.Width == width && m.Height == height && m.Format == format && (rate == 0 || m.RefreshRate == rate)) {
      return true;
    }
  }
  return false;
}

// The desktop the adapter starts in: 1024 x 768 in 32 bits when listed, else the first mode.
D3DDISPLAYMODE DesktopMode() {
  const AdapterModeTable& table = Modes();
  for (int i = 0; i < table.count; ++i) {
    const D3DDISPLAYMODE& m = table.modes[i];
    if (m.Width == 1024 && m.Height == 768 && m.Format == D3DFMT_X8R8G8B8) return m;
  }
  if (table.count > 0) return table.modes[0];
  return D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
}

struct SoftDirect3D final : IDirect3D8 {
  HRESULT WINAPI QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++references; }
  ULONG WINAPI Release() override {
    ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }
  HRESULT WINAPI RegisterSoftwareDevice(void*) override { return D3DERR_INVALIDCALL; }
  UINT WINAPI GetAdapterCount() override { return 1; }
  HRESULT WINAPI GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8*) override { return D3DERR_INVALIDCALL; }
  UINT WINAPI GetAdapterModeCount(UINT adapter) override { return adapter == 0 ? UINT(AdapterModeCount()) : 0; }
  HRESULT WINAPI EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override {
    if (adapter != 0 || !out || mode >= UINT(AdapterModeCount())) return D3DERR_INVALIDCALL;
    *out = AdapterMode(int(mode));
    return D3D_OK;
  }
  HRESULT WINAPI GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out) override {
    if (adapter != 0 || !out) return D3DERR_INVALIDCALL;
    *out = DesktopMode();
    return D3D_OK;
  }
  HRESULT WINAPI CheckDeviceType(UINT adapter, D3DDEVTYPE, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                 BOOL) override {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    bool backBufferFits = backBufferFormat == displayFormat ||
                          (displayFormat == D3DFMT_X8R8G8B8 && backBufferFormat == D3DFMT_A8R8G8B8);
    return IsDisplayFormat(displayFormat) && backBufferFits ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT WINAPI CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, DWORD usage,
                                   D3DRESOURCETYPE type, D3DFORMAT checkFormat) override {
    if (adapter != 0 || !IsDisplayFormat(adapterFormat)) return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_DEPTHSTENCIL) {
      return type == D3DRTYPE_SURFACE && DepthBits(checkFormat) > 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    if (usage & D3DUSAGE_RENDERTARGET) {
      return type == D3DRTYPE_SURFACE && IsDisplayFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    if (type == D3DRTYPE_TEXTURE || type == D3DRTYPE_SURFACE) {
      return IsColorFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return type == D3DRTYPE_VERTEXBUFFER || type == D3DRTYPE_INDEXBUFFER ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT WINAPI CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                            D3DMULTISAMPLE_TYPE type) override {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    return type == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT WINAPI CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat,
                                        D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) override {
    if (adapter != 0 || !IsDisplayFormat(adapterFormat)) return D3DERR_INVALIDCALL;
    return IsColorFormat(renderTargetFormat) && DepthBits(depthFormat) > 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT WINAPI GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8*) override { return D3DERR_INVALIDCALL; }
  HMONITOR WINAPI GetAdapterMonitor(UINT) override { return nullptr; }
  HRESULT WINAPI CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                              D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != 0 || !parameters) return D3DERR_INVALIDCALL;
    if (failCreateDevice) return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS checked = *parameters;
    HRESULT result = CompletePresentParameters(checked, focusWindow);
    if (FAILED(result)) return result;
    *parameters = checked;
    *device = CreateSoftDevice(this, type, focusWindow, behaviorFlags, checked);
    return D3D_OK;
  }

  ULONG references = 1;
};

}  // namespace

int AdapterModeCount() { return Modes().count; }

const D3DDISPLAYMODE& AdapterMode(int index) { return Modes().modes[index]; }

bool AdapterCreateDeviceFails() { return failCreateDevice; }

HRESULT CompletePresentParameters(D3DPRESENT_PARAMETERS& p, HWND focusWindow) {
  if (p.BackBufferCount > 3) return D3DERR_INVALIDCALL;
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC) return D3DERR_INVALIDCALL;
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  if (p.EnableAutoDepthStencil && DepthBits(p.AutoDepthStencilFormat) == 0) return D3DERR_INVALIDCALL;
  if (p.Windowed) {
    HWND window = p.hDeviceWindow ? p.hDeviceWindow : focusWindow;
    RECT client{0, 0, 0, 0};
    if ((p.BackBufferWidth == 0 || p.BackBufferHeight == 0) && window) GetClientRect(window, &client);
    if (p.BackBufferWidth == 0) p.BackBufferWidth = UINT(std::max<LONG>(1, client.right - client.left));
    if (p.BackBufferHeight == 0) p.BackBufferHeight = UINT(std::max<LONG>(1, client.bottom - client.top));
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = DesktopMode().Format;
    if (!IsDisplayFormat(p.BackBufferFormat) && p.BackBufferFormat != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  } else {
    // Full screen: the back buffer is the display mode, so it must be one the adapter offers.
    if (!ModeListed(p.BackBufferWidth, p.BackBufferHeight, p.BackBufferFormat, p.FullScreen_RefreshRateInHz)) {
      return D3DERR_INVALIDCALL;
    }
  }
  if (p.BackBufferWidth > UINT(kMaxSpanWidth) || p.BackBufferHeight > UINT(kMaxSpanWidth)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  return new SoftDirect3D();
}

void SoftwareAdapterSetModes(const D3DDISPLAYMODE* modes, int count) {
  if (count < 0 || !modes) {
    adapterModes.custom = false;
    FillBuiltInModes();
    return;
  }
  adapterModes.custom = true;
  adapterModes.count = std::min(count, kMaxAdapterModes);
  std::copy(modes, modes + adapterModes.count, adapterModes.modes);
}

void SoftwareAdapterFailCreateDevice(bool fail) { failCreateDevice = fail; }
