// libFuzzer target: any bytes as a "level%i.lev" file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "data/object_list.h"
#include "scene/levels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ObjectList list;
  static PlacementTable table;
  if (list.count == 0) {
    for (const char* name : {"sky", "water", "rock", "sky"}) {
      std::strcpy(list.entries[list.count++].name, name);
    }
  }
  if (size > 0x7FFFFFFF) return 0;
  ReadPlacements(&table, list, data, int(size), size % 2 == 0);
  if (table.placementCount < 0 || table.placementCount > kMaxPlacements) __builtin_trap();
  return 0;
}
