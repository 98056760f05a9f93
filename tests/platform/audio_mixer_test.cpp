// The audio layer's BASS calls over the real mixer, pulled by hand through the headless output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "bass.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/mixer.h"
#include "platform/audio_test_files.h"
#include "support/temp_files.h"

namespace {

class AudioMixer : public ::testing::Test {
 protected:
  void SetUp() override {
    ForceAudioOutput(HeadlessAudioOutput());
    ASSERT_TRUE(BASS_Init(-1, 44100, 32, nullptr));
    ASSERT_TRUE(BASS_Start());
  }
  void TearDown() override {
    BASS_Free();
    ForceAudioOutput(nullptr);
  }

  std::vector<float> Mix(int frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    MixAudio(out.data(), frames);
    return out;
  }

  HSAMPLE LoadWavSample(const std::vector<float>& values, DWORD max) {
    const std::string wav = MakeWav(values);
    return BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), max, 0);
  }

  TempDir dir;
};

double Rms(const std::vector<float>& mix) {
  double sum = 0;
  for (float v : mix) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(mix.size()));
}

TEST_F(AudioMixer, PlaybacksOfOneSampleOverlapUpToTheirLimitAndEndInactive) {
  const HSAMPLE sample = LoadWavSample(std::vector<float>(1000, 0.25f), 2);
  ASSERT_NE(sample, 0u);
  const HCHANNEL first = BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE);
  EXPECT_NEAR(Mix(400)[0], 0.25f, 1e-3);
  const HCHANNEL second = BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE);
  ASSERT_NE(second, 0u);
  EXPECT_NE(second, first);
  EXPECT_EQ(BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE), 0u) << "a third is over the limit";
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCHAN);
  EXPECT_NEAR(Mix(100)[0], 0.5f, 1e-3) << "both play at once";
  EXPECT_EQ(BASS_ChannelIsActive(first), static_cast<DWORD>(BASS_ACTIVE_PLAYING));

  std::vector<float> tail = Mix(600);  // first ends after 500 of these
  EXPECT_NEAR(tail[2 * 499], 0.5f, 1e-3);
  EXPECT_NEAR(tail[2 * 500], 0.25f, 1e-3);
  EXPECT_EQ(BASS_ChannelIsActive(first), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(BASS_ChannelIsActive(second), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
  EXPECT_NE(BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE), 0u) << "the finished one's place is free";
  Mix(1000);
  EXPECT_EQ(BASS_ChannelIsActive(second), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(Rms(Mix(100)), 0.0);
}

TEST_F(AudioMixer, VolumesAndPanScaleTheMixAndTheSumIsClipped) {
  const HSAMPLE sample = LoadWavSample(std::vector<float>(4000, 0.4f), 255);
  BASS_SetGlobalVolumes(-1, 50, -1);
  const HCHANNEL channel = BASS_SamplePlayEx(sample, 0, -1, 50, -100, FALSE);
  std::vector<float> mix = Mix(10);
  EXPECT_NEAR(mix[0], 0.1f, 1e-3) << "left: 0.4 x 50% x 50%";
  EXPECT_EQ(mix[1], 0.0f) << "panned fully left";
  BASS_ChannelSetAttributes(channel, -1, -1, -101);
  EXPECT_NEAR(Mix(10)[1], 0.0f, 1e-6) << "-101 leaves the pan as it was";
  BASS_ChannelSetAttributes(channel, -1, 100, 0);
  EXPECT_NEAR(Mix(10)[1], 0.2f, 1e-3);
  BASS_SetGlobalVolumes(-1, 250, -1);  // out of range: taken as 100
  for (int i = 0; i < 3; ++i) BASS_SamplePlayEx(sample, 0, -1, -1, -101, FALSE);
  mix = Mix(10);
  EXPECT_EQ(mix[0], 1.0f) << "4 x 0.4 clipped";
  EXPECT_EQ(mix[1], 1.0f);
}

TEST_F(AudioMixer, StreamLoopsWithoutAGapAndStopsAtItsEndOtherwise) {
  std::vector<float> ramp(1000);
  for (int i = 0; i < 1000; ++i) ramp[i] = (i % 500) / 1000.0f + 0.1f;
  WriteTextFile(dir.File("ramp.wav"), MakeWav(ramp));
  const std::string path = dir.File("ramp.wav");
  const HSTREAM looping = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_SAMPLE_LOOP);
  ASSERT_NE(looping, 0u);
  ASSERT_TRUE(BASS_StreamPlay(looping, FALSE, BASS_SAMPLE_LOOP));
  const std::vector<float> mix = Mix(2500);
  int wrong = 0;
  for (int i = 0; i < 2500; ++i) wrong += std::fabs(mix[2 * i] - ramp[i % 1000]) > 1e-3f;
  EXPECT_EQ(wrong, 0);
  BASS_StreamPlay(looping, FALSE, BASS_SAMPLE_LOOP);  // as every frame does: no restart
  EXPECT_NEAR(Mix(1)[0], ramp[500], 1e-3);
  BASS_ChannelStop(looping);

  const HSTREAM once = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  BASS_StreamPlay(once, FALSE, 0);
  const std::vector<float> played = Mix(1200);
  EXPECT_NEAR(played[2 * 999], ramp[999], 1e-3);
  EXPECT_EQ(played[2 * 1000], 0.0f);
  EXPECT_EQ(BASS_ChannelIsActive(once), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
}

TEST_F(AudioMixer, OggVorbisDecodesAsSampleAndAsStream) {
  // Mono, 0.5 s, 440 Hz, peak 0.5.
  const std::string path = VG_TEST_SOURCE_DIR "/sound/data/tone.ogg";
  const HSAMPLE sample = BASS_SampleLoad(FALSE, path.c_str(), 0, 0, 1, 0);
  ASSERT_NE(sample, 0u);
  const HCHANNEL channel = BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE);
  const std::vector<float> mix = Mix(22000);
  EXPECT_NEAR(Rms(mix), 0.5 / std::sqrt(2.0), 0.05);
  int sidesDiffer = 0;
  for (size_t i = 0; i < mix.size(); i += 2) sidesDiffer += mix[i] != mix[i + 1];
  EXPECT_EQ(sidesDiffer, 0) << "mono is heard on both sides";
  Mix(200);
  EXPECT_EQ(BASS_ChannelIsActive(channel), static_cast<DWORD>(BASS_ACTIVE_STOPPED));

  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_SAMPLE_LOOP);
  BASS_StreamPlay(stream, FALSE, BASS_SAMPLE_LOOP);
  EXPECT_NEAR(Rms(Mix(44100)), 0.5 / std::sqrt(2.0), 0.05) << "the second half is the loop";
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, "no such file.ogg", 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

// The decoder stops in the middle of broken_setup.ogg's codebooks (LeakSanitizer sees anything it
// keeps); many_comments.ogg claims more comments than there is memory for a list of;
// negative_comment.ogg gives a comment a negative length.
TEST_F(AudioMixer, OggFilesTheDecoderGivesUpOnAreRefusedAndLeaveNothingBehind) {
  for (const char* name : {"broken_setup.ogg", "many_comments.ogg", "negative_comment.ogg"}) {
    const std::string path = std::string(VG_TEST_SOURCE_DIR "/platform/data/") + name;
    EXPECT_EQ(BASS_SampleLoad(FALSE, path.c_str(), 0, 0, 1, 0), 0u) << name;
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 0u) << name;
  }
}

// A stream resamples by decoding every native sample, so a forged rate of 1.6 GHz had 512 frames
// at 8 kHz decode 100 million (tens of seconds of the sound thread, from a 4 KB file).
TEST_F(AudioMixer, OggFilesClaimingARateNoOutputPlaysAreRefused) {
  const std::string tone = ReadBytes(VG_TEST_SOURCE_DIR "/sound/data/tone.ogg");
  const size_t header = tone.find("\x01vorbis");
  ASSERT_NE(header, std::string::npos);
  for (uint32_t rate : {96000u, 1000001u, 1644167492u}) {
    std::string forged = tone;
    for (int i = 0; i < 4; ++i) forged[header + 12 + i] = static_cast<char>(rate >> (8 * i));
    const std::string path = dir.File("forged.ogg");
    WriteTextFile(path, forged);
    const bool plays = rate <= 1000000;
    EXPECT_EQ(BASS_SampleLoad(FALSE, path.c_str(), 0, 0, 1, 0) != 0, plays) << rate;
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_SAMPLE_LOOP) != 0, plays) << rate;
  }
}

TEST_F(AudioMixer, ModulePlaysFromTheGivenOrderLoopsAndIsAmplified) {
  const std::string module = MakeModule(48);
  WriteTextFile(dir.File("song.mod"), module);
  const std::string path = dir.File("song.mod");
  const HMUSIC music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_LOOP);
  ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_MusicPlayEx(music, 47, 534, TRUE));
  const double unity = Rms(Mix(4410));
  EXPECT_GT(unity, 0.01);
  EXPECT_EQ(LOWORD(BASS_ChannelGetPosition(music)), 47);
  BASS_MusicSetAmplify(music, 100);
  EXPECT_NEAR(Rms(Mix(4410)) / unity, 2.0, 0.1);
  Mix(44100 * 2);  // past the end of order 47: loops to the start
  EXPECT_EQ(BASS_ChannelIsActive(music), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
  EXPECT_LT(LOWORD(BASS_ChannelGetPosition(music)), 47);
  EXPECT_FALSE(BASS_MusicPlayEx(music, 48, 534, TRUE)) << "there is no order 48";

  const HMUSIC once = BASS_MusicLoad(TRUE, module.data(), 0, static_cast<DWORD>(module.size()), 0);
  BASS_MusicPlayEx(once, 47, 0, TRUE);
  Mix(44100 * 2);
  EXPECT_EQ(BASS_ChannelIsActive(once), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
}

TEST(AudioLayer, WithoutADeviceEveryCallFailsQuietly) {
  ScopedEnv noFile("VESPERGLEN_AUDIO_OUT", nullptr);
  ScopedEnv dummy("SDL_AUDIODRIVER", "dummy");
  EXPECT_FALSE(BASS_Init(-1, 44100, 32, nullptr));
  EXPECT_FALSE(BASS_Start());
  EXPECT_EQ(BASS_SampleLoad(FALSE, "birds1.ogg", 0, 0, 255, 0), 0u);
  EXPECT_EQ(BASS_SamplePlayEx(0, 0, 44100, -1, -101, FALSE), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, "music.ogg", 0, 0, 4), 0u);
  EXPECT_FALSE(BASS_StreamPlay(0, FALSE, 4));
  EXPECT_EQ(BASS_ChannelIsActive(0), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_FALSE(BASS_Free());
}

unsigned fakeNow = 0;
unsigned FakeClock() { return fakeNow; }

TEST(AudioLayer, WavFileOutputFollowsTheClockAndPlacesEachStartAtItsTime) {
  TempDir dir;
  const std::string path = dir.File("out.wav");
  ConfigureWavFileOutput(path.c_str(), FakeClock);
  ForceAudioOutput(WavFileAudioOutput());
  fakeNow = 5000;
  ASSERT_TRUE(BASS_Init(-1, 44100, 32, nullptr));
  BASS_Start();
  const std::string wav = MakeWav(std::vector<float>(441, 0.5f));
  const HSAMPLE sample = BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), 1, 0);
  fakeNow += 100;
  BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE);
  fakeNow += 100;
  BASS_Stop();
  BASS_Free();
  ForceAudioOutput(nullptr);
  ConfigureWavFileOutput(nullptr, nullptr);

  const std::string file = ReadTextFile(path);
  ASSERT_EQ(file.size(), 44u + 8820 * 4) << "200 ms of 16-bit stereo";
  auto frame = [&](int i) {
    return static_cast<int16_t>(static_cast<uint8_t>(file[44 + 4 * i]) |
                                (static_cast<uint8_t>(file[45 + 4 * i]) << 8));
  };
  EXPECT_EQ(frame(4409), 0);
  EXPECT_NEAR(frame(4410), 16383, 2) << "the sample starts at 100 ms";
  EXPECT_NEAR(frame(4410 + 440), 16383, 2);
  EXPECT_EQ(frame(4410 + 441), 0);
  const uint32_t dataSize = static_cast<uint8_t>(file[40]) | (static_cast<uint8_t>(file[41]) << 8) |
                            (static_cast<uint8_t>(file[42]) << 16);
  EXPECT_EQ(dataSize, 8820u * 4);
}

TEST(AudioLayer, NonFiniteSamplesBecomeSilenceInTheMixAndTheWavFile) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> values(441, 0.25f);
  for (int i = 100; i < 200; i += 3) values[size_t(i)] = nan;
  values[300] = inf;
  values[301] = -inf;
  TempDir dir;
  const std::string source = dir.File("bad.wav");
  WriteTextFile(source, MakeFloatWav(values));
  const std::string path = dir.File("out.wav");
  ConfigureWavFileOutput(path.c_str(), FakeClock);
  ForceAudioOutput(WavFileAudioOutput());
  fakeNow = 1000;
  ASSERT_TRUE(BASS_Init(-1, 44100, 32, nullptr));
  BASS_Start();
  const HSAMPLE sample = BASS_SampleLoad(FALSE, source.c_str(), 0, 0, 1, 0);
  ASSERT_NE(sample, 0u);
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, source.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE);
  BASS_StreamPlay(stream, FALSE, 0);
  fakeNow += 20;  // 882 frames: both play through
  BASS_Stop();
  BASS_Free();
  ForceAudioOutput(nullptr);
  ConfigureWavFileOutput(nullptr, nullptr);

  const std::string file = ReadTextFile(path);
  ASSERT_EQ(file.size(), 44u + 882 * 4);
  auto frame = [&](int i) {
    return static_cast<int16_t>(static_cast<uint8_t>(file[44 + 4 * i]) |
                                (static_cast<uint8_t>(file[45 + 4 * i]) << 8));
  };
  EXPECT_NEAR(frame(10), 16383, 2) << "sample and stream, 0.25 each";
  EXPECT_NEAR(frame(101), 16383, 2);
  // A bad value and its neighbour, which shares the interpolation, are quieter; never loud.
  for (int i = 0; i < 882; ++i) EXPECT_LE(std::abs(frame(i)), 16385) << i;
  EXPECT_EQ(frame(800), 0);
}

TEST_F(AudioMixer, NonFiniteSamplesAndStreamsMixAsSilence) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> values = {nan, inf, -inf, nan, 0.5f, nan, nan, nan};
  const std::string wav = MakeFloatWav(values);
  WriteTextFile(dir.File("bad.wav"), wav);
  const HSAMPLE sample = BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), 1, 0);
  ASSERT_NE(sample, 0u);
  BASS_SamplePlayEx(sample, 0, 44100, -1, -101, FALSE);
  std::vector<float> mix = Mix(10);
  for (size_t i = 0; i < mix.size(); ++i) {
    EXPECT_TRUE(std::isfinite(mix[i])) << i;
    if (i / 2 != 4) {
      EXPECT_EQ(mix[i], 0.0f) << i;
    }
  }
  EXPECT_NEAR(mix[8], 0.5f, 1e-6);
  const std::string path = dir.File("bad.wav");
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  BASS_StreamPlay(stream, FALSE, 0);
  mix = Mix(10);
  for (size_t i = 0; i < mix.size(); ++i) EXPECT_TRUE(std::isfinite(mix[i])) << i;
  EXPECT_NEAR(mix[8], 0.5f, 1e-6);
  EXPECT_EQ(mix[0], 0.0f);
}

}  // namespace
