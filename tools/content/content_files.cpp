#include "content_files.h"

#include <cmath>
#include <vector>

#include "byte_writer.h"

bool WriteObjectList(const std::string& dataDir, const Content& content) {
  std::string text = "Object list of the default scenes. Entry names decide how a placement moves.\n\n";
  text += "[pictures/]\n";
  for (const Picture& picture : content.pictures) text += picture.entry + "=" + picture.file + "\n";
  text += "[/pictures]\n\n[models/]\n";
  text += "cairn=cairn.cgo\nstone=stone.cgo\n";
  text += "[/models]\n";
  return WriteTextFile(dataDir + "/gameobjs.txt", text);
}

bool WriteLevel(const std::string& path, const Scene& scene) {
  ByteWriter w;
  w.FixedText(scene.title, 64);
  w.I32(int32_t(scene.placements.size()));
  for (const PlacementRecord& p : scene.placements) {
    w.FixedText(p.entry, 32);
    w.F32(p.x0).F32(p.y0).F32(p.x1).F32(p.y1);
    w.F32(p.angle);
    w.F32(p.param0).F32(p.param1);
    w.U8(p.mirror ? 1 : 0);
    w.I32(p.behind);
  }
  return WriteWholeFile(path, w.data);
}

namespace {

struct MeshData {
  std::vector<float> positions;  // x, y, z per vertex
  std::vector<int32_t> triangles;
  std::vector<float> uvs;  // u, v per triangle corner
};

bool WriteMesh(const std::string& path, bool smooth, float x, float y, float z, float rotY, const MeshData& mesh) {
  ByteWriter w;
  w.U8('m').U8('s').U8('h');
  w.U8(smooth ? 1 : 0);
  w.F32(x).F32(y).F32(z);
  w.F32(0).F32(rotY).F32(0);
  w.U8(0);
  w.I32(int32_t(mesh.positions.size() / 3));
  w.I32(int32_t(mesh.triangles.size() / 3));
  for (float v : mesh.positions) w.F32(v);
  for (int32_t i : mesh.triangles) w.I32(i);
  for (float v : mesh.uvs) w.F32(v);
  return WriteWholeFile(path, w.data);
}

// A rounded stone: a squashed, lumpy sphere with one texture coordinate per vertex.
MeshData Stone() {
  MeshData m;
  const int rings = 8, segments = 12;
  for (int r = 0; r <= rings; ++r) {
    float phi = 3.14159265f * float(r) / rings;
    for (int s = 0; s < segments; ++s) {
      float theta = 6.2831853f * float(s) / segments;
      float lump = 1.0f + 0.08f * std::sin(theta * 3 + phi * 2);
      m.positions.push_back(std::sin(phi) * std::cos(theta) * lump);
      m.positions.push_back(std::cos(phi) * 0.6f);
      m.positions.push_back(std::sin(phi) * std::sin(theta) * lump);
    }
  }
  auto index = [&](int r, int s) { return int32_t(r * segments + (s % segments)); };
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      int32_t a = index(r, s), b = index(r, s + 1), c = index(r + 1, s), d = index(r + 1, s + 1);
      // The rows at the poles collapse to a point; their degenerate triangles would have no normal.
      std::vector<int32_t> corners;
      if (r > 0) corners.insert(corners.end(), {a, c, b});
      if (r < rings - 1) corners.insert(corners.end(), {b, c, d});
      for (int32_t i : corners) {
        m.triangles.push_back(i);
        m.uvs.push_back(float(i % segments) / segments);
        m.uvs.push_back(float(i / segments) / rings);
      }
    }
  }
  return m;
}

// A flat slab for the cairn's base: a box with faceted shading.
MeshData Slab() {
  MeshData m;
  const float x = 1.4f, y = 0.25f, z = 1.0f;
  float corners[8][3] = {{-x, -y, -z}, {x, -y, -z}, {x, y, -z}, {-x, y, -z}, {-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}};
  for (auto& c : corners) m.positions.insert(m.positions.end(), c, c + 3);
  int faces[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7}, {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
  float quadUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (auto& f : faces) {
    for (int k : {0, 1, 2, 0, 2, 3}) {
      m.triangles.push_back(f[k]);
      m.uvs.push_back(quadUv[k][0]);
      m.uvs.push_back(quadUv[k][1]);
    }
  }
  return m;
}

}  // namespace

bool WriteModels(const std::string& dataDir) {
  bool ok = WriteMesh(dataDir + "/stone.msh_s", true, 0, 0.6f, 0, 0.4f, Stone());
  ok = WriteMesh(dataDir + "/slab.msh_s", false, 0, 0, 0, 0, Slab()) && ok;
  ok = WriteTextFile(dataDir + "/cairn.cgo",
                     "nummeshes=2\nmesh0=slab.msh_s\ntexture0=rock.jpg\nmesh1=stone.msh_s\ntexture1=rock.jpg\n") && ok;
  ok = WriteTextFile(dataDir + "/stone.cgo", "nummeshes=1\nmesh0=stone.msh_s\ntexture0=rock.jpg\n") && ok;
  return ok;
}
