// SPDX-License-Identifier: MIT
// Where the tests find the generated files of this build.
#pragma once
#include <string>

namespace assets {

inline std::string Media(const std::string& name) {
  return std::string(GLORBS_TEST_MEDIA_DIR) + "/" + name;
}
inline std::string Resource(const std::string& name) {
  return std::string(GLORBS_TEST_RESOURCE_DIR) + "/" + name;
}

}  // namespace assets
