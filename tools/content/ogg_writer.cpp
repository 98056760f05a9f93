#include <cstdio>
#include <vorbis/vorbisenc.h>

#include "sound_files.h"

namespace {

bool WritePages(FILE* f, ogg_stream_state& stream, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
    if (std::fwrite(page.header, 1, size_t(page.header_len), f) != size_t(page.header_len)) return false;
    if (std::fwrite(page.body, 1, size_t(page.body_len), f) != size_t(page.body_len)) return false;
  }
  return true;
}

}  // namespace

bool WriteOggVorbis(const std::string& path, const std::vector<float>& samples, int channels, int rate,
                    float quality) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  vorbis_info info;
  vorbis_info_init(&info);
  bool ok = vorbis_encode_init_vbr(&info, channels, rate, quality) == 0;
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", "Vesperglen");
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  ogg_packet packet, header, headerComment, headerCode;
  if (ok) {
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_init(&stream, 0x56475347);
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ok = WritePages(f, stream, true);
    size_t frames = samples.size() / size_t(channels), done = 0;
    while (ok) {
      size_t chunk = frames - done < 4096 ? frames - done : 4096;
      if (chunk == 0) {
        vorbis_analysis_wrote(&dsp, 0);
      } else {
        float** buffer = vorbis_analysis_buffer(&dsp, int(chunk));
        for (size_t i = 0; i < chunk; ++i)
          for (int c = 0; c < channels; ++c) buffer[c][i] = samples[(done + i) * size_t(channels) + size_t(c)];
        vorbis_analysis_wrote(&dsp, int(chunk));
        done += chunk;
      }
      bool ended = false;
      while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
          ogg_stream_packetin(&stream, &packet);
          ok = WritePages(f, stream, false) && ok;
          if (packet.e_o_s) ended = true;
        }
      }
      if (chunk == 0 || ended) break;
    }
    ok = WritePages(f, stream, true) && ok;
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
  }
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return std::fclose(f) == 0 && ok;
}
