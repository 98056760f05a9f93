// The COM objects of the software Direct3D 8 device. Private to platform/d3d8.
#pragma once
#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "platform/d3d8/rasterizer.h"
#include "platform/win32/win32_display.h"

struct SoftDevice;

// Pixel formats the device stores: 32-bit and 16-bit colour, depth.
int FormatBytes(D3DFORMAT format);
bool IsColorFormat(D3DFORMAT format);
bool IsDisplayFormat(D3DFORMAT format);
int DepthBits(D3DFORMAT format);  // 0 for a format that is not a depth format
uint32_t DecodePixel(D3DFORMAT format, const uint8_t* bytes);
void EncodePixel(D3DFORMAT format, uint32_t argb, uint8_t* bytes);
// Keeps of each pixel only what `format` holds, as 0xAARRGGBB again: a 16-bit render target
// blends the next draw with what it stored, not with the 8-bit value that was written.
void QuantiseToFormat(D3DFORMAT format, uint32_t* pixels, int count);
// Draws what the device holds back, before anything reads or changes the pixels it would use.
void DrawHeldDraws(SoftDevice* device);

// Pixel memory, on 2 MB pages where it is that large and the kernel gives them: a frame reads the
// big textures and the back buffer row by row, and on 4 KB pages nearly every row is a TLB miss.
void* AllocatePixelMemory(size_t bytes);
void FreePixelMemory(void* memory, size_t bytes);

template <typename T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(AllocatePixelMemory(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { FreePixelMemory(p, n * sizeof(T)); }
  friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
};

// A two-dimensional picture: one texture level or the back buffer. Its pixels are always held
// as 0xAARRGGBB; a 16-bit format is converted on LockRect and back on UnlockRect. References
// are counted by the container (the texture, or the device for the back buffer).
struct SoftSurface final : IDirect3DSurface8 {
  SoftSurface(SoftDevice* device, IUnknown* container, D3DFORMAT format, UINT width, UINT height, DWORD usage,
              D3DPOOL pool);

  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
  ULONG WINAPI AddRef() override;
  ULONG WINAPI Release() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice8** device) override;
  HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD dataSize, DWORD flags) override;
  HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* dataSize) override;
  HRESULT WINAPI FreePrivateData(REFGUID guid) override;
  HRESULT WINAPI GetContainer(REFIID riid, void** container) override;
  HRESULT WINAPI GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT WINAPI LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT WINAPI UnlockRect() override;

  SoftDevice* device;
  IUnknown* container;
  D3DFORMAT format;
  UINT width;
  UINT height;
  DWORD usage;
  D3DPOOL pool;
  // The pixels: `pixels`, or for a back buffer shown without a copy, memory the window's
  // presentation lends (`shared`).
  uint32_t* Pixels() { return shared ? shared : pixels.data(); }
  size_t PixelCount() const { return size_t(width) * height; }
  std::vector<uint32_t, PixelAllocator<uint32_t>> pixels;
  uint32_t* shared = nullptr;
  std::vector<uint8_t> packed;  // the format's own bytes while a 16-bit surface is locked
  bool locked = false;
  bool lockedReadOnly = false;
  uint64_t version = 0;  // counts the locks that may have changed the pixels
};

struct SoftTexture final : IDirect3DTexture8 {
  SoftTexture(SoftDevice* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
              D3DPOOL pool);
  ~SoftTexture();

  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
  ULONG WINAPI AddRef() override;
  ULONG WINAPI Release() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice8** device) override;
  HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD dataSize, DWORD flags) override;
  HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* dataSize) override;
  HRESULT WINAPI FreePrivateData(REFGUID guid) override;
  DWORD WINAPI SetPriority(DWORD priority) override;
  DWORD WINAPI GetPriority() override;
  void WINAPI PreLoad() override;
  D3DRESOURCETYPE WINAPI GetType() override;
  DWORD WINAPI SetLOD(DWORD lod) override;
  DWORD WINAPI GetLOD() override;
  DWORD WINAPI GetLevelCount() override;
  HRESULT WINAPI GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT WINAPI GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT WINAPI LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT WINAPI UnlockRect(UINT level) override;
  HRESULT WINAPI AddDirtyRect(const RECT* dirtyRect) override;

  ULONG references = 1;
  SoftDevice* device;
  D3DPOOL pool;
  DWORD priority = 0;
  DWORD lod = 0;
  std::vector<SoftSurface*> levels;
  RasterTexture raster;  // points into the levels' pixels, which never move
  // The top level's opaque runs, found when first needed after each change.
  const OpaqueTexels& OpaqueTexelsOfTop();
  OpaqueTexels opaque;
  uint64_t opaqueVersion = UINT64_MAX;
  // Every level's visible columns, found again when a level has changed since.
  void FindVisibleColumnsOfLevels();
  std::vector<int> visibleColumns[kMaxRasterLevels];
  uint64_t visibleVersion = UINT64_MAX;
};

// Vertex and index buffers: plain bytes.
struct SoftVertexBuffer final : IDirect3DVertexBuffer8 {
  SoftVertexBuffer(SoftDevice* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  ~SoftVertexBuffer();

  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
  ULONG WINAPI AddRef() override;
  ULONG WINAPI Release() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice8** device) override;
  HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD dataSize, DWORD flags) override;
  HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* dataSize) override;
  HRESULT WINAPI FreePrivateData(REFGUID guid) override;
  DWORD WINAPI SetPriority(DWORD priority) override;
  DWORD WINAPI GetPriority() override;
  void WINAPI PreLoad() override;
  D3DRESOURCETYPE WINAPI GetType() override;
  HRESULT WINAPI Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
  HRESULT WINAPI Unlock() override;
  HRESULT WINAPI GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

  ULONG references = 1;
  SoftDevice* device;
  D3DVERTEXBUFFER_DESC desc;
  DWORD priority = 0;
  std::vector<uint8_t> bytes;
};

struct SoftIndexBuffer final : IDirect3DIndexBuffer8 {
  SoftIndexBuffer(SoftDevice* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~SoftIndexBuffer();

  HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
  ULONG WINAPI AddRef() override;
  ULONG WINAPI Release() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice8** device) override;
  HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD dataSize, DWORD flags) override;
  HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* dataSize) override;
  HRESULT WINAPI FreePrivateData(REFGUID guid) override;
  DWORD WINAPI SetPriority(DWORD priority) override;
  DWORD WINAPI GetPriority() override;
  void WINAPI PreLoad() override;
  D3DRESOURCETYPE WINAPI GetType() override;
  HRESULT WINAPI Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
  HRESULT WINAPI Unlock() override;
  HRESULT WINAPI GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  ULONG references = 1;
  SoftDevice* device;
  D3DINDEXBUFFER_DESC desc;
  DWORD priority = 0;
  std::vector<uint8_t> bytes;
};

// Resource bookkeeping shared by the objects above.
void DeviceAddResource(SoftDevice* device, D3DPOOL pool);
void DeviceRemoveResource(SoftDevice* device, D3DPOOL pool);
IDirect3DDevice8* DeviceInterface(SoftDevice* device);

// The adapter's mode list, shared by every Direct3D object.
int AdapterModeCount();
const D3DDISPLAYMODE& AdapterMode(int index);
bool AdapterCreateDeviceFails();

// Checks present parameters as CreateDevice and Reset do, filling in what a windowed device
// may leave zero (size from the window, format from the desktop, one back buffer).
HRESULT CompletePresentParameters(D3DPRESENT_PARAMETERS& parameters, HWND focusWindow);

// Creates the device behind IDirect3D8::CreateDevice; the parameters are already checked.
IDirect3DDevice8* CreateSoftDevice(IDirect3D8* direct3D, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                   const D3DPRESENT_PARAMETERS& parameters);

// The back buffer a device that asks for `logicalWidth` x `logicalHeight` draws into: a size set by
// SoftwareDeviceSetBackBufferSize or VESPERGLEN_SIZE=WxH, else the asked-for size in recorded runs
// (VESPERGLEN_CAPTURE) and headless, else the size of the picture in the window.
BackBufferPlacement ChooseBackBuffer(HWND window, int logicalWidth, int logicalHeight);
// Moves pre-transformed screen positions given for the asked-for size onto the placement.
void ScalePretransformed(RasterVertex* vertices, UINT count, const BackBufferPlacement& placement,
                         UINT logicalWidth, UINT logicalHeight);

// With --fps: counts the frame and draws the frame rate into the lower left corner of the picture.
void DrawFrameRateOverlay(uint32_t* pixels, int width, int height, int pitch);
