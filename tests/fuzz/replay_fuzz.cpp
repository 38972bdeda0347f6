// SPDX-License-Identifier: MIT
// Fuzz target: any bytes as a replay file. Each input is read twice: as it
// is, and with its trailing checksum made right, so that the fuzzer reaches
// the records behind the checksum. A file that is accepted must write back
// into one that reads the same.
#include <host/replay.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "replay_codec.h"

namespace {

void ReadAndRewrite(const uint8_t* data, size_t size) {
  host::replay::ReplayFile file;
  if (!host::replay::ReadReplay(data, size, &file, nullptr)) return;
  const std::vector<uint8_t> again = host::replay::WriteReplay(file);
  host::replay::ReplayFile reread;
  if (!host::replay::ReadReplay(again.data(), again.size(), &reread, nullptr) ||
      reread.records.size() != file.records.size())
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAndRewrite(data, size);
  if (size < 4) return 0;
  std::vector<uint8_t> mended(data, data + size);
  const uint32_t sum = host::replay::Fnv1a(host::replay::kFnvBasis, data, size - 4);
  for (int i = 0; i < 4; ++i) mended[size - 4 + i] = static_cast<uint8_t>(sum >> (8 * i));
  ReadAndRewrite(mended.data(), mended.size());
  return 0;
}
