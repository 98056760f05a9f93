// Module music in the Windows build through libxmp, linked statically.
#include <xmp.h>

#include <algorithm>
#include <cstdint>

#include "platform/audio/music_source.h"

namespace {

constexpr int kChunkFrames = 512;

class XmpModule : public MusicSource {
 public:
  explicit XmpModule(xmp_context context) : context(context) {}
  ~XmpModule() override {
    if (playerRate != 0) xmp_end_player(context);
    xmp_release_module(context);
    xmp_free_context(context);
  }

  // The player runs at one rate; another rate restarts it where it was.
  bool StartPlayer(int rate) {
    rate = std::clamp(rate, XMP_MIN_SRATE, XMP_MAX_SRATE);
    if (rate == playerRate) return true;
    xmp_frame_info info = {};
    if (playerRate != 0) {
      xmp_get_frame_info(context, &info);
      xmp_end_player(context);
    }
    playerRate = 0;
    if (xmp_start_player(context, rate, 0) != 0) return false;
    playerRate = rate;
    xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_SPLINE);
    if (info.pos > 0) xmp_set_position(context, info.pos);
    return true;
  }

  int Render(float* out, int frames, int rate) override {
    if (!StartPlayer(rate)) return 0;
    int16_t chunk[2 * kChunkFrames];
    int done = 0;
    while (done < frames) {
      const int count = std::min(frames - done, kChunkFrames);
      // Looping: play on for ever; otherwise end at the first return to the start.
      if (xmp_play_buffer(context, chunk, count * 2 * static_cast<int>(sizeof(int16_t)),
                          looping ? 0 : 1) != 0) {
        break;
      }
      for (int i = 0; i < 2 * count; ++i) out[2 * done + i] = chunk[i] / 32768.0f;
      done += count;
    }
    return done;
  }

  void SetLooping(bool loop) override { looping = loop; }

  bool Seek(int order, int row) override {
    xmp_module_info info;
    xmp_get_module_info(context, &info);
    if (info.mod == nullptr || order < 0 || order >= info.mod->len) return false;
    if (!StartPlayer(playerRate != 0 ? playerRate : 44100)) return false;
    xmp_set_position(context, order);
    if (row > 0) xmp_set_row(context, row);
    // Drops the frame already rendered and counts returns to the start afresh.
    xmp_play_buffer(context, nullptr, 0, 0);
    return true;
  }

  unsigned Position() const override {
    xmp_frame_info info = {};
    if (playerRate != 0) xmp_get_frame_info(context, &info);
    return (static_cast<unsigned>(info.row) << 16) | (static_cast<unsigned>(info.pos) & 0xffff);
  }

 private:
  xmp_context context;
  int playerRate = 0;  // 0: not started
  bool looping = false;
};

}  // namespace

MusicSource* OpenModuleSource(const unsigned char* data, size_t size) {
  if (size > 0x7fffffff) return nullptr;
  xmp_context context = xmp_create_context();
  if (context == nullptr) return nullptr;
  if (xmp_load_module_from_memory(context, data, static_cast<long>(size)) != 0) {
    xmp_free_context(context);
    return nullptr;
  }
  return new XmpModule(context);
}
