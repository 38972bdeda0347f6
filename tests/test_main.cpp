// The main() of every test program. ctest runs test cases as separate
// processes in parallel, so each process gets a scratch folder of its own
// (testing::TempDir() answers it) and two cases never share a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

int main(int argc, char** argv) {
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
