// SPDX-License-Identifier: MIT
// A configuration folder of the test's own: while entered, XDG_CONFIG_HOME
// names a fresh folder, so saved control maps neither come from nor reach
// the user's; leaving removes it and restores the variable as it was.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchConfigHome {
 public:
  ScratchConfigHome() = default;
  ScratchConfigHome(const ScratchConfigHome&) = delete;
  ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;
  ~ScratchConfigHome() { Leave(); }

  // The folder (under /tmp, named after `name`), or "" when none could be made.
  std::string Enter(const std::string& name) {
    Leave();
    std::string pattern = "/tmp/" + name + "-XXXXXX";
    if (!mkdtemp(&pattern[0])) return "";
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadOld_ = old != nullptr;
    old_ = old ? old : "";
    folder_ = pattern;
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    return folder_;
  }

  void Leave() {
    if (folder_.empty()) return;
    if (hadOld_)
      setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    folder_.clear();
  }

 private:
  std::string folder_;
  std::string old_;
  bool hadOld_ = false;
};
