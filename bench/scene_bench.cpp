// Draws the scenes of a content folder with the software device, headless, exactly as the saver's
// frame does (without presenting), and prints milliseconds per frame (median, 95th percentile)
// for each scene and for a scene change (all six seconds, and the second half, which draws both
// scenes): the drawing thread's CPU time, which other work on a shared machine barely moves, and
// the wall time beside it. Each back-buffer size draws the same 800 x 600 drawing space, mapped
// through the viewport onto the larger buffer.
// Usage: vesperglen_scene_bench [data folder, default <program folder>/share/vesperglen/Data]
//                               [frames per scene, default 150]
//                               [--sizes WxH,WxH,...  default 800x600,1440x1080,2880x2160]
//                               [--kernels portable|sse2|avx2|avx512, default the fastest that runs]
//                               [--draw-everything: shade pixels a later opaque draw covers too]
//                               [--frame-gap MS: sleep before each frame, as a saver paced to
//                                the display does (14 at 60 Hz); the caches are then colder]
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
#include "platform/d3d8/pixel_spans.h"
#include "platform/d3d8/software_device.h"
#include "render/device.h"
#include "render/render_states.h"
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

// Microseconds to sleep before each frame: a saver paced to the display draws each frame after a
// pause in which other work takes the caches, which costs it more than frames drawn back to back.
int frameGapUs = 0;

FrameTime MeasureFrame() {
  if (frameGapUs > 0) usleep(useconds_t(frameGapUs));
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

struct Size {
  int width, height;
};

// "800x600,1440x1080" into sizes; false when a part is no size.
bool ParseSizes(const char* text, std::vector<Size>* sizes) {
  sizes->clear();
  for (const char* p = text; *p;) {
    int width = 0, height = 0, used = 0;
    if (std::sscanf(p, "%dx%d%n", &width, &height, &used) != 2 || width < 1 || height < 1) return false;
    sizes->push_back({width, height});
    p += used;
    if (*p == ',') ++p;
  }
  return !sizes->empty();
}

bool ParseKernels(const char* name, SpanKernelSet* set) {
  static const char* const kNames[] = {"portable", "sse2", "avx2", "avx512"};
  for (int i = 0; i < 4; ++i) {
    if (std::strcmp(name, kNames[i]) == 0) {
      *set = SpanKernelSet(i);
      return true;
    }
  }
  return false;
}

const char* KernelName(SpanKernelSet set) {
  static const char* const kNames[] = {"portable", "SSE2", "AVX2", "AVX-512"};
  return kNames[int(set)];
}

// The saver asks for 800 x 600 and the device maps it onto the screen's own size, as here.
bool UseBackBuffer(const Size& size) {
  SoftwareDeviceSetBackBufferSize(size.width, size.height);
  presentParameters.BackBufferWidth = 800;
  presentParameters.BackBufferHeight = 600;
  presentParameters.Windowed = TRUE;
  if (FAILED(device->Reset(&presentParameters))) return false;
  ApplyDefaultRenderStates();
  return true;
}

bool drawEverything = false;

void RunSize(const Size& size, int frames) {
  std::printf("software device, %d x %d, %d frames of 20 ms per scene, %s kernels, %s\n", size.width,
              size.height, frames, KernelName(spanKernelSet),
              drawEverything ? "every pixel shaded" : "covered pixels skipped");
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
  std::vector<FrameTime> change, secondHalf;
  for (int i = 0; i < 300; i++) {
    FrameTime time = MeasureFrame();
    change.push_back(time);
    if (T > 0.0f && T <= 3000.0f) secondHalf.push_back(time);
  }
  Report("scene change, whole", change);
  if (!secondHalf.empty()) Report("scene change, second half", secondHalf);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<const char*> positional;
  std::vector<Size> sizes = {{800, 600}, {1440, 1080}, {2880, 2160}};
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("usage: %s [data folder] [frames per scene] [--sizes WxH,...]\n"
                  "       [--kernels portable|sse2|avx2|avx512] [--draw-everything] [--frame-gap MS]\n"
                  "prints CPU and wall ms per frame (median, p95) of every scene, all scenes and a scene\n"
                  "change (whole, and its second half), for each back-buffer size; --frame-gap sleeps before\n"
                  "each frame as a saver paced to the display does (14 at 60 Hz)\n",
                  argv[0]);
      return 0;
    }
    if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
      if (!ParseSizes(argv[++i], &sizes)) {
        std::fprintf(stderr, "sizes are WxH,WxH,...\n");
        return 1;
      }
    } else if (std::strcmp(argv[i], "--frame-gap") == 0 && i + 1 < argc) {
      frameGapUs = std::max(0, int(std::atof(argv[++i]) * 1000.0));
    } else if (std::strcmp(argv[i], "--draw-everything") == 0) {
      drawEverything = true;
      SoftwareDeviceSkipUnchangedPixels(false);
    } else if (std::strcmp(argv[i], "--kernels") == 0 && i + 1 < argc) {
      if (!ParseKernels(argv[++i], &spanKernelSet) || !SpanKernelSetRuns(spanKernelSet)) {
        std::fprintf(stderr, "no such kernel set on this machine: %s\n", argv[i]);
        return 1;
      }
    } else {
      positional.push_back(argv[i]);
    }
  }
  std::string folder = positional.size() > 0 ? positional[0] : DefaultDataFolder(argv[0]);
  int frames = positional.size() > 1 ? std::max(10, std::atoi(positional[1])) : 150;
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
  frameDelta = 20.0f;
  bool loaded = false;
  for (const Size& size : sizes) {
    if (!UseBackBuffer(size)) {
      std::fprintf(stderr, "the device takes no %d x %d back buffer\n", size.width, size.height);
      continue;
    }
    // Managed textures outlive a reset, so the content loads once.
    if (!loaded) LoadSceneData();
    loaded = true;
    RunSize(size, frames);
  }
  ReleaseDevice();
  return 0;
}
