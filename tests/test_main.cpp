// SPDX-License-Identifier: MIT
// The main() of every test program. Tests run headless unless the caller
// asks otherwise: offscreen OpenGL on llvmpipe and a dummy sound card. ctest
// runs test cases as separate processes in parallel, so each process gets a
// scratch folder of its own (testing::TempDir() answers it) and two cases
// never share a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  std::string base = "/tmp/glorbs-test-XXXXXX";
  const char* made = mkdtemp(base.data());
  if (made) setenv("TEST_TMPDIR", made, 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (made) {
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
  }
  return result;
}
