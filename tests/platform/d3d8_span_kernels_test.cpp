// Every instruction set's span kernels against the portable ones, pixel for pixel, on the same
// spans: lengths around the vector steps and the runs of cached columns, unaligned targets, steps
// either way, at and past the limits of the kernels' shortcuts, wrapping, clear and opaque
// texels, ramps of colour.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/d3d8/pixel_spans.h"

namespace {

constexpr SpanKernelSet kSets[] = {SpanKernelSet::kSse2, SpanKernelSet::kAvx2, SpanKernelSet::kAvx512};
constexpr SpanBlend kBlends[] = {SpanBlend::kReplace, SpanBlend::kOver, SpanBlend::kAddBySourceColor};
constexpr SpanDiffuse kDiffuses[] = {SpanDiffuse::kGouraud, SpanDiffuse::kFlat, SpanDiffuse::kWhite};

// Texels with runs of clear and of opaque alpha among random ones, so that the kernels' skips
// and shortcuts all happen.
std::vector<uint32_t> Texels(std::mt19937& random, int count) {
  std::vector<uint32_t> texels(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    uint32_t t = uint32_t(random());
    int run = (i / 7) % 3;
    if (run == 0) t &= 0x00FFFFFF;
    if (run == 1) t |= 0xFF000000;
    texels[size_t(i)] = t;
  }
  return texels;
}

struct Case {
  SpanTexture texture;
  FixedColor color;
  int count;
  int offset;  // of the span in the target, for alignment
};

FixedCoords RandomCoords(std::mt19937& random, bool sameRow, int32_t maxStep) {
  std::uniform_int_distribution<int32_t> step(-maxStep, maxStep);
  FixedCoords f{uint32_t(random()), uint32_t(random()), uint32_t(step(random)), 0};
  // The widest step a shortcut takes reaches the far end of what it reads.
  if (random() % 4 == 0) f.du = uint32_t(random() % 2 ? maxStep : -maxStep);
  if (!sameRow) f.dv = uint32_t(step(random));
  return f;
}

FixedColor RandomColor(std::mt19937& random, SpanDiffuse diffuse) {
  FixedColor c{};
  for (int k = 0; k < 4; ++k) {
    c.c[k] = int32_t(random() % (256 << 16));
    // Ramps that leave 0..255 on the way, which the kernels clamp.
    c.d[k] = diffuse == SpanDiffuse::kGouraud ? int32_t(random() % (8 << 16)) - (4 << 16) : 0;
  }
  if (diffuse == SpanDiffuse::kWhite) {
    for (int32_t& v : c.c) v = 255 << 16;
  }
  return c;
}

TEST(SpanKernels, EveryInstructionSetShadesLikeThePortableKernels) {
  std::mt19937 random(29);
  // A 32 x 16 level and its 16 x 8 neighbour; a 1 x 4 level wraps on every texel.
  std::vector<uint32_t> big = Texels(random, 32 * 16), small = Texels(random, 16 * 8), thin = Texels(random, 4);
  const WrapTexture levels[3] = {{big.data(), 31, 15, 5, 0}, {small.data(), 15, 7, 4, 0}, {thin.data(), 0, 3, 0, 0}};
  const int counts[] = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 23, 31, 33, 127, 128, 129, 136, 257, 300};
  const int32_t steps[] = {0x4000, 0x10000, 0x1FFFF, 0x20000, 0x50000};
  int compared = 0;
  for (int trial = 0; trial < 40; ++trial) {
    for (int count : counts) {
      bool sameRow = trial % 3 != 0;
      int32_t maxStep = steps[size_t(trial) % 5];
      Case c;
      c.count = count;
      c.offset = trial % 4;
      int first = trial % 7 == 0 ? 2 : 0;
      c.texture.level[0] = levels[first];
      c.texture.level[1] = levels[first == 2 ? 2 : 1];
      c.texture.level[0].alphaOr = c.texture.level[1].alphaOr = trial % 5 == 0 ? 0xFF000000 : 0;
      c.texture.coords[0] = RandomCoords(random, sameRow, maxStep);
      c.texture.coords[1] = RandomCoords(random, sameRow, maxStep / 2);
      c.texture.weight = uint32_t(random() % 256);
      std::vector<uint32_t> target = Texels(random, count + 8);
      for (bool linear : {false, true}) {
        for (bool mip : {false, true}) {
          for (SpanDiffuse diffuse : kDiffuses) {
            c.color = RandomColor(random, diffuse);
            for (SpanBlend blend : kBlends) {
              std::vector<uint32_t> expected = target;
              PickWrapShader(SpanKernelSet::kPortable, linear, mip, diffuse, blend)(
                  c.texture, c.color, count, expected.data() + c.offset);
              for (SpanKernelSet set : kSets) {
                if (!SpanKernelSetRuns(set)) continue;
                std::vector<uint32_t> actual = target;
                PickWrapShader(set, linear, mip, diffuse, blend)(c.texture, c.color, count,
                                                                 actual.data() + c.offset);
                ASSERT_EQ(actual, expected) << "set " << int(set) << " linear " << linear << " mip " << mip
                                            << " diffuse " << int(diffuse) << " blend " << int(blend)
                                            << " count " << count << " trial " << trial;
                ++compared;
              }
            }
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 0);
}

// Pixels between pages that no access may reach, ending where the second begins: a kernel that
// reads or writes past either end, even lanes it then throws away, stops the test.
struct GuardedPixels {
  explicit GuardedPixels(int count) {
    size_t page = size_t(sysconf(_SC_PAGESIZE));
    size_t inside = (size_t(count) * 4 + page - 1) / page * page;
    bytes = inside + 2 * page;
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base = static_cast<char*>(mapped == MAP_FAILED ? nullptr : mapped);
    if (!base) return;
    mprotect(base, page, PROT_NONE);
    mprotect(base + page + inside, page, PROT_NONE);
    pixels = reinterpret_cast<uint32_t*>(base + page + inside) - count;
  }
  ~GuardedPixels() {
    if (base) munmap(base, bytes);
  }
  char* base;
  size_t bytes;
  uint32_t* pixels = nullptr;
};

// Levels that fill their pages, spans that wrap round them and spans at either end of the target:
// the lanes a kernel shades past a span's end, or the texels it reads ahead, stay inside.
TEST(SpanKernels, EveryInstructionSetStaysInsideTheLevelsAndTheSpan) {
  std::mt19937 random(37);
  constexpr int kTarget = 1024;
  GuardedPixels level0(32 * 32), level1(64 * 16), target(kTarget);
  ASSERT_TRUE(level0.pixels && level1.pixels && target.pixels);
  std::vector<uint32_t> texels0 = Texels(random, 32 * 32), texels1 = Texels(random, 64 * 16);
  std::copy(texels0.begin(), texels0.end(), level0.pixels);
  std::copy(texels1.begin(), texels1.end(), level1.pixels);
  std::vector<uint32_t> before = Texels(random, kTarget);
  for (int trial = 0; trial < 12; ++trial) {
    for (int count : {1, 7, 9, 17, 31, 129, 300}) {
      SpanTexture texture;
      texture.level[0] = {level0.pixels, 31, 31, 5, 0};
      texture.level[1] = {level1.pixels, 63, 15, 6, 0};
      int32_t maxStep = trial % 3 == 0 ? 0x10000 : trial % 3 == 1 ? 0x20000 : 0x50000;
      texture.coords[0] = RandomCoords(random, trial % 2 == 0, maxStep);
      texture.coords[1] = RandomCoords(random, trial % 2 == 0, maxStep);
      texture.weight = uint32_t(random() % 256);
      int first = trial % 4 < 2 ? 0 : kTarget - count;
      for (bool linear : {false, true}) {
        for (bool mip : {false, true}) {
          for (SpanDiffuse diffuse : kDiffuses) {
            FixedColor color = RandomColor(random, diffuse);
            for (SpanBlend blend : kBlends) {
              std::vector<uint32_t> expected = before;
              PickWrapShader(SpanKernelSet::kPortable, linear, mip, diffuse, blend)(texture, color, count,
                                                                                     expected.data() + first);
              for (SpanKernelSet set : kSets) {
                if (!SpanKernelSetRuns(set)) continue;
                std::copy(before.begin(), before.end(), target.pixels);
                PickWrapShader(set, linear, mip, diffuse, blend)(texture, color, count, target.pixels + first);
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), target.pixels))
                    << "set " << int(set) << " linear " << linear << " mip " << mip << " diffuse " << int(diffuse)
                    << " blend " << int(blend) << " count " << count << " trial " << trial;
              }
            }
          }
        }
      }
    }
  }
}

TEST(SpanKernels, EveryInstructionSetWritesLikeThePortableKernels) {
  std::mt19937 random(31);
  bool pass[256];
  for (int a = 0; a < 256; ++a) pass[a] = a >= 100;
  for (int count : {1, 3, 4, 5, 8, 13, 64, 101}) {
    for (int offset = 0; offset < 4; ++offset) {
      std::vector<uint32_t> source = Texels(random, count + 4), target = Texels(random, count + 4);
      for (SpanBlend blend : kBlends) {
        for (bool alphaTest : {false, true}) {
          std::vector<uint32_t> expected = target;
          PickWriteSpan(SpanKernelSet::kPortable, blend, alphaTest)(source.data() + offset, expected.data() + offset,
                                                                    count, pass);
          for (SpanKernelSet set : kSets) {
            std::vector<uint32_t> actual = target;
            PickWriteSpan(set, blend, alphaTest)(source.data() + offset, actual.data() + offset, count, pass);
            ASSERT_EQ(actual, expected) << "set " << int(set) << " blend " << int(blend) << " test " << alphaTest
                                        << " count " << count;
          }
        }
      }
    }
  }
}

// The device picks the fastest set that runs, and the pickers without a set follow the choice.
TEST(SpanKernels, FastestSetRunsAndThePlainPickersUseTheChosenSet) {
  SpanKernelSet fastest = FastestSpanKernelSet();
  EXPECT_TRUE(SpanKernelSetRuns(fastest));
  EXPECT_TRUE(SpanKernelSetRuns(SpanKernelSet::kPortable));
  EXPECT_EQ(spanKernelSet, fastest);
  SpanKernelSet saved = spanKernelSet;
  spanKernelSet = SpanKernelSet::kPortable;
  EXPECT_EQ(PickWrapShader(true, false, SpanDiffuse::kFlat, SpanBlend::kOver),
            PickWrapShader(SpanKernelSet::kPortable, true, false, SpanDiffuse::kFlat, SpanBlend::kOver));
  spanKernelSet = saved;
  if (SpanKernelSetRuns(SpanKernelSet::kAvx512)) {
    EXPECT_EQ(fastest, SpanKernelSet::kAvx512);
  } else if (SpanKernelSetRuns(SpanKernelSet::kAvx2)) {
    EXPECT_EQ(fastest, SpanKernelSet::kAvx2);
    // A set the processor lacks hands out the next one down.
    EXPECT_EQ(PickWrapShader(SpanKernelSet::kAvx512, true, false, SpanDiffuse::kFlat, SpanBlend::kOver),
              PickWrapShader(SpanKernelSet::kAvx2, true, false, SpanDiffuse::kFlat, SpanBlend::kOver));
  }
}

}  // namespace
