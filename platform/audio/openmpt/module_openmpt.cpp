// Module music on Linux through libopenmpt.
#include <libopenmpt/libopenmpt.h>

#include "platform/audio/music_source.h"

namespace {

class OpenmptModule : public MusicSource {
 public:
  explicit OpenmptModule(openmpt_module* module) : module(module) {
    openmpt_module_set_repeat_count(module, 0);
  }
  ~OpenmptModule() override { openmpt_module_destroy(module); }

  int Render(float* out, int frames, int rate) override {
    int done = 0;
    // libopenmpt may hand back less than asked for in one call; only 0 means the end.
    while (done < frames) {
      const size_t got = openmpt_module_read_interleaved_float_stereo(
          module, rate, static_cast<size_t>(frames - done), out + 2 * done);
      if (got == 0) break;
      done += static_cast<int>(got);
    }
    return done;
  }

  void SetLooping(bool loop) override { openmpt_module_set_repeat_count(module, loop ? -1 : 0); }

  bool Seek(int order, int row) override {
    if (order < 0 || order >= openmpt_module_get_num_orders(module)) return false;
    openmpt_module_set_position_order_row(module, order, row);
    return true;
  }

  unsigned Position() const override {
    const int order = openmpt_module_get_current_order(module);
    const int row = openmpt_module_get_current_row(module);
    return (static_cast<unsigned>(row) << 16) | (static_cast<unsigned>(order) & 0xffff);
  }

 private:
  openmpt_module* module;
};

}  // namespace

MusicSource* OpenModuleSource(const unsigned char* data, size_t size) {
  openmpt_module* module = openmpt_module_create_from_memory2(
      data, size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, nullptr,
      nullptr, nullptr);
  if (module == nullptr) return nullptr;
  return new OpenmptModule(module);
}
