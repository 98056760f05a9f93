// Draws the scenes of a content folder with the software device, headless, exactly as the saver's
// frame does (without presenting), and prints milliseconds per frame (median, 95th percentile)
// for each scene and for the frames of a scene change: the drawing thread's CPU time, which other
// work on a shared machine barely moves, and the wall time beside it.
// Usage: vesperglen_scene_bench [data folder, default <program folder>/share/vesperglen/Data]
//                               [frames per scene, default 150]
#include <windows.h>
#include <d3d8.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/random.h"
#include "app/screen_state.h"
#include "app/settings.h"
#include "math/scalar.h"
#include "render/device.h"
#include "scene/levels.h"
#include "scene/scene_schedule.h"

namespace {

struct FrameTime {
  double cpu, wall;
};

double ThreadCpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1.0e6;
}

FrameTime MeasureFrame() {
  auto start = std::chrono::steady_clock::now();
  double cpuStart = ThreadCpuMs();
  device->BeginScene();
  sceneState.Frame();
  device->EndScene();
  double cpu = ThreadCpuMs() - cpuStart;
  return {cpu, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count()};
}

double Percentile(std::vector<double> values, size_t percent) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, values.size() * percent / 100)];
}

void Report(const char* name, const std::vector<FrameTime>& times) {
  std::vector<double> cpu, wall;
  for (const FrameTime& t : times) {
    cpu.push_back(t.cpu);
    wall.push_back(t.wall);
  }
  std::printf("%-26s cpu median %6.2f ms  p95 %6.2f ms   wall median %6.2f ms  p95 %6.2f ms  (%zu frames)\n",
              name, Percentile(cpu, 50), Percentile(cpu, 95), Percentile(wall, 50), Percentile(wall, 95),
              times.size());
}

std::string DefaultDataFolder(const char* program) {
  std::string path = program;
  size_t slash = path.rfind('/');
  path = slash == std::string::npos ? "." : path.substr(0, slash);
  return path + "/share/vesperglen/Data";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("usage: %s [data folder] [frames per scene]\n", argv[0]);
    return 0;
  }
  std::string folder = argc > 1 ? argv[1] : DefaultDataFolder(argv[0]);
  int frames = argc > 2 ? std::max(10, std::atoi(argv[2])) : 150;
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "no content folder %s (build the content target)\n", folder.c_str());
    return 1;
  }
  BuildSqrtTable();
  windowWidth = 800;
  windowHeight = 600;
  prefer32Bit = true;
  if (!InitDevice(nullptr)) return 1;
  SeedRandom(1);
  extendedSettings.sceneCount = kMaxScenes;
  settings.dayCycle = 0;
  settings.showTime = 0;
  LoadSceneData();
  frameDelta = 20.0f;
  std::printf("software device, 800 x 600, %d frames of 20 ms per scene\n", frames);
  std::vector<FrameTime> all;
  for (int scene = 0; scene < SceneCount(); scene++) {
    settings.startScene = scene;
    nextScene = scene;
    ResetSceneSchedule();
    StartFirstScene();
    sceneChangeInterval = 1e9f;
    std::vector<FrameTime> times;
    for (int i = 0; i < frames; i++) times.push_back(MeasureFrame());
    all.insert(all.end(), times.begin(), times.end());
    Report(("scene " + std::to_string(scene)).c_str(), times);
  }
  Report("all scenes", all);
  // A whole change: 6 s of frames, the second half drawing both scenes.
  sceneChangeInterval = 0.0f;
  std::vector<FrameTime> change;
  for (int i = 0; i < 300; i++) {
    FrameTime time = MeasureFrame();
    if (T > 0.0f && T <= 3000.0f) change.push_back(time);
  }
  if (!change.empty()) Report("scene change, second half", change);
  ReleaseDevice();
  return 0;
}
