// Readers that take a path get the input through one scratch file per fuzzing process.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

inline std::string ScratchPath(const char* name) {
  const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(folder) + "/vesperglen-fuzz-" + std::to_string(getpid()) + "-" + name;
}

inline bool WriteScratch(const std::string& path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}
