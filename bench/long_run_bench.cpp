// Runs the saver's scene frames over simulated days on a virtual clock and prints whether the long
// sums still move: when "eternity" changes the scene, and how far the sky drifts in the last hour.
// Content loads on the software device; the frames then go to a device that draws nothing, so a
// week of 16 ms frames takes minutes, not a week. That device makes no textures, so the next
// background of a scene change says it could not be created; the timers are what is measured.
// Usage: vesperglen_long_run_bench [data folder, default <program folder>/share/vesperglen/Data]
//                                  [days, default 8] [frame ms, default 16]
#include <windows.h>
#include <d3d8.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/random.h"
#include "app/screen_state.h"
#include "app/settings.h"
#include "math/scalar.h"
#include "render/device.h"
#include "render/render_states.h"
#include "scene/levels.h"
#include "scene/scene_schedule.h"
#include "support/recording_device.h"

namespace {

const double kDayMs = 24.0 * 3600.0 * 1000.0;
const double kHourMs = 3600.0 * 1000.0;

// The sky's texture offset as the frame draws it: u of the first sky layer's upper left corner.
bool SkyOffset(const RecordingDevice& recorder, float* u) {
  for (const RecordedDraw& draw : recorder.draws) {
    if (draw.stride != 24 || draw.vertices.size() < 4 * 24) continue;
    float vertex[6];
    std::memcpy(vertex, draw.vertices.data() + 2 * 24, sizeof vertex);
    *u = vertex[4];
    return true;
  }
  return false;
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
    std::printf("usage: %s [data folder] [days, default 8] [frame ms, default 16]\n"
                "prints when the \"eternity\" scene change happens (due at 600,000,000 ms) and the sky's\n"
                "offset change over the last simulated hour\n",
                argv[0]);
    return 0;
  }
  std::string folder = argc > 1 ? argv[1] : DefaultDataFolder(argv[0]);
  double days = argc > 2 ? std::atof(argv[2]) : 8.0;
  float frameMs = argc > 3 ? float(std::atof(argv[3])) : 16.0f;
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
  extendedSettings.sceneCount = 2;
  settings.dayCycle = 1;
  settings.showTime = 0;
  settings.startScene = 0;
  LoadSceneData();
  nextScene = 0;
  ResetSceneSchedule();
  StartFirstScene();
  sceneChangeInterval = 600000000.0f;
  sceneClock = 0.0;

  IDirect3DDevice8* softwareDevice = device;
  static RecordingDevice recorder;
  device = &recorder;
  frameDelta = frameMs;
  double virtualMs = 0.0, changeAt = -1.0, endMs = days * kDayMs;
  // The offset wraps at whole widths; the drift sums each frame's step, unwrapped.
  float lastSky = 0.0f;
  double skyDrift = 0.0;
  while (virtualMs < endMs) {
    recorder.Forget();
    sceneState.Frame();
    virtualMs += frameMs;
    if (changeAt < 0.0 && sceneTimer < 0.0) changeAt = virtualMs;
    float sky = 0.0f;
    if (virtualMs >= endMs - kHourMs && SkyOffset(recorder, &sky)) {
      double step = double(sky) - double(lastSky);
      if (virtualMs - frameMs >= endMs - kHourMs) skyDrift += step - std::nearbyint(step);
      lastSky = sky;
    }
  }
  device = softwareDevice;

  std::printf("%.2f simulated days of %.0f ms frames\n", days, double(frameMs));
  if (changeAt < 0.0) {
    std::printf("eternity change: none (due at 600000000 ms)\n");
  } else {
    std::printf("eternity change: at %.0f ms (due at 600000000 ms)\n", changeAt);
  }
  std::printf("scene clock at the end: %.0f ms (virtual clock %.0f ms)\n", sceneClock, virtualMs);
  std::printf("sky offset change over the last hour: %.4f texture widths (an hour drifts 10.8)\n",
              0.0 - skyDrift);
  ReleaseDevice();
  return 0;
}
