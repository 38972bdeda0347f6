// SPDX-License-Identifier: MIT
// Shared entry of the glorbs_gen_* tools that write into one directory.
#pragma once
#include <cstdio>
#include <string>

namespace gen {

// Runs `write(dir)` for "tool OUTDIR"; exit code 2 on bad usage, 1 when
// writing failed (the tool names what it could not write).
template <typename Fn>
int GeneratorMain(int argc, char** argv, Fn write) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  if (write(std::string(argv[1]))) return 0;
  std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], argv[1]);
  return 1;
}

}  // namespace gen
