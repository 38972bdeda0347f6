// SPDX-License-Identifier: MIT
// PNG through libpng's simplified reader and JPEG through libjpeg, whose
// fatal errors come back here through longjmp instead of ending the program.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "image_decode.h"

namespace dxsupport {

bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  const bool alpha = image.format & PNG_FORMAT_FLAG_ALPHA;
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  if (!out->Allocate(image.width, image.height, true)) {
    png_image_free(&image);
    return false;
  }
  if (!png_image_finish_read(&image, nullptr, out->argb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  out->format = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  out->fileFormat = D3DXIFF_PNG;
  return true;
}

namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
void JpegQuiet(j_common_ptr, int) {}

// Kept apart from DecodeJpeg so no object with a destructor lives across setjmp.
bool ReadJpeg(jpeg_decompress_struct* info, JpegError* error, const uint8_t* data, size_t size,
              DecodedImage* out) {
  if (setjmp(error->jump)) return false;
  jpeg_create_decompress(info);
  jpeg_mem_src(info, const_cast<uint8_t*>(data), static_cast<unsigned long>(size));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
  info->out_color_space = JCS_RGB;
  if (!out->Allocate(info->image_width, info->image_height, true)) return false;
  jpeg_start_decompress(info);
  if (info->output_components != 3 || info->output_width != out->width) return false;
  // The row lives in libjpeg's own pool, which jpeg_destroy_decompress
  // frees: a longjmp out of the reader would skip a C++ destructor.
  JSAMPARRAY rows = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                               static_cast<JDIMENSION>(out->width) * 3, 1);
  const JSAMPLE* row = rows[0];
  while (info->output_scanline < info->output_height) {
    const uint32_t y = info->output_scanline;
    if (jpeg_read_scanlines(info, rows, 1) != 1) return false;
    uint32_t* dst = &out->argb[size_t(y) * out->width];
    for (uint32_t x = 0; x < out->width; ++x)
      dst[x] = 0xFF000000u | uint32_t(row[3 * x]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2];
  }
  jpeg_finish_decompress(info);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out) {
  jpeg_decompress_struct info;
  JpegError error;
  std::memset(&info, 0, sizeof info);
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.emit_message = JpegQuiet;
  const bool ok = ReadJpeg(&info, &error, data, size, out);
  jpeg_destroy_decompress(&info);
  out->format = D3DFMT_X8R8G8B8;
  out->fileFormat = D3DXIFF_JPG;
  return ok;
}

}  // namespace dxsupport
