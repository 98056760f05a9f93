// The ambient one-shots. Each fades in and out, because the engine starts the brook and the
// waterfall again every three seconds or so and the copies must overlap without a seam.
#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"
#include "sound_files.h"

namespace {

constexpr int kRate = 44100;
constexpr float kTwoPi = 6.2831853f;

// Filters and a small room, so the sounds have the colour and the air of a recording.
struct Lowpass {
  float k, y = 0;
  explicit Lowpass(float hz) : k(1 - std::exp(-kTwoPi * hz / kRate)) {}
  float operator()(float x) { return y += (x - y) * k; }
};

struct Highpass {
  Lowpass low;
  explicit Highpass(float hz) : low(hz) {}
  float operator()(float x) { return x - low(x); }
};

// Noise that wanders slowly between lo and hi: gusts, the swell of a brook, a bird's unsteadiness.
struct Drift {
  Rng rng;
  Lowpass smooth;
  float lo, hi;
  Drift(uint64_t seed, float hz, float lo_, float hi_) : rng(seed), smooth(hz), lo(lo_), hi(hi_) {
    smooth.y = 0.5f;
  }
  float operator()() {
    float v = smooth(rng.Unit());
    v = std::fmin(1.0f, std::fmax(0.0f, (v - 0.5f) * 6.0f + 0.5f));
    return lo + (hi - lo) * v;
  }
};

// Comb and all-pass stages in the usual arrangement: a diffuse tail, as of trees or rock walls.
void AddRoom(std::vector<float>& out, float wet, float size) {
  const int combs[4] = {1557, 1617, 1491, 1422}, allpasses[2] = {225, 556};
  std::vector<float> tail(out.size(), 0.0f);
  for (int length : combs) {
    std::vector<float> line(size_t(float(length) * size), 0.0f);
    size_t at = 0;
    float damp = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      float y = line[at];
      damp = y * 0.6f + damp * 0.4f;
      line[at] = out[i] + damp * 0.8f;
      tail[i] += y * 0.25f;
      at = (at + 1) % line.size();
    }
  }
  for (int length : allpasses) {
    std::vector<float> line(size_t(length), 0.0f);
    size_t at = 0;
    for (float& v : tail) {
      float y = line[at];
      line[at] = v + y * 0.5f;
      v = y - v;
      at = (at + 1) % line.size();
    }
  }
  for (size_t i = 0; i < out.size(); ++i) out[i] = out[i] * (1 - wet * 0.5f) + tail[i] * wet;
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

// One sung note: its pitch follows breakpoints (eased between them), wavers a little as a real
// syrinx does, and may trill; the tone is nearly pure, with a faint second harmonic.
struct Note {
  float start, length;  // seconds
  float hz[4];          // contour, evenly spaced over the note; unused points are 0
  float trillHz, trillDepth, loudness;
};

float ContourAt(const Note& n, float t) {
  int points = 1;
  while (points < 4 && n.hz[points] > 0) ++points;
  if (points == 1) return n.hz[0];
  float x = t * float(points - 1);
  int i = std::min(points - 2, int(x));
  float f = x - float(i), eased = f * f * (3 - 2 * f);
  return n.hz[i] * std::pow(n.hz[i + 1] / n.hz[i], eased);
}

void Sing(std::vector<float>& out, const Note& n, Drift& waver) {
  int first = int(n.start * kRate), count = int(n.length * kRate);
  float phase = 0;
  for (int i = 0; i < count && first + i < int(out.size()); ++i) {
    float t = float(i) / float(count), seconds = float(i) / kRate;
    float hz = ContourAt(n, t) * waver() * (1 + n.trillDepth * std::sin(kTwoPi * n.trillHz * seconds));
    phase += kTwoPi * hz / kRate;
    float attack = std::fmin(1.0f, seconds / 0.008f), release = std::fmin(1.0f, (1 - t) * float(count) / (0.02f * kRate));
    float envelope = attack * release * (0.75f + 0.25f * std::sin(3.14159265f * t)) * n.loudness;
    out[size_t(first + i)] += envelope * (std::sin(phase) + 0.1f * std::sin(2 * phase));
  }
}

// Leaves stirring in a light wind: the bed every outdoor recording has under its birds.
void AddLeafBed(std::vector<float>& out, uint64_t seed, float level) {
  Rng rng(seed);
  Drift gusts(seed + 1, 0.8f, 0.3f, 1.0f);
  Highpass high(400);
  Lowpass low(2500);
  for (float& v : out) v += low(high(rng.Range(-1, 1))) * gusts() * level;
}

std::vector<float> BirdSong(int variant) {
  std::vector<float> out(size_t(2.6f * kRate), 0.0f);
  Rng rng(uint64_t(500 + variant));
  Drift waver(uint64_t(510 + variant), 25.0f, 0.985f, 1.015f);
  if (variant == 0) {  // a thrush: a phrase sung twice, then a higher answer
    const Note motif[3] = {{0, 0.11f, {2600, 3500, 3150, 0}, 0, 0, 1.0f},
                           {0.15f, 0.08f, {3900, 3300, 0, 0}, 0, 0, 0.8f},
                           {0.27f, 0.16f, {2900, 3050, 2750, 2500}, 0, 0, 0.9f}};
    for (float at : {0.1f, 0.72f})
      for (Note n : motif) {
        n.start += at + rng.Range(-0.01f, 0.01f);
        Sing(out, n, waver);
      }
    Sing(out, {1.42f, 0.09f, {4300, 5200, 0, 0}, 0, 0, 0.7f}, waver);
    Sing(out, {1.56f, 0.09f, {4300, 5200, 0, 0}, 0, 0, 0.65f}, waver);
    Sing(out, {1.7f, 0.22f, {4800, 3600, 3900, 0}, 32, 0.04f, 0.75f}, waver);
  } else if (variant == 1) {  // a finch: a falling trill that quickens, and a flourish to end it
    float at = 0.12f, pitch = 5600;
    for (int i = 0; i < 13; ++i) {
      float length = 0.055f - float(i) * 0.0018f;
      Sing(out, {at, length, {pitch, pitch * 0.72f, 0, 0}, 0, 0, 0.75f + 0.02f * float(i)}, waver);
      at += length + 0.03f - float(i) * 0.0012f;
      pitch *= 0.975f;
    }
    Sing(out, {at + 0.03f, 0.4f, {2700, 4900, 5400, 2300}, 0, 0, 1.0f}, waver);
  } else {  // a warbler farther off, and a distant call answering it
    float at = 0.1f;
    for (int i = 0; i < 10; ++i) {
      float from = rng.Range(2800, 5200), to = from * rng.Range(0.7f, 1.35f);
      float length = rng.Range(0.07f, 0.14f);
      Sing(out, {at, length, {from, to, 0, 0}, rng.Range(35, 60), 0.06f, rng.Range(0.45f, 0.65f)}, waver);
      at += length + rng.Range(0.02f, 0.06f);
    }
    for (float start : {0.35f, 1.65f}) Sing(out, {start, 0.18f, {3300, 2700, 0, 0}, 0, 0, 0.18f}, waver);
    Lowpass distance(6000);
    for (float& v : out) v = distance(v);
  }
  AddRoom(out, variant == 2 ? 0.45f : 0.3f, 1.0f);
  Normalise(out, 0.62f);
  AddLeafBed(out, uint64_t(520 + variant), 0.012f);
  Normalise(out, 0.7f);
  FadeEnds(out, 0.05f);
  return out;
}

// A bubble closing in water rings at a pitch set by its size and rises as it shrinks; small
// bubbles ring higher and die faster.
void AddBubble(std::vector<float>& out, float start, float hz, float loudness, float rise) {
  float decay = 0.043f * hz + 0.0014f * std::pow(hz, 1.5f);
  int first = int(start * kRate), count = int(std::fmin(0.15f, 7.0f / decay) * kRate);
  float phase = 0;
  for (int i = 0; i < count && first + i < int(out.size()); ++i) {
    float t = float(i) / kRate;
    phase += kTwoPi * hz * (1 + rise * decay * t) / kRate;
    float attack = std::fmin(1.0f, t / 0.0015f);
    out[size_t(first + i)] += std::sin(phase) * std::exp(-decay * t) * attack * loudness;
  }
}

// Many bubbles of sizes that favour the large, arriving in clusters where the water tumbles.
void AddBubbles(std::vector<float>& out, Rng& rng, Drift& rate, float seconds, float loHz, float hiHz, float level) {
  for (float t = 0.01f; t < seconds;) {
    float size = std::pow(rng.Unit(), 2.2f);
    float hz = loHz * std::pow(hiHz / loHz, size);
    AddBubble(out, t, hz, level * rng.Range(0.3f, 1.0f) * (1.2f - size), rng.Range(0.05f, 0.3f));
    t += -std::log(1 - rng.Unit() * 0.999f) / rate();
  }
}

std::vector<float> Brook() {
  std::vector<float> out(size_t(3.6f * kRate), 0.0f);
  Rng rng(601);
  Drift rate(602, 3.0f, 25.0f, 160.0f);
  AddBubbles(out, rng, rate, 3.5f, 280, 2400, 0.5f);
  // Under the bubbling, the water's own murmur over stones, and now and then a little splash.
  Drift swell(603, 1.5f, 0.5f, 1.0f);
  Lowpass murmurLow(700);
  Highpass murmurHigh(120);
  Highpass splashHigh(2500);
  float splash = 0;
  for (float& v : out) {
    float noise = rng.Range(-1, 1);
    v += murmurHigh(murmurLow(noise)) * 0.35f * swell();
    if (rng.Unit() < 6.0f / kRate) splash = rng.Range(0.1f, 0.25f);
    splash *= 0.9985f;
    v += splashHigh(noise) * splash;
  }
  AddRoom(out, 0.15f, 0.7f);
  Normalise(out, 0.6f);
  FadeEnds(out, 0.45f);
  return out;
}

// Falling water: a deep rumble where it strikes the pool, the roar of the curtain, the hiss of
// spray and the churn of bubbles, each swelling on its own, in a rocky space.
std::vector<float> Waterfall() {
  std::vector<float> out(size_t(3.6f * kRate), 0.0f);
  Rng rng(701);
  Drift churn(702, 8.0f, 200.0f, 700.0f);
  AddBubbles(out, rng, churn, 3.55f, 180, 1200, 0.12f);
  Drift rumbleSwell(703, 0.7f, 0.6f, 1.0f), roarSwell(704, 1.2f, 0.75f, 1.0f), hissSwell(705, 2.5f, 0.5f, 1.0f);
  Lowpass rumbleLow(90), rumbleLow2(90), roarLow(1800);
  Highpass roarHigh(250), hissHigh(4000);
  for (float& v : out) {
    float white = rng.Range(-1, 1);
    float rumble = rumbleLow2(rumbleLow(white)) * 18.0f * rumbleSwell();
    float roar = roarLow(roarHigh(white)) * 0.9f * roarSwell();
    float hiss = hissHigh(white) * 0.18f * hissSwell();
    v += rumble + roar + hiss;
  }
  AddRoom(out, 0.35f, 1.3f);
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
