// Stand-in for the runtime library's folder listing by wildcard (_findfirst family) on Linux.
// Lists the regular files of one folder whose names match the pattern's wildcards (* and ?,
// ASCII case-insensitive as on Windows), in the order the folder lists them.
#pragma once
#include <stdint.h>
#include <time.h>

#define _A_NORMAL 0x00
#define _A_RDONLY 0x01
#define _A_HIDDEN 0x02
#define _A_SYSTEM 0x04
#define _A_SUBDIR 0x10
#define _A_ARCH 0x20

struct _finddata_t {
  unsigned attrib;
  time_t time_create;
  time_t time_access;
  time_t time_write;
  unsigned long size;
  char name[260];
};

// Returns a search handle, or -1 (errno ENOENT) when nothing matches.
intptr_t _findfirst(const char* pattern, struct _finddata_t* data);
// Returns 0 and fills `data` with the next match, or -1 when there is none.
int _findnext(intptr_t handle, struct _finddata_t* data);
int _findclose(intptr_t handle);
