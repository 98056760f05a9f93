#include "data/object_list.h"

#include <cstring>

#include "data/file_cache.h"
#include "data/model.h"
#include "draw/texture_manager.h"

ObjectList objectList;

namespace {

// Walks the text; every read past the end reports the end instead.
struct Cursor {
  const unsigned char* text;
  int size;
  int at;

  bool AtEnd() const { return at >= size; }
  bool IsBlank() const { return static_cast<signed char>(text[at]) <= 32; }
  unsigned char Peek(int ahead = 0) const { return at + ahead < size ? text[at + ahead] : 0; }
  // False when the end came first.
  bool SkipBlanks() {
    while (!AtEnd() && IsBlank()) at++;
    return !AtEnd();
  }
  bool SkipPast(unsigned char c) {
    while (!AtEnd() && text[at] != c) at++;
    if (AtEnd()) return false;
    at++;
    return true;
  }
};

// Copies text[from, to) cut to what the field holds.
void CopyCut(char* destination, const unsigned char* from, int length) {
  if (length > kObjectNameSize - 1) length = kObjectNameSize - 1;
  std::memcpy(destination, from, size_t(length));
  destination[length] = 0;
}

bool OpenSection(Cursor* cursor) {
  if (!cursor->SkipPast('[') || !cursor->SkipPast('/')) return false;
  cursor->at++;  // the "]" or whatever stands there
  return cursor->SkipBlanks();
}

// Reads one name=value; false when the end of the file came before the "=".
bool ReadEntry(Cursor* cursor, ObjectList* list, ObjectValueHandler handleValue) {
  int nameStart = cursor->at;
  if (!cursor->SkipPast('=')) return false;
  bool keep = list->count < kMaxObjectListEntries;
  ObjectListEntry scratch;
  ObjectListEntry* entry = keep ? &list->entries[list->count++] : &scratch;
  CopyCut(entry->name, cursor->text + nameStart, cursor->at - 1 - nameStart);
  entry->model = nullptr;
  entry->texture = nullptr;
  bool complete = cursor->SkipBlanks();
  int valueStart = cursor->at;
  while (complete && !cursor->IsBlank() && cursor->text[cursor->at] != ',') {
    cursor->at++;
    complete = !cursor->AtEnd();
  }
  char value[kObjectNameSize];
  CopyCut(value, cursor->text + valueStart, cursor->at - valueStart);
  if (keep) handleValue(entry, complete ? value : nullptr);
  return complete;
}

void ResolveValue(ObjectListEntry* entry, const char* value) {
  if (value == nullptr) return;
  switch (ObjectValueKindOf(value)) {
    case ObjectValueKind::kTexture: entry->texture = textureManager.GetTexture(value); break;
    case ObjectValueKind::kModel: entry->model = GetModel(value); break;
    case ObjectValueKind::kNone: break;
  }
}

}  // namespace

void ReadObjectList(ObjectList* list, const unsigned char* text, int size,
                    ObjectValueHandler handleValue) {
  list->count = 0;
  Cursor cursor{text, size, 0};
  if (!OpenSection(&cursor)) return;
  for (;;) {
    if (!ReadEntry(&cursor, list, handleValue) || !cursor.SkipBlanks()) return;
    if (cursor.Peek() == '[' && cursor.Peek(1) == '/') {
      while (!cursor.AtEnd() && !cursor.IsBlank()) cursor.at++;
      if (!OpenSection(&cursor)) return;
    } else if (cursor.Peek() == '[') {
      cursor.at++;
      if (!cursor.SkipBlanks()) return;
    }
  }
}

ObjectValueKind ObjectValueKindOf(const char* value) {
  if (std::strstr(value, ".tga") != nullptr || std::strstr(value, ".jpg") != nullptr) {
    return ObjectValueKind::kTexture;
  }
  if (std::strstr(value, ".cgo") != nullptr) return ObjectValueKind::kModel;
  return ObjectValueKind::kNone;
}

void LoadObjectList() {
  int size = 0;
  unsigned char* text = LoadDataFile("gameobjs.txt", &size, true);
  ReadObjectList(&objectList, text, size, ResolveValue);
}
