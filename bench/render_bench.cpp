// Renders fixed workloads with the software device, headless, through the system's own quad
// layer, and prints milliseconds per frame (median, 95th percentile, CPU) and megapixels per
// second. Usage: vesperglen_bench [frames per workload, default 200] [part of a workload name]
#include <windows.h>
#include <d3d8.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/app_state.h"
#include "draw/quads.h"
#include "render/device.h"
#include "render/render_states.h"

namespace {

IDirect3DTexture8* MakeTexture(int size, bool softEdges, uint32_t seed) {
  IDirect3DTexture8* texture = nullptr;
  device->CreateTexture(UINT(size), UINT(size), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  for (int y = 0; y < size; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < size; ++x) {
      seed = seed * 1664525u + 1013904223u;
      uint32_t alpha = 255;
      if (softEdges) {
        int dx = 2 * x - size, dy = 2 * y - size;
        int d = (dx * dx + dy * dy) * 255 / (size * size);
        alpha = uint32_t(std::max(0, 255 - d));
      }
      row[x] = (alpha << 24) | (seed >> 8 & 0x00FFFFFF);
    }
  }
  texture->UnlockRect(0);
  return texture;
}

void FrameSetup() {
  SetDeviceRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Matrix4 view;
  view.PreTranslate(0.0f, 0.0f, 50.0f);
  SetWorldTransform(nullptr);
  SetViewTransform(&view);
  SetOrthoProjection(800.0f, 600.0f, 1.0f, 100.0f);
  SetDeviceRenderState(D3DRS_ZWRITEENABLE, FALSE);
  DisableState(1);
  SetDeviceRenderState(D3DRS_ALPHAREF, 1);
}

struct Workload {
  const char* name;
  double pixelsPerFrame;
  void (*draw)(int frame);
};

IDirect3DTexture8* background;
IDirect3DTexture8* sprite;
IDirect3DTexture8* puff;
const FloatRect kWhole(0.0f, 0.0f, 1.0f, 1.0f);

void OpaquePointQuad(int) {
  device->SetTexture(0, background);
  DisableState(4);
  DisableState(5);
  DisableState(7);
  DrawScreenRect(0, 0, 800, 600, 0, 0, 0.78125f, 0.5859375f, Color());
}

void BlendedLinearQuad(int frame) {
  device->SetTexture(0, sprite);
  EnableState(4);
  SetBlendMode(0);
  EnableState(5);
  EnableState(7);
  DrawScreenRect(0, 0, 800, 600, frame * 0.001f, 0, 1 + frame * 0.001f, 1, Color(uint8_t(255), 255, 255, 200));
}

void RotatedSprites(int frame) {
  device->SetTexture(0, sprite);
  EnableState(4);
  SetBlendMode(0);
  EnableState(5);
  EnableState(7);
  for (int i = 0; i < 200; ++i) {
    float x = float((i * 37) % 700 - 350), y = float((i * 53) % 500 - 250);
    DrawSprite(x, y, Vector2(x, y), float(i * 7 + frame), 128, 128, kWhole, Color(), 0);
  }
}

void AdditivePuffs(int frame) {
  device->SetTexture(0, puff);
  EnableState(4);
  SetBlendMode(1);
  EnableState(5);
  EnableState(7);
  for (int i = 0; i < 50; ++i) {
    float x = float((i * 41 + frame) % 600 - 300), y = float((i * 29) % 400 - 200), h = 32;
    Color c(uint8_t(255), 255, 255, 180);
    DrawQuadColors(Vector3(x - h, y + h, 0), Vector3(x + h, y + h, 0), Vector3(x + h, y - h, 0),
                   Vector3(x - h, y - h, 0), c, c, c, c);
  }
}

// Background, three full-width layers, 30 sprites and 50 puffs.
void TypicalScene(int frame) {
  OpaquePointQuad(frame);
  device->SetTexture(0, sprite);
  EnableState(4);
  SetBlendMode(0);
  EnableState(5);
  EnableState(7);
  for (int layer = 0; layer < 3; ++layer) {
    float shift = frame * 0.002f * float(layer + 1);
    DrawScreenRect(0, float(100 + layer * 150), 800, float(300 + layer * 150), shift, 0, shift + 2, 1, Color());
  }
  for (int i = 0; i < 30; ++i) {
    float x = float((i * 97) % 700 - 350), y = float((i * 61) % 500 - 250);
    DrawSprite(x, y, Vector2(x, y - 40), float((frame + i * 13) % 20 - 10), 96, 96, kWhole, Color(), 0);
  }
  AdditivePuffs(frame);
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
  return values[index];
}

double CpuMilliseconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1.0e6;
}

void Run(const Workload& w, int frames) {
  std::vector<double> wall;
  double cpuStart = CpuMilliseconds();
  for (int frame = 0; frame < frames; ++frame) {
    auto start = std::chrono::steady_clock::now();
    BeginDeviceScene();
    ClearTarget(0);
    FrameSetup();
    w.draw(frame);
    EndDeviceScene();
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  double cpu = (CpuMilliseconds() - cpuStart) / frames;
  double median = Percentile(wall, 0.5);
  // The fastest frame shows the device's own speed on a machine shared with other work.
  std::printf("%-36s median %7.3f ms  p95 %7.3f ms  min %7.3f ms  cpu %7.3f ms  %8.1f Mpixel/s\n", w.name, median,
              Percentile(wall, 0.95), Percentile(wall, 0.0), cpu, w.pixelsPerFrame / (median * 1000.0));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("usage: %s [frames per workload, default 200] [part of a workload's name]\n"
                "Draws fixed workloads with the software device, headless, and prints milliseconds\n"
                "per frame (median, 95th percentile, fastest, CPU) and megapixels per second.\n",
                argv[0]);
    return 0;
  }
  int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  windowWidth = 800;
  windowHeight = 600;
  prefer32Bit = true;
  if (!InitDevice(nullptr)) return 1;
  background = MakeTexture(1024, false, 1);
  sprite = MakeTexture(128, true, 2);
  puff = MakeTexture(64, true, 3);
  const double full = 800.0 * 600.0;
  const double puffs = 50.0 * 64.0 * 64.0;
  const Workload workloads[] = {
      {"full-screen point opaque quad", full, OpaquePointQuad},
      {"full-screen bilinear blended quad", full, BlendedLinearQuad},
      {"200 rotated 128x128 blended sprites", 200.0 * 128.0 * 128.0, RotatedSprites},
      {"50 additive puffs", puffs, AdditivePuffs},
      {"typical scene", full * 2.0 + 30.0 * 96.0 * 96.0 + puffs, TypicalScene},
  };
  std::printf("software device, 800 x 600 X8R8G8B8, %d frames per workload (clear included)\n", frames);
  const char* only = argc > 2 ? argv[2] : "";
  for (const Workload& w : workloads) {
    if (std::strstr(w.name, only)) Run(w, frames);
  }
  device->SetTexture(0, nullptr);
  background->Release();
  sprite->Release();
  puff->Release();
  ReleaseDevice();
  return 0;
}
