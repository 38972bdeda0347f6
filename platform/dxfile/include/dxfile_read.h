// SPDX-License-Identifier: MIT
// Reading a whole data file that a model or the game names: Windows '\'
// separators are accepted, and only regular files up to a size cap are
// read, so that a FIFO or a device named by a damaged model can neither
// block the program nor feed it for ever.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dxfile {

enum class ReadResult {
  kOk,
  kCannotOpen,  // missing, or no permission
  kNotAFile,    // a directory, FIFO, device or socket
  kTooLarge,    // larger than the cap
  kReadFailed,  // an I/O error, or the file changed size while read
};

ReadResult ReadDataFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes);

}  // namespace dxfile
