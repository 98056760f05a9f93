#include "data/model.h"

#include <cstdio>
#include <cstring>

#include "data/file_cache.h"
#include "data/key_value.h"
#include "data/mesh.h"
#include "draw/texture_manager.h"

ModelLibrary modelLibrary;

namespace {

struct ModelFiller : DescriptorReader {
  Model* model;

  explicit ModelFiller(Model* target) : model(target) {}
  void OnCount(int count) override {
    model->meshCount = count;
    model->meshes = new Mesh*[count]();
    model->textures = new TextureRecord*[count]();
  }
  void OnPart(int index, const char* meshName, const char* textureName) override {
    model->meshes[index] = GetMesh(meshName);
    model->textures[index] = textureManager.GetTexture(textureName);
  }
};

}  // namespace

Model::~Model() {
  delete[] meshes;
  delete[] textures;
}

bool Model::Load(const char* fileName) {
  int size = 0;
  unsigned char* text = LoadDataFile(fileName, &size, true);
  ModelFiller filler(this);
  ReadDescriptor(text, size, &filler);
  ReleaseFileByName(fileName);
  return true;
}

void ReadDescriptor(const unsigned char* text, int size, DescriptorReader* reader) {
  const char* chars = reinterpret_cast<const char*>(text);
  // The final byte is the line break the format sacrifices to a terminator.
  int length = size > 0 ? size - 1 : 0;
  int count = GetIntValue(chars, length, "nummeshes=");
  if (count < 0) count = 0;
  if (count > kMaxMeshes) count = kMaxMeshes;
  reader->OnCount(count);
  for (int i = 0; i < count; i++) {
    char key[24];
    char meshName[kModelNameSize];
    char textureName[kModelNameSize];
    std::snprintf(key, sizeof key, "mesh%i=", i);
    GetTextValue(meshName, sizeof meshName, chars, length, key);
    std::snprintf(key, sizeof key, "texture%i=", i);
    GetTextValue(textureName, sizeof textureName, chars, length, key);
    reader->OnPart(i, meshName, textureName);
  }
}

Model* GetModel(const char* name) {
  char key[kModelNameSize] = {};
  std::strncpy(key, name, kModelNameSize - 1);
  for (int i = 0; i < modelLibrary.count; i++) {
    if (std::strcmp(modelLibrary.models[i]->name, key) == 0) return modelLibrary.models[i];
  }
  if (modelLibrary.count >= kMaxModels) return nullptr;
  Model* model = new Model;
  std::memcpy(model->name, key, kModelNameSize);
  modelLibrary.models[modelLibrary.count++] = model;
  model->Load(name);
  return model;
}
