// The object list "gameobjs.txt": the catalogue that binds each short name the level files use
// to a picture (".tga" / ".jpg") or a model (".cgo").
//
// Reading rules: a blank is any byte that, as a signed 8-bit number, is at most 32 (so every
// byte from 0x80 up is a blank). Text before the first "[" is skipped; a section header is "["
// up to the next "/" plus one more character ("[trees/]"). Entries are name=value: the name runs
// from the first non-blank to the next "=" (blanks before "=" belong to it), the value from the
// first non-blank after "=" to the next blank or ",". After a value, "[/" closes the section
// (skipped up to the next blank, then the next "[" opens a section), any other "[" is skipped,
// and any other character starts the next name (so a "," that ended a value begins the next
// name). The end of the file ends the list quietly at any point.
//
// Names and values are cut to 31 characters and entries past 512 are ignored.
#pragma once

constexpr int kMaxObjectListEntries = 512;
constexpr int kObjectNameSize = 32;

class Model;
struct TextureRecord;

struct ObjectListEntry {
  char name[kObjectNameSize];
  Model* model;
  TextureRecord* texture;
};

struct ObjectList {
  ObjectListEntry entries[kMaxObjectListEntries];
  int count;
};

extern ObjectList objectList;

// Called once per entry, in file order, after the entry's name is stored and model and texture
// cleared. `value` is null when the end of the file cut the value short.
using ObjectValueHandler = void (*)(ObjectListEntry* entry, const char* value);

// Clears `list` and fills it from the text.
void ReadObjectList(ObjectList* list, const unsigned char* text, int size,
                    ObjectValueHandler handleValue);

// What an entry's value names: a picture for the texture manager, a model, or nothing.
enum class ObjectValueKind { kNone, kTexture, kModel };
ObjectValueKind ObjectValueKindOf(const char* value);

// Loads "gameobjs.txt" (fatal when missing; the buffer stays cached) into objectList, with the
// texture or model of every entry.
void LoadObjectList();
