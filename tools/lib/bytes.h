// SPDX-License-Identifier: MIT
// Little-endian fields and whole files, for the generators' BMP and WAV
// writers and readers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

void Put16(std::vector<uint8_t>& b, uint32_t v);
void Put32(std::vector<uint8_t>& b, uint32_t v);
uint32_t Get16(const uint8_t* p);
uint32_t Get32(const uint8_t* p);

// False when the file cannot be written whole.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Appends the file's bytes; false when it cannot be opened.
bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes);

}  // namespace gen
