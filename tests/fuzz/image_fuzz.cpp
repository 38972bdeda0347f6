// SPDX-License-Identifier: MIT
// Fuzz target: any bytes through the image decoders (recognised by
// content, TGA as the fallback), then every texel is read.
#include <cstddef>
#include <cstdint>

#include "image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  dxsupport::DecodedImage image;
  if (dxsupport::DecodeImage(bytes, size, &image)) {
    uint32_t sum = 0;
    for (uint32_t texel : image.argb) sum += texel;
    volatile uint32_t sink = sum;
    (void)sink;
  }
  return 0;
}
