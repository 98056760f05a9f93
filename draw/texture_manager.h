// Every Direct3D texture of the saver, made and owned by one process-wide manager. Callers ask
// by file name and share the record that comes back; only background pictures are handed back.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

constexpr int kTextureSlots = 1024;
constexpr int kMaxTextureRecords = 1023;
constexpr int kTextureNameSize = 128;
constexpr int kMaxPairNameLength = 63;

struct TextureRecord {
  char name[kTextureNameSize];  // the key, exactly as the caller spelled it
  int32_t width;                // of the top level
  int32_t height;
  IDirect3DTexture8* texture;   // one reference, given up with the record
};

class TextureManager {
 public:
  virtual ~TextureManager();

  // Never returns null: a picture that cannot be loaded ends the process.
  TextureRecord* GetTexture(const char* name);
  TextureRecord* LoadBackgroundTexture(const char* name, int pictureWidth, int pictureHeight);
  void ReleaseTexture(TextureRecord* record);
  TextureRecord* FindTexture(const char* name);
  TextureRecord* CreateBlankTexture(const char* name, int width, int height, D3DFORMAT format);
  TextureRecord* LoadAlphaPairTexture(const char* fileName);
  // Null when the table is full or the name does not fit a record.
  TextureRecord* AddTextureRecord(const char* name);
  // The smallest power of two from 2 to 1024 strictly above n, else 0.
  static int TextureSizeFor(int n);

  TextureRecord* records[kTextureSlots] = {};
  int32_t count = 0;
};

extern TextureManager textureManager;
