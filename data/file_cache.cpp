#include "data/file_cache.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

FileCache fileCache;

namespace {

char* NormalizedCopy(const char* name) {
  size_t length = std::strlen(name);
  char* key = static_cast<char*>(std::malloc(length + 1));
  if (key == nullptr) return nullptr;
  std::memcpy(key, name, length + 1);
  NormalizeFileKey(key);
  return key;
}

unsigned char NormalizedByte(unsigned char c) {
  return ((c >= 'a' && c <= 'z') || c >= 0xE0) ? static_cast<unsigned char>(c - 0x20) : c;
}

// Compares without copying, so names of any length work.
bool KeyEquals(const char* key, const char* name) {
  for (;; key++, name++) {
    unsigned char c = NormalizedByte(static_cast<unsigned char>(*name));
    if (static_cast<unsigned char>(*key) != c) return false;
    if (c == 0) return true;
  }
}

void RemoveEntry(int slot) {
  FileCacheEntry* entry = fileCache.entries[slot];
  if (entry->owned) std::free(entry->data);
  std::free(entry->name);
  delete entry;
  std::memmove(&fileCache.entries[slot], &fileCache.entries[slot + 1],
               sizeof(fileCache.entries[0]) * size_t(fileCache.count - slot - 1));
  fileCache.count--;
  fileCache.entries[fileCache.count] = nullptr;
}

// Reads the whole file into a new buffer of exactly its size, or fails without leaking.
unsigned char* ReadWholeFile(const char* name, int* length) {
  FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return nullptr;
  unsigned char* data = nullptr;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size >= 0 && size <= 0x7FFFFFFF && std::fseek(file, 0, SEEK_SET) == 0) {
    // malloc(0) may return null: allocate one byte so an empty file still has a buffer.
    data = static_cast<unsigned char*>(std::malloc(size_t(size) + 1));
    if (data != nullptr && std::fread(data, 1, size_t(size), file) != size_t(size)) {
      std::free(data);
      data = nullptr;
    }
  }
  std::fclose(file);
  *length = int(size);
  return data;
}

unsigned char* LoadFailed(const char* name, bool fatal) {
  if (!fatal) return nullptr;
  StopOnUnloadableFile(name);
}

}  // namespace

void StopOnUnloadableFile(const char* name) {
  // The name may be of any length: size the message to it.
  static const char kFormat[] = "Can't load %s...\nProgram will now stop.";
  size_t size = std::strlen(name) + sizeof kFormat;
  char* message = static_cast<char*>(std::malloc(size));
  if (message != nullptr) std::snprintf(message, size, kFormat, name);
  MessageBoxA(nullptr, message != nullptr ? message : "Can't load file.", "Loading Error",
              MB_ICONERROR);
  ExitProcess(1);
}

void NormalizeFileKey(char* text) {
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p != 0; p++) {
    *p = NormalizedByte(*p);
  }
}

FileCacheEntry* FindCachedFile(const char* name) {
  for (int i = 0; i < fileCache.count; i++) {
    if (KeyEquals(fileCache.entries[i]->name, name)) return fileCache.entries[i];
  }
  return nullptr;
}

bool RegisterCachedFile(const char* name, int size, unsigned char* data, bool owned) {
  if (fileCache.count >= kMaxCachedFiles) return false;
  char* key = NormalizedCopy(name);
  if (key == nullptr) return false;
  auto* entry = new (std::nothrow) FileCacheEntry{key, size, data, static_cast<unsigned char>(owned ? 1 : 0)};
  if (entry == nullptr) {
    std::free(key);
    return false;
  }
  fileCache.entries[fileCache.count++] = entry;
  return true;
}

unsigned char* LoadDataFile(const char* name, int* size, bool fatal) {
  if (FileCacheEntry* entry = FindCachedFile(name)) {
    if (size != nullptr) *size = entry->size;
    return entry->data;
  }
  if (fileCache.count >= kMaxCachedFiles) {
    std::fprintf(stderr, "File cache full (%d files): %s not loaded\n", kMaxCachedFiles, name);
    return LoadFailed(name, fatal);
  }
  int length = 0;
  unsigned char* data = ReadWholeFile(name, &length);
  if (data == nullptr) return LoadFailed(name, fatal);
  if (!RegisterCachedFile(name, length, data, true)) {
    std::free(data);
    return LoadFailed(name, fatal);
  }
  if (size != nullptr) *size = length;
  return data;
}

bool ReleaseFile(const void* data) {
  for (int i = 0; i < fileCache.count; i++) {
    if (fileCache.entries[i]->data == data) {
      RemoveEntry(i);
      return true;
    }
  }
  return false;
}

bool ReleaseFileByName(const char* name) {
  for (int i = 0; i < fileCache.count; i++) {
    if (KeyEquals(fileCache.entries[i]->name, name)) {
      RemoveEntry(i);
      return true;
    }
  }
  return false;
}
