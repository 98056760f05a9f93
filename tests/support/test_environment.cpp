// Every test program starts headless and away from the developer's own settings: no display, no
// sound device, a registry file of the build folder and no machine-wide file. Values already set
// in the environment win. (ctest's ENVIRONMENT property passes only the first variable through
// test discovery, so this is done here.)
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("VESPERGLEN_REGISTRY", VG_TEST_REGISTRY, 0);
    setenv("VESPERGLEN_MACHINE_REGISTRY", VG_TEST_REGISTRY ".none", 0);
  }
};

const TestEnvironment testEnvironment;

}  // namespace
