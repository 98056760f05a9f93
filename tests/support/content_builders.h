// Byte images of the binary content files (".msh_s" meshes, "level%i.lev" levels), for tests
// that load them through the system's readers.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline void AppendBytes(std::string* out, const void* data, size_t size) {
  out->append(static_cast<const char*>(data), size);
}
inline void AppendInt(std::string* out, int32_t value) { AppendBytes(out, &value, 4); }
inline void AppendFloat(std::string* out, float value) { AppendBytes(out, &value, 4); }

struct MeshFile {
  uint8_t smooth = 0;
  float position[3] = {0, 0, 0};
  float angles[3] = {0, 0, 0};
  std::vector<float> positions;  // 3 per vertex
  std::vector<int32_t> corners;  // 3 per triangle
  std::vector<float> texels;     // u, v per corner
  // Counts written in place of the real ones, for broken files.
  int32_t vertexCountOverride = -1;
  int32_t faceCountOverride = -1;

  std::string Bytes() const {
    std::string out(3, '\0');
    out.push_back(char(smooth));
    for (float p : position) AppendFloat(&out, p);
    for (float a : angles) AppendFloat(&out, a);
    out.push_back('\0');
    AppendInt(&out, vertexCountOverride >= 0 ? vertexCountOverride : int32_t(positions.size() / 3));
    AppendInt(&out, faceCountOverride >= 0 ? faceCountOverride : int32_t(corners.size() / 3));
    for (float p : positions) AppendFloat(&out, p);
    for (int32_t c : corners) AppendInt(&out, c);
    for (float t : texels) AppendFloat(&out, t);
    return out;
  }
};

// The cube from -1 to 1, twelve triangles; each corner's texture coordinate is (u, v) of its
// vertex from `vertexTexels` (so one coordinate per vertex).
inline MeshFile CubeMesh(uint8_t smooth) {
  MeshFile mesh;
  mesh.smooth = smooth;
  for (int i = 0; i < 8; i++) {
    mesh.positions.push_back(i & 1 ? 1.0f : -1.0f);
    mesh.positions.push_back(i & 2 ? 1.0f : -1.0f);
    mesh.positions.push_back(i & 4 ? 1.0f : -1.0f);
  }
  const int32_t faces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                                {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
  for (const auto& face : faces) {
    for (int32_t corner : face) {
      mesh.corners.push_back(corner);
      mesh.texels.push_back(float(corner & 1));
      mesh.texels.push_back(0.25f * float(corner >> 1));
    }
  }
  return mesh;
}

struct LevelRecord {
  std::string name;
  float rect[4] = {0, 0, 0, 0};
  float angle = 0;
  float params[2] = {0, 0};
  uint8_t mirror = 0;
  int32_t behind = 0;
};

inline std::string LevelBytes(const std::vector<LevelRecord>& records, int32_t count = -1) {
  std::string out(64, '\0');
  AppendInt(&out, count >= 0 || count < -1 ? count : int32_t(records.size()));
  for (const LevelRecord& record : records) {
    char name[32] = {};
    std::memcpy(name, record.name.data(), record.name.size() < 32 ? record.name.size() : 32);
    AppendBytes(&out, name, 32);
    for (float r : record.rect) AppendFloat(&out, r);
    AppendFloat(&out, record.angle);
    for (float p : record.params) AppendFloat(&out, p);
    out.push_back(char(record.mirror));
    AppendInt(&out, record.behind);
  }
  return out;
}
