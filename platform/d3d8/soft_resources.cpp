// Surfaces, textures, vertex and index buffers of the software device.
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/d3d8/soft_objects.h"

// ---------------------------------------------------------------------------------------------
// Formats

int FormatBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

bool IsColorFormat(D3DFORMAT format) { return FormatBytes(format) != 0; }

bool IsDisplayFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5; }

int DepthBits(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
      return 16;
    case D3DFMT_D24X8:
    case D3DFMT_D24S8:
      return 24;
    case D3DFMT_D32:
      return 32;
    default:
      return 0;
  }
}

namespace {

// Widens an n-bit channel to 8 bits by repeating its top bits.
uint32_t Widen(uint32_t value, int bits) {
  uint32_t v = value << (8 - bits);
  return v | (v >> bits);
}

}  // namespace

uint32_t DecodePixel(D3DFORMAT format, const uint8_t* bytes) {
  uint32_t v;
  if (FormatBytes(format) == 4) {
    std::memcpy(&v, bytes, 4);
    return format == D3DFMT_X8R8G8B8 ? v | 0xFF000000u : v;
  }
  uint16_t p;
  std::memcpy(&p, bytes, 2);
  uint32_t a = 255, r, g, b;
  switch (format) {
    case D3DFMT_R5G6B5:
      r = Widen(p >> 11, 5); g = Widen((p >> 5) & 63, 6); b = Widen(p & 31, 5);
      break;
    case D3DFMT_A4R4G4B4:
      a = Widen(p >> 12, 4); r = Widen((p >> 8) & 15, 4); g = Widen((p >> 4) & 15, 4); b = Widen(p & 15, 4);
      break;
    default:  // X1R5G5B5, A1R5G5B5
      a = (format == D3DFMT_A1R5G5B5 && !(p & 0x8000)) ? 0 : 255;
      r = Widen((p >> 10) & 31, 5); g = Widen((p >> 5) & 31, 5); b = Widen(p & 31, 5);
      break;
  }
  return (a << 24) | (r << 16) | (g << 8) | b;
}

void EncodePixel(D3DFORMAT format, uint32_t argb, uint8_t* bytes) {
  if (FormatBytes(format) == 4) {
    std::memcpy(bytes, &argb, 4);
    return;
  }
  uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
  uint16_t p;
  switch (format) {
    case D3DFMT_R5G6B5: p = uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)); break;
    case D3DFMT_A4R4G4B4: p = uint16_t(((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4)); break;
    default: p = uint16_t(((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)); break;
  }
  std::memcpy(bytes, &p, 2);
}

void QuantiseToFormat(D3DFORMAT format, uint32_t* pixels, int count) {
  if (FormatBytes(format) != 2) return;
  if (format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5) {
    // The top bits of each channel, repeated below them as Widen does; no alpha.
    const bool sixBitGreen = format == D3DFMT_R5G6B5;
    const uint32_t greenMask = sixBitGreen ? 0xFC00u : 0xF800u;
    const int greenShift = sixBitGreen ? 6 : 5;
    const uint32_t greenLow = sixBitGreen ? 0x0300u : 0x0700u;
    for (int i = 0; i < count; ++i) {
      uint32_t redBlue = pixels[i] & 0xF800F8u;
      uint32_t green = pixels[i] & greenMask;
      pixels[i] = 0xFF000000u | redBlue | ((redBlue >> 5) & 0x070007u) | green | ((green >> greenShift) & greenLow);
    }
    return;
  }
  uint8_t bytes[2];
  for (int i = 0; i < count; ++i) {
    EncodePixel(format, pixels[i], bytes);
    pixels[i] = DecodePixel(format, bytes);
  }
}

// ---------------------------------------------------------------------------------------------
// Common resource methods: no private data, no interfaces to query.

namespace {

HRESULT NoInterface(void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT GiveDevice(SoftDevice* device, IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = DeviceInterface(device);
  (*out)->AddRef();
  return D3D_OK;
}

bool RectInside(const RECT* rect, UINT width, UINT height) {
  return rect->left >= 0 && rect->top >= 0 && rect->left < rect->right && rect->top < rect->bottom &&
         UINT(rect->right) <= width && UINT(rect->bottom) <= height;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pixel memory

namespace {

constexpr size_t kLargePage = size_t(2) << 20;

}  // namespace

void* AllocatePixelMemory(size_t bytes) {
  if (bytes < kLargePage) return ::operator new(bytes);
  const size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  void* memory = std::aligned_alloc(kLargePage, rounded);
  if (memory == nullptr) throw std::bad_alloc();
  madvise(memory, rounded, MADV_HUGEPAGE);  // only advice: without it the pages are small
  return memory;
}

void FreePixelMemory(void* memory, size_t bytes) {
  if (bytes < kLargePage) {
    ::operator delete(memory);
  } else {
    std::free(memory);
  }
}

// ---------------------------------------------------------------------------------------------
// SoftSurface

SoftSurface::SoftSurface(SoftDevice* owner, IUnknown* holder, D3DFORMAT pixelFormat, UINT w, UINT h,
                         DWORD surfaceUsage, D3DPOOL surfacePool)
    : device(owner),
      container(holder),
      format(pixelFormat),
      width(w),
      height(h),
      usage(surfaceUsage),
      pool(surfacePool),
      pixels(size_t(w) * h, format == D3DFMT_A8R8G8B8 ? 0u : 0xFF000000u) {}

HRESULT SoftSurface::QueryInterface(REFIID, void** object) { return NoInterface(object); }
ULONG SoftSurface::AddRef() { return container->AddRef(); }
ULONG SoftSurface::Release() { return container->Release(); }
HRESULT SoftSurface::GetDevice(IDirect3DDevice8** out) { return GiveDevice(device, out); }
HRESULT SoftSurface::SetPrivateData(REFGUID, const void*, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT SoftSurface::GetPrivateData(REFGUID, void*, DWORD*) { return D3DERR_NOTFOUND; }
HRESULT SoftSurface::FreePrivateData(REFGUID) { return D3DERR_NOTFOUND; }
HRESULT SoftSurface::GetContainer(REFIID, void** out) { return NoInterface(out); }

HRESULT SoftSurface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  desc->Format = format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = usage;
  desc->Pool = pool;
  desc->Size = UINT(FormatBytes(format)) * width * height;
  desc->MultiSampleType = D3DMULTISAMPLE_NONE;
  desc->Width = width;
  desc->Height = height;
  return D3D_OK;
}

HRESULT SoftSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
  if (!lockedRect || locked) return D3DERR_INVALIDCALL;
  if (rect && !RectInside(rect, width, height)) return D3DERR_INVALIDCALL;
  DrawHeldDraws(device);
  if (!(flags & D3DLOCK_READONLY)) ++version;
  const int bytesPerPixel = FormatBytes(format);
  const size_t x = rect ? size_t(rect->left) : 0;
  const size_t y = rect ? size_t(rect->top) : 0;
  uint8_t* base;
  if (bytesPerPixel == 4) {
    base = reinterpret_cast<uint8_t*>(Pixels());
  } else {
    packed.resize(size_t(width) * height * 2);
    uint32_t* own = Pixels();
    for (size_t i = 0; i < PixelCount(); ++i) EncodePixel(format, own[i], &packed[i * 2]);
    base = packed.data();
  }
  lockedRect->Pitch = INT(width) * bytesPerPixel;
  lockedRect->pBits = base + (y * width + x) * size_t(bytesPerPixel);
  locked = true;
  lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
  return D3D_OK;
}

HRESULT SoftSurface::UnlockRect() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  if (FormatBytes(format) == 2) {
    if (!lockedReadOnly) {
      uint32_t* own = Pixels();
      for (size_t i = 0; i < PixelCount(); ++i) own[i] = DecodePixel(format, &packed[i * 2]);
    }
    std::vector<uint8_t>().swap(packed);
  }
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// SoftTexture

SoftTexture::SoftTexture(SoftDevice* owner, UINT width, UINT height, UINT levelCount, DWORD usage,
                         D3DFORMAT format, D3DPOOL texturePool)
    : device(owner), pool(texturePool) {
  UINT fullChain = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++fullChain;
  if (levelCount == 0 || levelCount > fullChain) levelCount = fullChain;
  levelCount = std::min<UINT>(levelCount, kMaxRasterLevels);
  raster.levelCount = int(levelCount);
  raster.alphaOr = DecodePixel(format, reinterpret_cast<const uint8_t*>("\0\0\0\0")) & 0xFF000000u;
  for (UINT i = 0; i < levelCount; ++i) {
    UINT w = std::max(1u, width >> i);
    UINT h = std::max(1u, height >> i);
    SoftSurface* level = new SoftSurface(owner, this, format, w, h, usage, pool);
    levels.push_back(level);
    raster.levels[i] = RasterTextureLevel{level->pixels.data(), int(w), int(h)};
  }
  DeviceInterface(device)->AddRef();
  DeviceAddResource(device, pool);
}

SoftTexture::~SoftTexture() {
  for (SoftSurface* level : levels) delete level;
  DeviceRemoveResource(device, pool);
  DeviceInterface(device)->Release();
}

HRESULT SoftTexture::QueryInterface(REFIID, void** object) { return NoInterface(object); }
ULONG SoftTexture::AddRef() { return ++references; }

ULONG SoftTexture::Release() {
  ULONG left = --references;
  if (left == 0) {
    // Held draws do not own their texture, or a device released with draws held would be kept
    // alive by its own textures.
    DrawHeldDraws(device);
    delete this;
  }
  return left;
}

HRESULT SoftTexture::GetDevice(IDirect3DDevice8** out) { return GiveDevice(device, out); }
HRESULT SoftTexture::SetPrivateData(REFGUID, const void*, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT SoftTexture::GetPrivateData(REFGUID, void*, DWORD*) { return D3DERR_NOTFOUND; }
HRESULT SoftTexture::FreePrivateData(REFGUID) { return D3DERR_NOTFOUND; }

DWORD SoftTexture::SetPriority(DWORD newPriority) {
  DWORD old = priority;
  priority = newPriority;
  return old;
}

DWORD SoftTexture::GetPriority() { return priority; }
void SoftTexture::PreLoad() {}
D3DRESOURCETYPE SoftTexture::GetType() { return D3DRTYPE_TEXTURE; }

DWORD SoftTexture::SetLOD(DWORD newLod) {
  DWORD old = lod;
  if (pool == D3DPOOL_MANAGED) lod = std::min<DWORD>(newLod, DWORD(levels.size() - 1));
  return old;
}

DWORD SoftTexture::GetLOD() { return lod; }
DWORD SoftTexture::GetLevelCount() { return DWORD(levels.size()); }

HRESULT SoftTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levels.size()) return D3DERR_INVALIDCALL;
  HRESULT result = levels[level]->GetDesc(desc);
  if (desc) desc->Type = D3DRTYPE_SURFACE;
  return result;
}

HRESULT SoftTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  if (!surface || level >= levels.size()) return D3DERR_INVALIDCALL;
  *surface = levels[level];
  AddRef();
  return D3D_OK;
}

const OpaqueTexels& SoftTexture::OpaqueTexelsOfTop() {
  if (opaqueVersion != levels[0]->version) {
    FindOpaqueTexels(raster.levels[0], raster.alphaOr, &opaque);
    opaqueVersion = levels[0]->version;
  }
  return opaque;
}

void SoftTexture::FindVisibleColumnsOfLevels() {
  uint64_t version = 0;
  for (const SoftSurface* level : levels) version += level->version;
  if (version == visibleVersion) return;
  for (int i = 0; i < raster.levelCount; ++i) {
    FindVisibleColumns(raster.levels[i], &visibleColumns[i]);
    raster.levels[i].visibleColumns = visibleColumns[i].data();
  }
  visibleVersion = version;
}

HRESULT SoftTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
  if (level >= levels.size()) return D3DERR_INVALIDCALL;
  return levels[level]->LockRect(lockedRect, rect, flags);
}

HRESULT SoftTexture::UnlockRect(UINT level) {
  if (level >= levels.size()) return D3DERR_INVALIDCALL;
  return levels[level]->UnlockRect();
}

HRESULT SoftTexture::AddDirtyRect(const RECT*) { return D3D_OK; }

// ---------------------------------------------------------------------------------------------
// Buffers

namespace {

HRESULT LockBytes(std::vector<uint8_t>& bytes, UINT offset, UINT size, BYTE** data) {
  if (!data || offset > bytes.size()) return D3DERR_INVALIDCALL;
  if (size != 0 && size > bytes.size() - offset) return D3DERR_INVALIDCALL;
  *data = bytes.data() + offset;
  return D3D_OK;
}

}  // namespace

SoftVertexBuffer::SoftVertexBuffer(SoftDevice* owner, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : device(owner), desc{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf}, bytes(length) {
  DeviceInterface(device)->AddRef();
  DeviceAddResource(device, pool);
}

SoftVertexBuffer::~SoftVertexBuffer() {
  DeviceRemoveResource(device, desc.Pool);
  DeviceInterface(device)->Release();
}

HRESULT SoftVertexBuffer::QueryInterface(REFIID, void** object) { return NoInterface(object); }
ULONG SoftVertexBuffer::AddRef() { return ++references; }

ULONG SoftVertexBuffer::Release() {
  ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

HRESULT SoftVertexBuffer::GetDevice(IDirect3DDevice8** out) { return GiveDevice(device, out); }
HRESULT SoftVertexBuffer::SetPrivateData(REFGUID, const void*, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT SoftVertexBuffer::GetPrivateData(REFGUID, void*, DWORD*) { return D3DERR_NOTFOUND; }
HRESULT SoftVertexBuffer::FreePrivateData(REFGUID) { return D3DERR_NOTFOUND; }

DWORD SoftVertexBuffer::SetPriority(DWORD newPriority) {
  DWORD old = priority;
  priority = newPriority;
  return old;
}

DWORD SoftVertexBuffer::GetPriority() { return priority; }
void SoftVertexBuffer::PreLoad() {}
D3DRESOURCETYPE SoftVertexBuffer::GetType() { return D3DRTYPE_VERTEXBUFFER; }

HRESULT SoftVertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD) {
  return LockBytes(bytes, offset, size, data);
}

HRESULT SoftVertexBuffer::Unlock() { return D3D_OK; }

HRESULT SoftVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = desc;
  return D3D_OK;
}

SoftIndexBuffer::SoftIndexBuffer(SoftDevice* owner, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : device(owner), desc{format, D3DRTYPE_INDEXBUFFER, usage, pool, length}, bytes(length) {
  DeviceInterface(device)->AddRef();
  DeviceAddResource(device, pool);
}

SoftIndexBuffer::~SoftIndexBuffer() {
  DeviceRemoveResource(device, desc.Pool);
  DeviceInterface(device)->Release();
}

HRESULT SoftIndexBuffer::QueryInterface(REFIID, void** object) { return NoInterface(object); }
ULONG SoftIndexBuffer::AddRef() { return ++references; }

ULONG SoftIndexBuffer::Release() {
  ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

HRESULT SoftIndexBuffer::GetDevice(IDirect3DDevice8** out) { return GiveDevice(device, out); }
HRESULT SoftIndexBuffer::SetPrivateData(REFGUID, const void*, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT SoftIndexBuffer::GetPrivateData(REFGUID, void*, DWORD*) { return D3DERR_NOTFOUND; }
HRESULT SoftIndexBuffer::FreePrivateData(REFGUID) { return D3DERR_NOTFOUND; }

DWORD SoftIndexBuffer::SetPriority(DWORD newPriority) {
  DWORD old = priority;
  priority = newPriority;
  return old;
}

DWORD SoftIndexBuffer::GetPriority() { return priority; }
void SoftIndexBuffer::PreLoad() {}
D3DRESOURCETYPE SoftIndexBuffer::GetType() { return D3DRTYPE_INDEXBUFFER; }

HRESULT SoftIndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD) {
  return LockBytes(bytes, offset, size, data);
}

HRESULT SoftIndexBuffer::Unlock() { return D3D_OK; }

HRESULT SoftIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = desc;
  return D3D_OK;
}
