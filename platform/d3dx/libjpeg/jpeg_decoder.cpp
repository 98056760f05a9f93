// JPEG through libjpeg(-turbo). Its errors unwind to the decode call with longjmp: libjpeg's
// own error exit would end the process.
#include "platform/d3dx/picture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// Real progressive pictures have a dozen scans; a file of thousands only burns time.
constexpr int kMaxScans = 500;
// Whole-picture coefficient buffers of the largest allowed picture, with room to spare.
constexpr long kMaxDecoderMemory = 192L << 20;

struct ErrorJump {
  jpeg_error_mgr manager;
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); }
void StayQuiet(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) JumpOut(info);
}

uint32_t FromCmyk(const JSAMPLE* p) {
  // Adobe's files store the inks inverted, as nearly all CMYK JPEGs do.
  uint32_t k = p[3];
  uint32_t r = (p[0] * k + 127) / 255, g = (p[1] * k + 127) / 255, b = (p[2] * k + 127) / 255;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// May end in a longjmp: nothing here owns memory but the picture, which the caller discards on
// failure.
bool ReadScanlines(jpeg_decompress_struct* info, Picture* picture, JSAMPLE* cmykRow) {
  picture->argb.resize(static_cast<size_t>(picture->width) * picture->height);
  while (info->output_scanline < info->output_height) {
    uint32_t* row = &picture->argb[static_cast<size_t>(info->output_scanline) * picture->width];
    JSAMPROW target = cmykRow ? cmykRow : reinterpret_cast<JSAMPROW>(row);
    if (jpeg_read_scanlines(info, &target, 1) != 1) return false;
    if (cmykRow) {
      for (int x = 0; x < picture->width; ++x) row[x] = FromCmyk(cmykRow + 4 * x);
    }
  }
  return true;
}

}  // namespace

bool DecodeJpeg(const BYTE* data, UINT size, Picture* picture) {
  jpeg_decompress_struct info;
  ErrorJump error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  error.manager.output_message = StayQuiet;
  jpeg_create_decompress(&info);
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  error.progress.progress_monitor = LimitScans;
  info.progress = &error.progress;
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
  if (!PictureSizeAllowed(static_cast<int>(info.image_width), static_cast<int>(info.image_height))) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGRA;  // BGRA bytes are one 0xAARRGGBB word
  jpeg_start_decompress(&info);
  // From libjpeg's pool, so an error exit leaves nothing to free.
  JSAMPLE* cmykRow = nullptr;
  if (inks) {
    cmykRow = static_cast<JSAMPLE*>(info.mem->alloc_large(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                          4 * static_cast<size_t>(info.output_width)));
  }
  picture->width = static_cast<int>(info.output_width);
  picture->height = static_cast<int>(info.output_height);
  picture->fileType = D3DXIFF_JPG;
  picture->fileFormat = grey ? D3DFMT_L8 : D3DFMT_R8G8B8;
  bool complete = ReadScanlines(&info, picture, cmykRow);
  if (complete) jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return complete;
}
