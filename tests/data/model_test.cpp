#include "data/model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/mesh.h"

namespace {

struct RecordingReader : DescriptorReader {
  int count = -1;
  std::vector<std::string> names;
  void OnCount(int n) override { count = n; }
  void OnPart(int index, const char* meshName, const char* textureName) override {
    names.push_back(std::to_string(index) + ":" + meshName + "," + textureName);
  }
};

RecordingReader Read(const std::string& text) {
  RecordingReader reader;
  ReadDescriptor(reinterpret_cast<const unsigned char*>(text.data()), int(text.size()), &reader);
  return reader;
}

TEST(DescriptorTest, NamesMeshesAndTexturesInOrder) {
  RecordingReader reader = Read(
      "nummeshes=2\r\nmesh0=hull.msh_s\r\ntexture0=hull.tga\r\nmesh1=mast.msh_s\r\n"
      "texture1=" + std::string(40, 'm') + ".tga\r\n");
  EXPECT_EQ(reader.count, 2);
  ASSERT_EQ(reader.names.size(), 2u);
  EXPECT_EQ(reader.names[0], "0:hull.msh_s,hull.tga");
  EXPECT_EQ(reader.names[1], "1:mast.msh_s," + std::string(31, 'm'));
}

TEST(DescriptorTest, TheLastByteIsNotTextAndCountsStayInRange) {
  // Without the final line break the last character is lost, as the format says.
  EXPECT_EQ(Read("nummeshes=1\r\nmesh0=a.msh_s\r\ntexture0=a.tga").names[0],
            "0:a.msh_s,a.tg");
  EXPECT_EQ(Read("").count, 0);
  EXPECT_EQ(Read("nummeshes=-4\r\n").count, 0);
  EXPECT_EQ(Read("nummeshes=99999999\r\n").count, kMaxMeshes);
  EXPECT_EQ(Read("mesh0=a.msh_s\r\n").count, 0);
}

}  // namespace

// The libraries and the object list over a headless device, with content in a scratch folder.
// The libraries are process-wide, so every test empties them again.
#include <filesystem>

#include "data/file_cache.h"
#include "data/object_list.h"
#include "draw/texture_manager.h"
#include "render/device.h"
#include "support/content_builders.h"
#include "support/picture_files.h"
#include "support/temp_files.h"
#include "math/scalar.h"

namespace {

class ContentLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildSqrtTable();
    oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dataDir.Path());
    device = gpu.device;
    Bytes picture = EncodeTga(4, 4, SolidPixels(4, 4, 0x406080));
    for (const char* name : {"t0.tga", "t1.tga", "sky.tga"}) {
      WriteTextFile(name, std::string(picture.begin(), picture.end()));
    }
    WriteTextFile("smooth.msh_s", CubeMesh(1).Bytes());
    WriteTextFile("flat.msh_s", CubeMesh(0).Bytes());
    WriteTextFile("a.cgo", "nummeshes=2\r\nmesh0=smooth.msh_s\r\ntexture0=t0.tga\r\n"
                           "mesh1=flat.msh_s\r\ntexture1=t1.tga\r\n");
    WriteTextFile("b.cgo", "nummeshes=1\r\nmesh0=smooth.msh_s\r\ntexture0=t1.tga\r\n");
  }
  void TearDown() override {
    for (int i = 0; i < modelLibrary.count; i++) delete modelLibrary.models[i];
    for (int i = 0; i < meshLibrary.count; i++) delete meshLibrary.meshes[i];
    modelLibrary.count = 0;
    meshLibrary.count = 0;
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    device = nullptr;
    std::filesystem::current_path(oldDir);
  }

  TempDir dataDir;
  std::filesystem::path oldDir;
  HeadlessDevice gpu;
};

UINT VertexBytes(const Mesh* mesh) {
  D3DVERTEXBUFFER_DESC desc = {};
  mesh->vertexBuffer->GetDesc(&desc);
  return desc.Size;
}

TEST_F(ContentLoadTest, ObjectListLoadsEachModelMeshAndPictureOnceWithItsBuffers) {
  WriteTextFile("gameobjs.txt", "[things/]\r\nboat=a.cgo\r\nraft=b.cgo\r\nsky=sky.tga\r\n"
                                "again=a.cgo\r\nnothing=5\r\n[/things]\r\n");
  LoadObjectList();
  ASSERT_EQ(objectList.count, 5);
  Model* boat = objectList.entries[0].model;
  ASSERT_NE(boat, nullptr);
  EXPECT_EQ(objectList.entries[3].model, boat);
  EXPECT_EQ(objectList.entries[0].texture, nullptr);
  ASSERT_NE(objectList.entries[2].texture, nullptr);
  EXPECT_STREQ(objectList.entries[2].texture->name, "sky.tga");
  EXPECT_EQ(objectList.entries[4].model, nullptr);
  EXPECT_EQ(objectList.entries[4].texture, nullptr);

  EXPECT_EQ(modelLibrary.count, 2);
  ASSERT_EQ(meshLibrary.count, 2);
  ASSERT_EQ(boat->meshCount, 2);
  EXPECT_EQ(objectList.entries[1].model->meshes[0], boat->meshes[0]);
  EXPECT_STREQ(boat->textures[1]->name, "t1.tga");

  const Mesh* smooth = boat->meshes[0];
  const Mesh* flat = boat->meshes[1];
  EXPECT_EQ(smooth->vertexStride, 32);
  EXPECT_EQ(VertexBytes(smooth), 256u);
  D3DINDEXBUFFER_DESC indexDesc = {};
  ASSERT_NE(smooth->indexBuffer, nullptr);
  smooth->indexBuffer->GetDesc(&indexDesc);
  EXPECT_EQ(indexDesc.Size, 72u);
  EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX16);
  EXPECT_EQ(VertexBytes(flat), 1152u);
  EXPECT_EQ(flat->indexBuffer, nullptr);
  // The buffers hold the mesh's own vertices and its indices cut to 16 bits.
  BYTE* data = nullptr;
  ASSERT_EQ(smooth->indexBuffer->Lock(0, 0, &data, 0), D3D_OK);
  EXPECT_EQ(data[2 * 35], smooth->indices[35]);
  smooth->indexBuffer->Unlock();
}

TEST_F(ContentLoadTest, MeshFilesAreReadOnceAndHandedBack) {
  Model* first = GetModel("a.cgo");
  std::filesystem::remove("smooth.msh_s");
  Model* second = GetModel("b.cgo");
  EXPECT_EQ(second->meshes[0], first->meshes[0]);
  EXPECT_EQ(GetModel("a.cgo"), first);
  // Neither descriptors nor mesh files stay in the cache once read.
  EXPECT_EQ(FindCachedFile("a.cgo"), nullptr);
  EXPECT_EQ(FindCachedFile("flat.msh_s"), nullptr);
}

TEST_F(ContentLoadTest, DescriptorAsksForMeshThenTextureAndBrokenContentStops) {
  // Mesh 0 comes before texture 0, which comes before mesh 1: each missing file stops first.
  WriteTextFile("c.cgo", "nummeshes=2\r\nmesh0=m0.msh_s\r\ntexture0=x0.tga\r\nmesh1=m1.msh_s\r\n");
  EXPECT_EXIT(GetModel("c.cgo"), ::testing::ExitedWithCode(1), "Can't load m0.msh_s");
  WriteTextFile("m0.msh_s", CubeMesh(0).Bytes());
  EXPECT_EXIT(GetModel("c.cgo"), ::testing::ExitedWithCode(1), "Couldn't load texture: x0.tga");
  WriteTextFile("x0.tga", ReadTextFile("t0.tga"));
  EXPECT_EXIT(GetModel("c.cgo"), ::testing::ExitedWithCode(1), "Can't load m1.msh_s");

  MeshFile broken = CubeMesh(1);
  broken.corners[4] = 8;
  WriteTextFile("broken.msh_s", broken.Bytes());
  EXPECT_EXIT(GetMesh("broken.msh_s"), ::testing::ExitedWithCode(1),
              "Loading Error: Can't load broken.msh_s...\nProgram will now stop.");
}

}  // namespace
