// The ambient one-shots. Each fades in and out, because the engine starts the brook and the
// waterfall again every three seconds or so and the copies must overlap without a seam.
#include <cmath>
#include <vector>

#include "noise.h"
#include "sound_files.h"

namespace {

constexpr int kRate = 44100;
constexpr float kTwoPi = 6.2831853f;

struct Chirp {
  float start, length;    // seconds
  float fromHz, toHz;     // glide
  float trillHz, trillDepth;
  float loudness;
};

void AddChirp(std::vector<float>& out, const Chirp& c) {
  int first = int(c.start * kRate), count = int(c.length * kRate);
  float phase = 0;
  for (int i = 0; i < count && first + i < int(out.size()); ++i) {
    float t = float(i) / float(count);
    float glide = c.fromHz * std::pow(c.toHz / c.fromHz, t * t * (3 - 2 * t));
    float hz = glide * (1 + c.trillDepth * std::sin(kTwoPi * c.trillHz * float(i) / kRate));
    phase += kTwoPi * hz / kRate;
    float envelope = std::sin(3.14159265f * std::pow(t, 0.6f)) * c.loudness;
    out[size_t(first + i)] += envelope * (std::sin(phase) + 0.18f * std::sin(2 * phase));
  }
}

// A little room: a few feedback echoes, so the birds sound as if in a wood, not in a box.
void AddWoodland(std::vector<float>& out) {
  const int delays[3] = {1601, 2399, 3203};
  for (int d : delays)
    for (size_t i = size_t(d); i < out.size(); ++i) out[i] += out[i - size_t(d)] * 0.22f;
}

void Normalise(std::vector<float>& out, float peak) {
  float most = 1e-6f;
  for (float v : out) most = std::fmax(most, std::fabs(v));
  for (float& v : out) v *= peak / most;
}

void FadeEnds(std::vector<float>& out, float seconds) {
  size_t n = size_t(seconds * kRate);
  for (size_t i = 0; i < n && i < out.size(); ++i) {
    float g = std::sin(1.5707963f * float(i) / float(n));
    out[i] *= g * g;
    out[out.size() - 1 - i] *= g * g;
  }
}

std::vector<float> BirdSong(int variant) {
  std::vector<float> out(size_t(2.6f * kRate), 0.0f);
  Rng rng(uint64_t(500 + variant));
  if (variant == 0) {  // clear falling whistles
    for (int i = 0; i < 4; ++i)
      AddChirp(out, {0.1f + float(i) * 0.42f, 0.3f, 4200 - float(i) * 250, 2900 - float(i) * 200, 0, 0, 1.0f - float(i) * 0.15f});
  } else if (variant == 1) {  // a quick trill rising into a flourish
    for (int i = 0; i < 14; ++i)
      AddChirp(out, {0.15f + float(i) * 0.075f, 0.06f, 3000 + float(i) * 80, 5200 + float(i) * 60, 0, 0, 0.8f});
    AddChirp(out, {1.3f, 0.45f, 3600, 5600, 28, 0.06f, 0.9f});
  } else {  // a warbling phrase from a farther bird
    for (int i = 0; i < 9; ++i) {
      float from = rng.Range(2400, 4800), to = rng.Range(2400, 4800);
      AddChirp(out, {0.1f + float(i) * 0.22f, rng.Range(0.1f, 0.18f), from, to, rng.Range(20, 45), 0.05f, 0.6f});
    }
  }
  AddWoodland(out);
  Normalise(out, 0.7f);
  FadeEnds(out, 0.05f);
  return out;
}

// Babbling: many small resonant bubbles whose pitch rises as they close, over soft noise.
std::vector<float> Brook() {
  std::vector<float> out(size_t(3.6f * kRate), 0.0f);
  Rng rng(601);
  for (float t = 0; t < 3.5f; t += rng.Range(0.005f, 0.03f)) {
    float hz = rng.Range(350, 1600), length = rng.Range(0.02f, 0.06f), loudness = rng.Range(0.1f, 0.5f);
    int first = int(t * kRate), count = int(length * kRate);
    float phase = 0;
    for (int i = 0; i < count && first + i < int(out.size()); ++i) {
      float u = float(i) / float(count);
      phase += kTwoPi * hz * (1 + 0.9f * u) / kRate;
      out[size_t(first + i)] += std::sin(phase) * std::exp(-5 * u) * std::sin(3.14159265f * std::fmin(1.0f, u * 20)) * loudness;
    }
  }
  float low = 0, band = 0;
  for (float& v : out) {
    float noise = rng.Range(-1, 1);
    low += (noise - low) * 0.15f;
    band += (low - band) * 0.02f;
    v += (low - band) * 0.25f;
  }
  Normalise(out, 0.6f);
  FadeEnds(out, 0.45f);
  return out;
}

// Rushing water: pink-ish noise over a brown rumble.
std::vector<float> Waterfall() {
  std::vector<float> out(size_t(3.6f * kRate), 0.0f);
  Rng rng(701);
  float b0 = 0, b1 = 0, b2 = 0, rumble = 0;
  for (float& v : out) {
    float white = rng.Range(-1, 1);
    b0 = 0.997f * b0 + white * 0.029591f;
    b1 = 0.985f * b1 + white * 0.032534f;
    b2 = 0.950f * b2 + white * 0.048056f;
    rumble = rumble * 0.995f + white * 0.02f;
    v = (b0 + b1 + b2 + white * 0.05f) * 0.8f + rumble * 1.5f;
  }
  Normalise(out, 0.55f);
  FadeEnds(out, 0.55f);
  return out;
}

}  // namespace

bool WriteSounds(const std::string& soundsDir) {
  bool ok = true;
  for (int i = 0; i < 3; ++i)
    ok = WriteOggVorbis(soundsDir + "/birds" + std::to_string(i + 1) + ".ogg", BirdSong(i), 1, kRate, 0.3f) && ok;
  ok = WriteOggVorbis(soundsDir + "/brook.ogg", Brook(), 1, kRate, 0.2f) && ok;
  ok = WriteOggVorbis(soundsDir + "/waterfall.ogg", Waterfall(), 1, kRate, 0.1f) && ok;
  return ok;
}
