// Sound files built in memory for the audio-layer tests: exact PCM in WAV files, and a small
// four-channel module whose every order plays the same short note.
#pragma once
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A whole file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// 16-bit stereo PCM; `values` are per frame, the same on both sides, in -1..1.
inline std::string MakeWav(const std::vector<float>& values, int rate = 44100) {
  auto put32 = [](std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  };
  auto put16 = [](std::string& s, uint16_t v) {
    s += static_cast<char>(v);
    s += static_cast<char>(v >> 8);
  };
  const uint32_t bytes = static_cast<uint32_t>(values.size() * 4);
  std::string wav = "RIFF";
  put32(wav, 36 + bytes);
  wav += "WAVEfmt ";
  put32(wav, 16);
  put16(wav, 1);
  put16(wav, 2);
  put32(wav, static_cast<uint32_t>(rate));
  put32(wav, static_cast<uint32_t>(rate) * 4);
  put16(wav, 4);
  put16(wav, 16);
  wav += "data";
  put32(wav, bytes);
  for (float v : values) {
    const auto pcm = static_cast<uint16_t>(static_cast<int16_t>(v * 32767.0f));
    put16(wav, pcm);
    put16(wav, pcm);
  }
  return wav;
}

// 32-bit float stereo; `values` are per frame, the same on both sides, stored as they are
// (so NaN and infinities too).
inline std::string MakeFloatWav(const std::vector<float>& values, int rate = 44100) {
  auto put32 = [](std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  };
  const uint32_t bytes = static_cast<uint32_t>(values.size() * 8);
  std::string wav = "RIFF";
  put32(wav, 36 + bytes);
  wav += "WAVEfmt ";
  put32(wav, 16);
  put32(wav, 3 | (2u << 16));  // IEEE float, two channels
  put32(wav, static_cast<uint32_t>(rate));
  put32(wav, static_cast<uint32_t>(rate) * 8);
  put32(wav, 8 | (32u << 16));  // block align, bits per sample
  wav += "data";
  put32(wav, bytes);
  for (float v : values) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    put32(wav, bits);
    put32(wav, bits);
  }
  return wav;
}

// A ProTracker module of `orders` orders, each its own pattern, played at one tick per row
// (64 rows = 1.28 s). Row 0 of every pattern starts a looping square wave on channel 1.
inline std::string MakeModule(int orders) {
  std::string mod(20, '\0');
  for (int sample = 0; sample < 31; ++sample) {
    std::string header(30, '\0');
    if (sample == 0) {
      header[23] = 16;  // length in words
      header[25] = 64;  // volume
      header[29] = 16;  // repeat length in words: the whole sample loops
    }
    mod += header;
  }
  mod += static_cast<char>(orders);
  mod += static_cast<char>(127);
  for (int i = 0; i < 128; ++i) mod += static_cast<char>(i < orders ? i : 0);
  mod += "M.K.";
  for (int pattern = 0; pattern < orders; ++pattern) {
    std::string cells(64 * 4 * 4, '\0');
    const int period = 428;
    cells[0] = static_cast<char>(period >> 8);
    cells[1] = static_cast<char>(period & 0xff);
    cells[2] = static_cast<char>((1 << 4) | 0xF);  // sample 1, set speed
    cells[3] = 1;
    mod += cells;
  }
  for (int i = 0; i < 32; ++i) mod += static_cast<char>(i < 16 ? 100 : -100);
  return mod;
}
