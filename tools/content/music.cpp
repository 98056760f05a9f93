// The music: one slow progression, rendered as a seamless looping stream and written as a
// tracker module that plays the same chords.
#include <cmath>
#include <vector>

#include "byte_writer.h"
#include "noise.h"
#include "sound_files.h"

namespace {

constexpr int kRate = 44100;
constexpr float kTwoPi = 6.2831853f;
constexpr float kBarSeconds = 4.0f;
constexpr int kBars = 16;  // 64 seconds

// Chords as MIDI notes (root in the bass, three pad voices), one per bar, D major, calm.
struct Chord {
  int bass, pad[3];
};
const Chord kChords[kBars] = {
    {50, {62, 66, 69}}, {47, {62, 66, 71}}, {43, {62, 67, 71}}, {45, {61, 64, 69}},
    {50, {62, 66, 69}}, {47, {62, 66, 71}}, {43, {59, 62, 67}}, {45, {61, 64, 67}},
    {42, {61, 66, 69}}, {47, {59, 62, 66}}, {43, {59, 62, 67}}, {45, {57, 61, 64}},
    {43, {62, 67, 71}}, {45, {61, 64, 69}}, {47, {62, 66, 71}}, {45, {61, 64, 69}}};

float MidiHz(float note) { return 440.0f * std::pow(2.0f, (note - 69) / 12); }

// Sine by table, phase in cycles: the loop needs tens of millions of them.
struct SineTable {
  static constexpr int kSize = 4096;
  float values[kSize + 1];
  // Harmonic weights: a pure sine by default, a soft pad tone for the pad table.
  explicit SineTable(float second = 0, float third = 0) {
    for (int i = 0; i <= kSize; ++i) {
      float phase = kTwoPi * float(i) / kSize;
      values[i] = std::sin(phase) + second * std::sin(2 * phase + 1) + third * std::sin(3 * phase);
    }
  }
  float operator()(double cycles) const {
    double f = (cycles - std::floor(cycles)) * kSize;
    int i = int(f);
    float t = float(f - i);
    return values[i] + (values[i + 1] - values[i]) * t;
  }
};
const SineTable kSine;
const SineTable kPadWave(0.3f, 0.12f);

// The loop is rendered into a ring: whatever rings past the end sounds at the start, so
// the stream loops without a seam.
void AddToRing(std::vector<float>& ring, size_t frame, float left, float right) {
  size_t frames = ring.size() / 2;
  frame %= frames;
  ring[frame * 2] += left;
  ring[frame * 2 + 1] += right;
}

void AddPadNote(std::vector<float>& ring, float start, float length, float note, float pan, float loudness) {
  float hz = MidiHz(note);
  size_t first = size_t(start * kRate), count = size_t((length + 2.5f) * kRate);
  for (size_t i = 0; i < count; ++i) {
    float t = float(i) / kRate;
    float attack = std::fmin(1.0f, t / 1.2f), release = t > length ? std::exp(-(t - length) * 2.2f) : 1.0f;
    float sound = 0;
    for (int voice = -1; voice <= 1; ++voice) {
      double cycles = double(hz) * (1 + 0.0025 * voice) * double(t);
      sound += kPadWave(cycles);
    }
    float v = sound * attack * release * loudness;
    AddToRing(ring, first + i, v * (1 - pan), v * (1 + pan));
  }
}

void AddBell(std::vector<float>& ring, float start, float note, float pan, float loudness) {
  float hz = MidiHz(note);
  size_t first = size_t(start * kRate), count = size_t(3.0f * kRate);
  for (size_t i = 0; i < count; ++i) {
    float t = float(i) / kRate;
    float index = 2.5f * std::exp(-t * 4);
    double cycles = double(hz) * double(t);
    float v = kSine(cycles + index / kTwoPi * kSine(3.5 * cycles)) * std::exp(-t * 1.6f) * std::fmin(1.0f, t * 200) *
              loudness;
    AddToRing(ring, first + i, v * (1 - pan), v * (1 + pan));
  }
}

// A plain Schroeder reverb, run twice round the ring so its tail wraps as well.
void Reverb(std::vector<float>& ring) {
  size_t frames = ring.size() / 2;
  for (int channel = 0; channel < 2; ++channel) {
    const size_t combs[4] = {1557 + size_t(channel) * 23, 1617 + size_t(channel) * 23, 1491 + size_t(channel) * 23,
                             1422 + size_t(channel) * 23};
    std::vector<std::vector<float>> combBuffers;
    for (size_t c : combs) combBuffers.emplace_back(c, 0.0f);
    std::vector<float> wet(frames, 0.0f);
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t i = 0; i < frames; ++i) {
        float in = ring[i * 2 + size_t(channel)], sum = 0;
        for (size_t c = 0; c < 4; ++c) {
          float& slot = combBuffers[c][i % combs[c]];
          float out = slot;
          slot = in + out * 0.84f;
          sum += out;
        }
        wet[i] = sum * 0.25f;
      }
    }
    for (size_t i = 0; i < frames; ++i) ring[i * 2 + size_t(channel)] += wet[i] * 0.5f;
  }
}

std::vector<float> RenderLoop() {
  std::vector<float> ring(size_t(kBars * kBarSeconds * kRate) * 2, 0.0f);
  Rng rng(801);
  for (int bar = 0; bar < kBars; ++bar) {
    const Chord& chord = kChords[bar];
    float start = float(bar) * kBarSeconds;
    AddPadNote(ring, start, kBarSeconds, float(chord.bass - 12), 0, 0.10f);
    for (int v = 0; v < 3; ++v) AddPadNote(ring, start, kBarSeconds, float(chord.pad[v]), float(v - 1) * 0.4f, 0.045f);
    // A sparse bell line over the chord, two octaves up, never on every step.
    for (int step = 0; step < 8; ++step) {
      if (rng.Unit() < 0.45f) continue;
      int note = chord.pad[rng.Int(3)] + 12 * (1 + rng.Int(2));
      AddBell(ring, start + float(step) * kBarSeconds / 8, float(note), rng.Range(-0.6f, 0.6f), 0.10f);
    }
  }
  Reverb(ring);
  float peak = 1e-6f;
  for (float v : ring) peak = std::fmax(peak, std::fabs(v));
  for (float& v : ring) v *= 0.8f / peak;
  return ring;
}

// Tracker module. Notes are numbered 1 = C-0; 97 releases the note.
constexpr int kChannels = 6, kRows = 64, kOrders = 52;

int XmNote(int midi) { return midi - 11; }  // MIDI 60 (C-4) is module note 49

struct Cell {
  uint8_t note = 0, instrument = 0, volume = 0;
};

std::vector<uint8_t> PackPattern(const std::vector<Cell>& cells) {
  ByteWriter w;
  for (const Cell& c : cells) {
    if (c.note == 0) {
      w.U8(0x80);
      continue;
    }
    uint8_t flags = 0x80 | 0x01 | (c.instrument ? 0x02 : 0) | (c.volume ? 0x04 : 0);
    w.U8(flags).U8(c.note);
    if (c.instrument) w.U8(c.instrument);
    if (c.volume) w.U8(c.volume);
  }
  return w.data;
}

// Four bars per pattern (16 rows a bar); instrument 1 pad, 2 bass, 3 bell.
std::vector<uint8_t> Pattern(int firstBar) {
  std::vector<Cell> cells(size_t(kRows * kChannels));
  auto cell = [&](int row, int channel) -> Cell& { return cells[size_t(row * kChannels + channel)]; };
  Rng rng(uint64_t(900 + firstBar));
  for (int b = 0; b < 4; ++b) {
    const Chord& chord = kChords[firstBar + b];
    int row = b * 16;
    for (int v = 0; v < 3; ++v) cell(row, v) = {uint8_t(XmNote(chord.pad[v])), 1, 0x10 + 40};
    cell(row, 3) = {uint8_t(XmNote(chord.bass - 12)), 2, 0x10 + 48};
    for (int v = 0; v < 4; ++v) cell(row + 15, v) = {97, 0, 0};
    for (int step = 0; step < 8; ++step) {
      if (rng.Unit() < 0.45f) continue;
      int note = chord.pad[rng.Int(3)] + 12 * (1 + rng.Int(2));
      cell(row + step * 2, 4 + step % 2) = {uint8_t(XmNote(note)), 3, uint8_t(0x10 + 20 + rng.Int(16))};
    }
  }
  return PackPattern(cells);
}

// One looped or one-shot 16-bit sample, recorded at C-4 = 261.63 Hz over 128-sample cycles.
struct ModuleSample {
  std::vector<int16_t> data;
  bool loop;
};

ModuleSample PadSample(int harmonics, float decay) {
  ModuleSample s{{}, true};
  for (int i = 0; i < 128 * 8; ++i) {
    float phase = kTwoPi * float(i) / 128, v = 0;
    for (int h = 1; h <= harmonics; ++h) v += std::sin(phase * float(h)) / std::pow(float(h), decay);
    s.data.push_back(int16_t(v * 12000));
  }
  return s;
}

ModuleSample BellSample() {
  ModuleSample s{{}, false};
  const float rate = 33488.6f, hz = 261.63f;
  for (int i = 0; i < int(rate * 1.5f); ++i) {
    float t = float(i) / rate;
    float index = 2.5f * std::exp(-t * 4);
    float v = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * hz * 3.5f * t)) * std::exp(-t * 2.5f);
    s.data.push_back(int16_t(v * 20000 * std::fmin(1.0f, t * 200)));
  }
  return s;
}

void PutInstrument(ByteWriter& w, const char* name, const ModuleSample& sample, bool sustained) {
  w.U32(263).FixedText(name, 22).U8(0).U16(1);
  w.U32(40);
  for (int i = 0; i < 96; ++i) w.U8(0);
  // Volume envelope: slow swell, sustain, and a fade after the release.
  const uint16_t points[4][2] = {{0, 0}, {12, 64}, {40, 52}, {80, 0}};
  for (int i = 0; i < 12; ++i) w.U16(i < 4 ? points[i][0] : 0).U16(i < 4 ? points[i][1] : 0);
  for (int i = 0; i < 12; ++i) w.U16(0).U16(32);
  w.U8(4).U8(0);
  w.U8(2).U8(0).U8(0);   // sustain at the third point, no loop
  w.U8(0).U8(0).U8(0);
  w.U8(sustained ? 3 : 0).U8(0);
  w.U8(0).U8(0).U8(0).U8(0);
  w.U16(sustained ? 400 : 1200);
  for (int i = 0; i < 22; ++i) w.U8(0);
  uint32_t bytes = uint32_t(sample.data.size() * 2);
  w.U32(bytes).U32(0).U32(sample.loop ? bytes : 0);
  w.U8(64).U8(2).U8(uint8_t((sample.loop ? 1 : 0) | 0x10)).U8(128).U8(24).U8(0);
  w.FixedText(name, 22);
  int16_t previous = 0;
  for (int16_t v : sample.data) {
    w.U16(uint16_t(int16_t(v - previous)));
    previous = v;
  }
}

std::vector<uint8_t> Module() {
  ByteWriter w;
  w.Bytes("Extended Module: ", 17).FixedText("Vesperglen", 20).U8(0x1A).FixedText("vesperglen_content", 20);
  w.U16(0x0104).U32(276);
  const int patterns = kBars / 4;
  w.U16(kOrders).U16(0).U16(kChannels).U16(patterns).U16(3).U16(1).U16(6).U16(96);
  for (int i = 0; i < 256; ++i) w.U8(i < kOrders ? uint8_t(i % patterns) : 0);
  for (int p = 0; p < patterns; ++p) {
    std::vector<uint8_t> packed = Pattern(p * 4);
    w.U32(9).U8(0).U16(kRows).U16(uint16_t(packed.size()));
    w.Bytes(packed.data(), packed.size());
  }
  PutInstrument(w, "pad", PadSample(6, 1.6f), true);
  PutInstrument(w, "bass", PadSample(2, 2.0f), true);
  PutInstrument(w, "bell", BellSample(), false);
  return w.data;
}

}  // namespace

bool WriteMusic(const std::string& dataDir, const std::string& name) {
  bool ok = WriteOggVorbis(dataDir + "/" + name, RenderLoop(), 2, kRate, 0.25f);
  return WriteWholeFile(dataDir + "/music.xm", Module()) && ok;
}
