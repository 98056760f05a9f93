// Models: ".cgo" descriptors listing meshes and the texture of each, kept in a library that
// loads each descriptor once.
//
// Descriptor keys (key=value lines, CR LF): "nummeshes=" N, then "mesh%i=" and "texture%i=" for
// i = 0 .. N-1. The last byte of the file is not read (it must be the final line break).
#pragma once

constexpr int kMaxModels = 1024;
constexpr int kModelNameSize = 32;

struct Mesh;
struct TextureRecord;

class Model {
 public:
  char name[kModelNameSize] = {};
  int meshCount = 0;
  Mesh** meshes = nullptr;
  TextureRecord** textures = nullptr;

  Model() = default;
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;
  virtual ~Model();
  // Reads the descriptor (fatal when missing) and asks for mesh 0, texture 0, mesh 1, ... in
  // that order; hands the descriptor back to the file cache. Always true.
  virtual bool Load(const char* fileName);
};

struct ModelLibrary {
  Model* models[kMaxModels];
  int count;
};

extern ModelLibrary modelLibrary;

// The mesh and texture names of a descriptor, in load order; the names are at most 31
// characters. Called with i = 0 .. count-1 after `count` is known.
struct DescriptorReader {
  virtual void OnCount(int count) = 0;
  virtual void OnPart(int index, const char* meshName, const char* textureName) = 0;
};
// A mesh count below 0 reads as 0; one above kMaxMeshes as kMaxMeshes (no model can use more
// distinct meshes than the library holds).
void ReadDescriptor(const unsigned char* text, int size, DescriptorReader* reader);

// The model of that name (exact comparison), loading it on first use. Null when the library is
// full.
Model* GetModel(const char* name);
