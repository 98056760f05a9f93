// Writers for the engine's own content formats: the object list, level files, model
// descriptors and meshes.
#pragma once
#include <string>

#include "content.h"

// "gameobjs.txt": every picture as an entry, then the models.
bool WriteObjectList(const std::string& dataDir, const Content& content);
// "level%i.lev": a 64-byte title, the count, then 65-byte placement records.
bool WriteLevel(const std::string& path, const Scene& scene);
// Two stone models that share a smooth mesh; one also has a flat-shaded mesh.
bool WriteModels(const std::string& dataDir);
