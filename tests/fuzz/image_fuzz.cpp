// SPDX-License-Identifier: MIT
// Fuzz target: any bytes through the image decoders (recognised by
// content, TGA as the fallback), then every texel is read.
#include <cstddef>
#include <cstdint>

#include "image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  dxsupport::DecodedImage image;
  // A few bytes of RLE, PNG or JPEG may claim a picture of up to 64M texels,
  // which is legal and merely slow under the fuzzer's instrumentation: take
  // the side an older card allows, as the texture loader does from the
  // device's caps, so the run spends its time on the decoders' bounds.
  image.maxPackedSide = 4096;
  if (dxsupport::DecodeImage(bytes, size, &image)) {
    uint32_t sum = 0;
    for (uint32_t texel : image.argb) sum += texel;
    volatile uint32_t sink = sum;
    (void)sink;
  }
  return 0;
}
