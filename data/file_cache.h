// Whole-file loading through a process-wide cache. A file asked for again is served from the
// cache (same buffer, nothing read from disk). The cache owns every buffer it hands out: callers
// may read and overwrite its bytes, never free it, and hand it back with ReleaseFile or
// ReleaseFileByName when they are done. Buffers are exactly as large as the file; no
// terminating zero is added.
//
// Names are relative to the current directory and opened exactly as given; cache keys are the
// names upper-cased by NormalizeFileKey (Latin and code page 1251 Cyrillic), of any length.
//
// The table holds at most kMaxCachedFiles entries and never grows. A load that would need a
// new entry when it is full fails like a missing file (so does a failed allocation or a short
// read): nothing is registered and nothing leaks.
#pragma once

constexpr int kMaxCachedFiles = 1024;

struct FileBuffer {
  unsigned char* data;
  int size;
};

struct FileCacheEntry {
  char* name;  // normalised, heap-allocated
  int size;
  unsigned char* data;
  unsigned char owned;  // the cache frees data on release
};

struct FileCache {
  FileCacheEntry* entries[kMaxCachedFiles];
  int count;
};

extern FileCache fileCache;

// Upper-cases 'a'..'z' and 0xE0..0xFF in place.
void NormalizeFileKey(char* text);
FileCacheEntry* FindCachedFile(const char* name);
// Appends an entry without looking for one of the same name; false when the table is full.
bool RegisterCachedFile(const char* name, int size, unsigned char* data, bool owned);
// Returns the whole file, storing its length in *size when size is given. When the file cannot
// be loaded: with fatal set, shows "Can't load <name>...\nProgram will now stop." (caption
// "Loading Error") and ends the process with exit code 1; otherwise returns null.
unsigned char* LoadDataFile(const char* name, int* size, bool fatal);
// The fatal path of LoadDataFile, also for content that loaded but is broken.
[[noreturn]] void StopOnUnloadableFile(const char* name);
// Both return false, changing nothing, when no entry matches; removal keeps the order of the
// rest.
bool ReleaseFile(const void* data);
bool ReleaseFileByName(const char* name);
