#include "draw/texture_manager.h"

#include "d3dx8.h"
#include "data/file_cache.h"
#include "render/device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

TextureManager textureManager;

namespace {

// The alpha plane that follows the picture in an alpha-JPEG file, one byte per picture pixel.
struct AlphaPlane {
  const BYTE* bytes;
  int64_t size;
  int width;
  int height;
};

void ShowTextureMessage(const char* format, const char* name, const char* caption) {
  char text[512];
  std::snprintf(text, sizeof text, format, name);
  MessageBoxA(nullptr, text, caption, MB_OK);
}

[[noreturn]] void FailToLoad(const char* name) {
  ShowTextureMessage("Couldn't load texture: %s", name, "Loading error");
  ExitProcess(1);
}

// Length of the JPEG part: up to and including the first 0xFF 0xD9; 0 when there is none.
int PictureLength(const unsigned char* file, int size) {
  for (int i = 0; i + 1 < size; ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xD9) return i + 2;
  }
  return 0;
}

bool NamesTga(const char* name) {
  return std::strstr(name, ".tga") != nullptr || std::strstr(name, ".TGA") != nullptr;
}

// "_a_" + the name up to its first dot + ".jpg"; false when that needs more than
// kMaxPairNameLength characters.
bool MakePairName(const char* name, char* pairName) {
  size_t stem = std::strcspn(name, ".");
  if (3 + stem + 4 > static_cast<size_t>(kMaxPairNameLength)) return false;
  std::snprintf(pairName, kMaxPairNameLength + 1, "_a_%.*s.jpg", static_cast<int>(stem), name);
  return true;
}

// Texel (x, y) of the top level, for x < columns and y < rows, takes the plane byte at
// (x * plane.width / spanWidth, y * plane.height / spanHeight) as its alpha. Texels whose byte
// lies past the end of a short plane keep the alpha they have.
void WriteAlphaPlane(IDirect3DSurface8* surface, int columns, int rows, int spanWidth, int spanHeight,
                     const AlphaPlane& plane) {
  D3DSURFACE_DESC desc;
  if (FAILED(surface->GetDesc(&desc)) || desc.Format != D3DFMT_A8R8G8B8) return;
  columns = std::min(columns, static_cast<int>(desc.Width));
  rows = std::min(rows, static_cast<int>(desc.Height));
  D3DLOCKED_RECT locked;
  if (FAILED(surface->LockRect(&locked, nullptr, 0))) return;
  for (int y = 0; y < rows; ++y) {
    BYTE* row = static_cast<BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
    int64_t planeRow = static_cast<int64_t>(y) * plane.height / spanHeight;
    for (int x = 0; x < columns; ++x) {
      int64_t planeColumn = static_cast<int64_t>(x) * plane.width / spanWidth;
      int64_t index = planeRow * plane.width + planeColumn;
      if (index >= plane.size) break;
      row[x * 4 + 3] = plane.bytes[index];
    }
  }
  surface->UnlockRect();
}

void StoreTopLevelSize(TextureRecord* record) {
  D3DSURFACE_DESC desc;
  if (SUCCEEDED(record->texture->GetLevelDesc(0, &desc))) {
    record->width = static_cast<int32_t>(desc.Width);
    record->height = static_cast<int32_t>(desc.Height);
  }
}

}  // namespace

TextureManager::~TextureManager() {
  for (int i = 0; i < count; ++i) {
    if (records[i]->texture) records[i]->texture->Release();
    delete records[i];
    records[i] = nullptr;
  }
  count = 0;
}

TextureRecord* TextureManager::FindTexture(const char* name) {
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(records[i]->name, name) == 0) return records[i];
  }
  return nullptr;
}

TextureRecord* TextureManager::AddTextureRecord(const char* name) {
  if (count >= kMaxTextureRecords || std::strlen(name) >= sizeof(TextureRecord::name)) return nullptr;
  TextureRecord* record = new TextureRecord();
  std::strcpy(record->name, name);
  records[count++] = record;
  return record;
}

TextureRecord* TextureManager::GetTexture(const char* name) {
  if (TextureRecord* known = FindTexture(name)) return known;
  char pairName[kMaxPairNameLength + 1];
  if (NamesTga(name) && std::strlen(name) < sizeof(TextureRecord::name) && MakePairName(name, pairName)) {
    if (TextureRecord* paired = LoadAlphaPairTexture(pairName)) {
      std::strcpy(paired->name, name);
      return paired;
    }
  }
  int size = 0;
  unsigned char* file = LoadDataFile(name, &size, false);
  if (!file) FailToLoad(name);
  // The buffer stays with the file cache: plain pictures remain resident there.
  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(device, file, static_cast<UINT>(size), 0, 0, 2, 0,
      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
  if (FAILED(hr)) FailToLoad(name);
  TextureRecord* record = AddTextureRecord(name);
  if (!record) {
    texture->Release();
    FailToLoad(name);
  }
  record->texture = texture;
  StoreTopLevelSize(record);
  return record;
}

TextureRecord* TextureManager::LoadAlphaPairTexture(const char* fileName) {
  int size = 0;
  unsigned char* file = LoadDataFile(fileName, &size, false);
  if (!file) return nullptr;
  int pictureLength = PictureLength(file, size);
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info = {};
  if (pictureLength == 0 ||
      FAILED(D3DXCreateTextureFromFileInMemoryEx(device, file, static_cast<UINT>(pictureLength), 0, 0, 1, 0,
          D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &texture))) {
    ReleaseFile(file);
    return nullptr;
  }
  TextureRecord* record = AddTextureRecord(fileName);
  if (!record) {
    texture->Release();
    ReleaseFile(file);
    return nullptr;
  }
  record->texture = texture;
  StoreTopLevelSize(record);
  IDirect3DSurface8* surface = nullptr;
  if (SUCCEEDED(texture->GetSurfaceLevel(0, &surface))) {
    // A device that rounds the picture up to another size stretches it; the plane follows.
    AlphaPlane plane = {file + pictureLength, size - pictureLength, static_cast<int>(info.Width),
                        static_cast<int>(info.Height)};
    WriteAlphaPlane(surface, record->width, record->height, record->width, record->height, plane);
    surface->Release();
  }
  ReleaseFile(file);
  return record;
}

TextureRecord* TextureManager::LoadBackgroundTexture(const char* name, int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return nullptr;
  int size = 0;
  unsigned char* file = LoadDataFile(name, &size, false);
  if (!file) return nullptr;
  int pictureLength = PictureLength(file, size);
  TextureRecord* record = nullptr;
  if (pictureLength > 0) {
    record = CreateBlankTexture(name, TextureSizeFor(pictureWidth), TextureSizeFor(pictureHeight),
                                D3DFMT_A8R8G8B8);
  }
  IDirect3DSurface8* surface = nullptr;
  if (record && record->texture && SUCCEEDED(record->texture->GetSurfaceLevel(0, &surface))) {
    // An existing record may be smaller than this picture: clip to its top level.
    RECT target = {0, 0, std::min(pictureWidth, static_cast<int>(record->width)),
                   std::min(pictureHeight, static_cast<int>(record->height))};
    D3DXLoadSurfaceFromFileInMemory(surface, nullptr, &target, file, static_cast<UINT>(pictureLength), nullptr,
                                    D3DX_FILTER_NONE, 0, nullptr);
    AlphaPlane plane = {file + pictureLength, size - pictureLength, pictureWidth, pictureHeight};
    WriteAlphaPlane(surface, pictureWidth, pictureHeight, pictureWidth, pictureHeight, plane);
    surface->Release();
  }
  ReleaseFile(file);
  return record;
}

TextureRecord* TextureManager::CreateBlankTexture(const char* name, int width, int height, D3DFORMAT format) {
  if (TextureRecord* known = FindTexture(name)) return known;
  IDirect3DTexture8* texture = nullptr;
  if (width > 0 && height > 0 && device &&
      SUCCEEDED(device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0, format,
                                      D3DPOOL_MANAGED, &texture))) {
    if (TextureRecord* record = AddTextureRecord(name)) {
      record->texture = texture;
      record->width = width;
      record->height = height;
      return record;
    }
    texture->Release();
  }
  ShowTextureMessage("Couldn't create texture: %s", name, "Init error");
  return nullptr;
}

int TextureManager::TextureSizeFor(int n) {
  for (int size = 2; size <= 1024; size *= 2) {
    if (size > n) return size;
  }
  return 0;
}

void TextureManager::ReleaseTexture(TextureRecord* record) {
  int slot = 0;
  while (slot < count && records[slot] != record) ++slot;
  if (!record || slot == count) return;
  if (record->texture) record->texture->Release();
  delete record;
  for (int i = slot + 1; i < count; ++i) records[i - 1] = records[i];
  records[--count] = nullptr;
}
