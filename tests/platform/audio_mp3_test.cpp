// MP3 streams: recognising the frames, decoding and looping through the mixer, and files that are
// broken in the ways a user's own files are.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bass.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/mixer.h"
#include "platform/audio/mp3_frames.h"
#include "platform/audio_test_files.h"
#include "support/temp_files.h"

namespace {

// Mono, 1 s of 440 Hz at peak 0.5, 32 kHz, 48 kbit/s, behind an ID3v2 tag.
const char* const kTonePath = VG_TEST_SOURCE_DIR "/sound/data/tone.mp3";
// Stereo, 2 s of 330 Hz on the left and 440 Hz on the right, each at peak 0.4, 44.1 kHz.
const char* const kChordPath = VG_TEST_SOURCE_DIR "/sound/data/chord.mp3";

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

class Mp3Stream : public ::testing::Test {
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

  HSTREAM Open(const std::string& bytes, DWORD flags) {
    const std::string path = dir.File("music.mp3");
    WriteTextFile(path, bytes);
    return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, flags);
  }

  TempDir dir;
};

// Level and sign changes of one side (0 left, 1 right) over frames [first, first + count).
struct Window {
  double rms = 0;
  int crossings = 0;
};

Window Measure(const std::vector<float>& mix, int first, int count, int side = 0) {
  Window w;
  double sum = 0;
  for (int i = first; i < first + count; ++i) {
    const float v = mix[2 * static_cast<size_t>(i) + side];
    sum += static_cast<double>(v) * v;
    if (i > first && (v >= 0) != (mix[2 * static_cast<size_t>(i - 1) + side] >= 0)) ++w.crossings;
  }
  w.rms = std::sqrt(sum / count);
  return w;
}

TEST(Mp3Frames, HeadersAreReadAndAStreamIsFoundOnlyWhereFramesFollowEachOther) {
  Mp3Frame frame;
  const unsigned char mpeg1Mono[4] = {0xFF, 0xFB, 0x92, 0xC4};  // 128 kbit/s, 44.1 kHz, padded
  ASSERT_TRUE(ParseMp3FrameHeader(mpeg1Mono, &frame));
  EXPECT_EQ(frame.rate, 44100);
  EXPECT_EQ(frame.channels, 1);
  EXPECT_EQ(frame.bitrate, 128000);
  EXPECT_EQ(frame.length, 418);
  EXPECT_EQ(frame.samples, 1152);
  const unsigned char mpeg2Stereo[4] = {0xFF, 0xF3, 0x48, 0x00};  // 32 kbit/s, 16 kHz
  ASSERT_TRUE(ParseMp3FrameHeader(mpeg2Stereo, &frame));
  EXPECT_EQ(frame.rate, 16000);
  EXPECT_EQ(frame.channels, 2);
  EXPECT_EQ(frame.length, 144);
  EXPECT_EQ(frame.samples, 576);
  const unsigned char layer2[4] = {0xFF, 0xFD, 0x90, 0x00};
  const unsigned char freeFormat[4] = {0xFF, 0xFB, 0x00, 0x00};
  const unsigned char badRate[4] = {0xFF, 0xFB, 0x9C, 0x00};
  const unsigned char reservedVersion[4] = {0xFF, 0xEB, 0x90, 0x00};
  EXPECT_FALSE(ParseMp3FrameHeader(layer2, &frame));
  EXPECT_FALSE(ParseMp3FrameHeader(freeFormat, &frame));
  EXPECT_FALSE(ParseMp3FrameHeader(badRate, &frame));
  EXPECT_FALSE(ParseMp3FrameHeader(reservedVersion, &frame));

  const std::string tone = ReadBytes(kTonePath);
  ASSERT_TRUE(FindFirstMp3Frame(Bytes(tone), tone.size(), &frame));
  EXPECT_GT(frame.offset, 10u) << "the ID3v2 tag is skipped";
  EXPECT_EQ(frame.rate, 32000);
  EXPECT_EQ(frame.channels, 1);

  // Two frames with empty bodies, after junk that holds a stray frame header.
  std::string frames(2 * 418, '\0');
  for (int k = 0; k < 2; ++k) frames.replace(418 * k, 4, reinterpret_cast<const char*>(mpeg1Mono), 4);
  const char junkBytes[] = "junk\xFF\xFB\x92\xC4 more junk";
  const std::string junk(junkBytes, sizeof(junkBytes) - 1);
  const std::string found = junk + frames;
  ASSERT_TRUE(FindFirstMp3Frame(Bytes(found), found.size(), &frame));
  EXPECT_EQ(frame.offset, junk.size()) << "the stray header has no frame behind it";
  const std::string wav = MakeWav(std::vector<float>(2000, 0.5f));
  EXPECT_FALSE(FindFirstMp3Frame(Bytes(wav), wav.size(), &frame));
  const std::string tagOnly = tone.substr(0, 10) + std::string(100, 'x');
  EXPECT_FALSE(FindFirstMp3Frame(Bytes(tagOnly), tagOnly.size(), &frame));
}

TEST_F(Mp3Stream, DecodesOnBothSidesLoopsAndPlaysOnceOtherwise) {
  const HSTREAM looping = BASS_StreamCreateFile(FALSE, kTonePath, 0, 0, BASS_SAMPLE_LOOP);
  ASSERT_NE(looping, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_StreamPlay(looping, FALSE, BASS_SAMPLE_LOOP));
  const std::vector<float> mix = Mix(3 * 44100);
  for (int second = 0; second < 3; ++second) {
    const Window w = Measure(mix, second * 44100 + 4410, 44100 - 8820);
    EXPECT_NEAR(w.rms, 0.5 / std::sqrt(2.0), 0.03) << "second " << second;
    EXPECT_NEAR(w.crossings, 2 * 440 * 0.8, 8) << "440 Hz in second " << second;
  }
  int sidesDiffer = 0;
  for (size_t i = 0; i < mix.size(); i += 2) sidesDiffer += mix[i] != mix[i + 1];
  EXPECT_EQ(sidesDiffer, 0) << "mono is heard on both sides";
  BASS_ChannelStop(looping);

  const HSTREAM stereo = BASS_StreamCreateFile(FALSE, kChordPath, 0, 0, BASS_SAMPLE_LOOP);
  ASSERT_NE(stereo, 0u);
  BASS_StreamPlay(stereo, FALSE, BASS_SAMPLE_LOOP);
  const std::vector<float> chord = Mix(44100);
  EXPECT_NEAR(Measure(chord, 4410, 22050, 0).crossings, 2 * 330 * 0.5, 6);
  EXPECT_NEAR(Measure(chord, 4410, 22050, 1).crossings, 2 * 440 * 0.5, 6);
  EXPECT_NEAR(Measure(chord, 4410, 22050, 1).rms, 0.4 / std::sqrt(2.0), 0.03);
  BASS_ChannelStop(stereo);

  const HSTREAM once = BASS_StreamCreateFile(FALSE, kTonePath, 0, 0, 0);
  ASSERT_TRUE(BASS_StreamPlay(once, FALSE, 0));
  EXPECT_GT(Measure(Mix(44100), 4410, 4410).rms, 0.3);
  Mix(44100 / 2);
  EXPECT_EQ(BASS_ChannelIsActive(once), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(Measure(Mix(4410), 0, 4410).rms, 0.0);
}

TEST_F(Mp3Stream, BrokenFilesOpenAsNothingOrPlayWhatTheyHoldWithinRange) {
  const std::string tone = ReadBytes(kTonePath);
  Mp3Frame first;
  ASSERT_TRUE(FindFirstMp3Frame(Bytes(tone), tone.size(), &first));

  EXPECT_EQ(Open(tone.substr(0, first.offset), BASS_SAMPLE_LOOP), 0u) << "the tag alone";
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
  std::string noise(20000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + i / 13) % 251);
  EXPECT_EQ(Open("ID3" + noise, BASS_SAMPLE_LOOP), 0u) << "a tag header over noise";

  // Cut in half: the first half plays, and loops.
  const HSTREAM cut = Open(tone.substr(0, first.offset + (tone.size() - first.offset) / 2),
                           BASS_SAMPLE_LOOP);
  ASSERT_NE(cut, 0u);
  BASS_StreamPlay(cut, FALSE, BASS_SAMPLE_LOOP);
  const std::vector<float> mix = Mix(2 * 44100);
  EXPECT_GT(Measure(mix, 4410, 4410).rms, 0.3);
  EXPECT_GT(Measure(mix, 0, 2 * 44100).rms, 0.2) << "still heard after the cut, from the start";
  EXPECT_EQ(BASS_ChannelIsActive(cut), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
  BASS_ChannelStop(cut);

  // Frames whose bodies are overwritten: whatever comes out stays a number within range.
  std::string damaged = tone;
  for (size_t i = first.offset + 300; i < damaged.size(); i += 97) {
    damaged.replace(i, 40, noise, i % 1000, 40);
  }
  const HSTREAM hurt = Open(damaged, BASS_SAMPLE_LOOP);
  if (hurt != 0) {
    BASS_StreamPlay(hurt, FALSE, BASS_SAMPLE_LOOP);
    int outside = 0;
    for (float v : Mix(2 * 44100)) outside += !(v >= -1.0f && v <= 1.0f);
    EXPECT_EQ(outside, 0);
  }
}

// Made by the fuzzer: "ID3" with a header that is no tag's, over the first frame. Fed from the
// file's start, libmpg123 worked on it for 43 s before its first sample, and then played
// something else than the frames do.
TEST_F(Mp3Stream, StreamsPlayFromTheirFirstFrameAndNothingBeforeItIsRead) {
  const std::string file = ReadBytes(VG_TEST_SOURCE_DIR "/platform/data/tag_over_first_frame.mp3");
  Mp3Frame first;
  ASSERT_TRUE(FindFirstMp3Frame(Bytes(file), file.size(), &first));
  ASSERT_GT(first.offset, 0u);
  std::vector<float> played[2];
  const std::string versions[2] = {file, file.substr(first.offset)};
  for (int i = 0; i < 2; ++i) {
    const HSTREAM stream = Open(versions[i], 0);
    ASSERT_NE(stream, 0u) << i;
    BASS_StreamPlay(stream, FALSE, 0);
    played[i] = Mix(8192);
    BASS_ChannelStop(stream);
  }
  EXPECT_GT(Measure(played[1], 0, 8192).rms, 0.0);
  EXPECT_EQ(played[0], played[1]);
}

}  // namespace
