// libFuzzer target: any bytes as "gameobjs.txt".
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data/object_list.h"

namespace {

void CheckValue(ObjectListEntry* entry, const char* value) {
  if (std::strlen(entry->name) >= kObjectNameSize) __builtin_trap();
  if (value != nullptr) ObjectValueKindOf(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ObjectList list;
  if (size > 0x7FFFFFFF) return 0;
  ReadObjectList(&list, data, int(size), CheckValue);
  if (list.count < 0 || list.count > kMaxObjectListEntries) __builtin_trap();
  return 0;
}
