// The sound system against a recording audio layer: which BASS calls it makes, when, and with
// what.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/random.h"
#include "app/settings.h"
#include "scene/levels.h"
#include "sound/recording_bass.h"
#include "sound/sound_system.h"
#include "support/temp_files.h"

namespace {

class SoundSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRecordingBass();
    std::memset(soundSamples, 0, sizeof soundSamples);
    std::memset(playRequests, 0, sizeof playRequests);
    sampleCount = playRequestIndex = 0;
    musicHandle = 0;
    musicIsModule = false;
    musicPosition = -1;
    ambientClock = birdIndex = 0;
    settings.volume = 80;
    settings.sounds = 1;
    std::memset(extendedSettings.ambientKind, 0, sizeof extendedSettings.ambientKind);
    shownScene = nextScene = 0;
    frameDeltaMs = 20;
    frameDelta = 20.0f;
    SeedRandom(1234);
  }

  void AddSample(const char* name) {
    SoundSample& sample = soundSamples[sampleCount];
    std::strcpy(sample.name, name);
    sample.handle = static_cast<HSAMPLE>(1000 + sampleCount);
    sample.cooldown = 0;
    ++sampleCount;
  }

  const char* NameOfSample(long long handle) {
    for (int i = 0; i < sampleCount; ++i) {
      if (soundSamples[i].handle == handle) return soundSamples[i].name;
    }
    return "?";
  }

  int Waiting() {
    int waiting = 0;
    for (const PlayRequest& request : playRequests) waiting += request.state == kRequestWaiting;
    return waiting;
  }

  // Runs the sound steps of `frames` frames of 20 ms; returns "time:name" of every start.
  std::vector<std::string> RunFrames(int frames) {
    std::vector<std::string> starts;
    for (int frame = 0; frame < frames; ++frame) {
      const int time = ambientClock;
      recordingBass.calls.clear();
      UpdateAmbientSounds();
      UpdateSound();
      for (const BassCall& call : CallsNamed("BASS_SamplePlayEx")) {
        starts.push_back(std::to_string(time) + ":" + NameOfSample(call.args[0]));
      }
    }
    return starts;
  }
};

TEST_F(SoundSystem, InitOpensTheDefaultDeviceAndStopsThereWithoutOne) {
  recordingBass.initResult = FALSE;
  EXPECT_FALSE(InitSound());
  ASSERT_EQ(recordingBass.calls.size(), 1u);
  const std::vector<long long> initArgs = {-1, 44100, 32, reinterpret_cast<long long>(saverWindow)};
  EXPECT_EQ(recordingBass.calls[0].args, initArgs);

  ResetRecordingBass();
  playRequests[7].state = kRequestPlaying;
  settings.volume = 35;
  EXPECT_TRUE(InitSound());
  EXPECT_EQ(CallsNamed("BASS_Start").size(), 1u);
  ASSERT_EQ(CallsNamed("BASS_SetGlobalVolumes").size(), 1u);
  EXPECT_EQ(CallsNamed("BASS_SetGlobalVolumes")[0].args, (std::vector<long long>{35, 35, -1}));
  EXPECT_EQ(playRequests[7].state, kRequestFree);
  EXPECT_EQ(musicVolume, 35);
}

TEST_F(SoundSystem, MusicKindFollowsTheLastMatchingExtensionNotAtTheStart) {
  EXPECT_TRUE(IsModuleMusicName("song.it"));
  EXPECT_TRUE(IsModuleMusicName("SONG.XM"));
  EXPECT_TRUE(IsModuleMusicName("tune.mo3"));
  EXPECT_FALSE(IsModuleMusicName("tune.ogg"));
  EXPECT_FALSE(IsModuleMusicName("tune.mp3"));
  EXPECT_FALSE(IsModuleMusicName(".it")) << "the extension alone is no match";
  EXPECT_FALSE(IsModuleMusicName("tune.mod")) << "no match: a stream";
  EXPECT_TRUE(IsModuleMusicName("mix.xm.ogg")) << ".xm is checked after .ogg";
  EXPECT_TRUE(IsModuleMusicName("radio.italy.ogg")) << "a match inside the name counts too";
}

TEST_F(SoundSystem, LoadSoundsLoadsTheOggFilesOfSoundsAndOpensTheMusic) {
  TempDir data;
  ASSERT_TRUE(std::filesystem::create_directories(data.File("Sounds/sub.ogg")));
  WriteTextFile(data.File("Sounds/birds1.ogg"), "x");
  WriteTextFile(data.File("Sounds/Brook.OGG"), "x");
  WriteTextFile(data.File("Sounds/notes.txt"), "x");
  WriteTextFile(data.File("stray.ogg"), "x");
  std::snprintf(dataDir, sizeof dataDir, "%s/", data.Path().c_str());
  std::strcpy(musicName, "song.xm");
  ASSERT_EQ(chdir(dataDir), 0);

  LoadSounds();
  ASSERT_EQ(sampleCount, 2);
  std::vector<std::string> names = {soundSamples[0].name, soundSamples[1].name};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Brook.OGG", "birds1.ogg"}));
  const std::vector<BassCall> loads = CallsNamed("BASS_SampleLoad");
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[0].file, soundSamples[0].name);
  EXPECT_EQ(loads[0].args, (std::vector<long long>{FALSE, 0, 0, 255, 0}));
  EXPECT_EQ(soundSamples[0].handle, 100u);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(data.Path()));
  EXPECT_TRUE(musicIsModule);
  ASSERT_EQ(CallsNamed("BASS_MusicLoad").size(), 1u);
  EXPECT_EQ(CallsNamed("BASS_MusicLoad")[0].file, "song.xm");
  EXPECT_EQ(CallsNamed("BASS_MusicLoad")[0].args, (std::vector<long long>{FALSE, 0, 0, 4}));
  EXPECT_EQ(CallsNamed("BASS_MusicSetAmplify")[0].args[1], 80);

  // No Sounds folder: no samples, not even the Data folder's own .ogg files; a stream.
  std::filesystem::remove_all(data.File("Sounds"));
  SetUp();
  std::strcpy(musicName, "tune.ogg");
  LoadSounds();
  EXPECT_EQ(sampleCount, 0);
  EXPECT_FALSE(musicIsModule);
  ASSERT_EQ(CallsNamed("BASS_StreamCreateFile").size(), 1u);
  EXPECT_EQ(CallsNamed("BASS_StreamCreateFile")[0].args, (std::vector<long long>{FALSE, 0, 0, 4}));
}

TEST_F(SoundSystem, ModuleMusicStartsOnlyWhenThePositionChanges) {
  musicIsModule = true;
  musicHandle = 77;
  StartMusic(47);
  ASSERT_EQ(recordingBass.calls.size(), 2u);
  EXPECT_EQ(recordingBass.calls[0].args, (std::vector<long long>{77, -1, 100, -101}));
  EXPECT_EQ(recordingBass.calls[1].name, "BASS_MusicPlayEx");
  EXPECT_EQ(recordingBass.calls[1].args, (std::vector<long long>{77, 47, 534, TRUE}));
  StartMusic(47);
  EXPECT_EQ(recordingBass.calls.size(), 2u);
  UpdateSound();
  EXPECT_TRUE(CallsNamed("BASS_StreamPlay").empty()) << "modules need nothing per frame";

  ResetRecordingBass();
  musicIsModule = false;
  StartMusic(3);
  EXPECT_TRUE(recordingBass.calls.empty()) << "streams start in UpdateSound";
  settings.music = 0;
  musicVolume = 60;
  UpdateSound();
  EXPECT_EQ(CallsNamed("BASS_ChannelSetAttributes")[0].args, (std::vector<long long>{77, -1, 60, -101}));
  EXPECT_EQ(CallsNamed("BASS_StreamPlay")[0].args, (std::vector<long long>{77, FALSE, 4}));
}

TEST_F(SoundSystem, PlaySoundQueuesEveryDuplicateOnceWithinTheCooldown) {
  AddSample("brook.ogg");
  AddSample("birds1.ogg");
  AddSample("brook.ogg");
  PlaySound("brook.ogg");
  PlaySound("brook.ogg");
  PlaySound("Brook.ogg");
  PlaySound("rain.ogg");
  EXPECT_EQ(Waiting(), 2) << "both samples of that name, once each";
  EXPECT_EQ(playRequests[0].sample, 1000u);
  EXPECT_EQ(playRequests[1].sample, 1002u);
  EXPECT_EQ(playRequests[0].frequency, 44100);

  recordingBass.channelState = 0;
  UpdateSound();
  const std::vector<BassCall> starts = CallsNamed("BASS_SamplePlayEx");
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].args, (std::vector<long long>{1000, 0, 44100, -1, -101, 0}));
  EXPECT_EQ(playRequests[0].state, kRequestPlaying);
  UpdateSound();
  EXPECT_EQ(playRequests[0].state, 0) << "the finished channel frees its slot";
  PlaySound("brook.ogg");
  EXPECT_EQ(Waiting(), 2) << "the 5 ms have passed";
}

TEST_F(SoundSystem, AFullRingDropsRequestsUntilAPlaybackEnds) {
  AddSample("brook.ogg");
  for (int i = 0; i < kPlayRequestCount; ++i) {
    PlaySound("brook.ogg");
    UpdateSound();  // starts it, and the cooldown passes
  }
  for (const PlayRequest& request : playRequests) ASSERT_EQ(request.state, kRequestPlaying);
  recordingBass.calls.clear();
  PlaySound("brook.ogg");
  UpdateSound();
  EXPECT_TRUE(CallsNamed("BASS_SamplePlayEx").empty());

  playRequests[200].state = 0;
  PlaySound("brook.ogg");
  EXPECT_EQ(playRequests[200].state, kRequestWaiting);
}

TEST_F(SoundSystem, BrookIsRequestedAtStartAndOncePerPeriod) {
  AddSample("brook.ogg");
  extendedSettings.ambientKind[2] = kAmbientBrook;
  nextScene = 2;
  recordingBass.channelState = 0;
  const std::vector<std::string> starts = RunFrames(500);  // 10 s
  EXPECT_EQ(starts, (std::vector<std::string>{"0:brook.ogg", "3080:brook.ogg", "6180:brook.ogg",
                                              "9280:brook.ogg"}));
}

TEST_F(SoundSystem, BirdsChangeEveryTimeAndFollowTheSceneBeingChangedTo) {
  AddSample("birds1.ogg");
  AddSample("birds2.ogg");
  AddSample("birds3.ogg");
  AddSample("waterfall.ogg");
  extendedSettings.ambientKind[1] = kAmbientBirds;
  extendedSettings.ambientKind[4] = kAmbientWaterfall;
  nextScene = 1;
  recordingBass.channelState = 0;
  frameDeltaMs = 0;  // the first frame after start
  frameDelta = 0;
  EXPECT_EQ(RunFrames(1), (std::vector<std::string>{})) << "the start plays when the clock first moves";
  frameDeltaMs = 20;
  frameDelta = 20;
  const std::vector<std::string> starts = RunFrames(20 * 310);  // 124 s
  ASSERT_EQ(starts.size(), 21u) << "at 0 and at the end of each of 20 periods";
  for (size_t i = 0; i < starts.size(); ++i) {
    EXPECT_NE(starts[i].find(":birds"), std::string::npos);
    if (i > 0) {
      EXPECT_NE(starts[i].substr(starts[i].find(':')), starts[i - 1].substr(starts[i - 1].find(':')));
    }
  }
  EXPECT_EQ(starts[0], "0:birds1.ogg");

  nextScene = 4;
  const std::vector<std::string> after = RunFrames(150);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_NE(after[0].find("waterfall.ogg"), std::string::npos);
}

TEST_F(SoundSystem, AmbientClockStandsWithSoundsOffAndSurvivesWeeksOfRunning) {
  AddSample("waterfall.ogg");
  extendedSettings.ambientKind[0] = kAmbientWaterfall;
  settings.sounds = 0;
  EXPECT_TRUE(RunFrames(300).empty());
  EXPECT_EQ(ambientClock, 0);

  settings.sounds = 1;
  ambientClock = 1860000000 - 10;  // a multiple of 3000 is 10 ms away; the clock would overflow soon
  const std::vector<std::string> starts = RunFrames(1);
  EXPECT_EQ(starts.size(), 1u);
  EXPECT_GT(ambientClock, 0);
  EXPECT_EQ(ambientClock % 3000, 10);
  RunFrames(1);
  EXPECT_EQ(CallsNamed("BASS_SamplePlayEx").size(), 0u);
}

}  // namespace
