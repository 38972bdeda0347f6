// SPDX-License-Identifier: MIT
// Reading and writing the user's saved maps. The file is line-based text:
// a header with a version, the map and device it belongs to, one "bind" line
// per action and an "end" line with the count, so a truncated file is told
// from a complete one. Only a small regular file is read (a FIFO or a device
// put there must not hold up start-up); writes go to a temporary file that
// is synced and then renamed into place, so the old map survives any
// failure. A map that cannot be written is kept in memory for this run.
#include "user_maps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "diagnostics.h"

#include <host/replay.h>

namespace dinput8 {

namespace {

const char kHeader[] = "Glorbs3D input map";
constexpr int kVersion = 1;
constexpr off_t kMaxFileBytes = 64 * 1024;

// Names become one safe path component: letters, digits, '-' and '_'.
std::string PathPart(const char* text) {
  std::string out;
  for (const char* p = text; p && *p && out.size() < 64; ++p) {
    const char c = *p;
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    out += safe ? c : '_';
  }
  return out.empty() ? "_" : out;
}

bool MakeDirectories(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Parses the whole file; on failure `why` says what was wrong.
bool ParseMap(std::istream& in, const char* mapName, const DeviceIdentity& device, UserChoices& out,
              std::string& why) {
  std::string line;
  int number = 0;
  auto fail = [&why](std::string reason) {
    why = std::move(reason);
    return false;
  };
  auto next = [&]() {
    ++number;
    return static_cast<bool>(std::getline(in, line));
  };
  if (!next()) return fail("the file is empty");
  if (line != kHeader) return fail("not a saved input map");
  int version = 0;
  if (!next() || std::sscanf(line.c_str(), "version %d", &version) != 1) return fail("no version line");
  if (version != kVersion) return fail("version " + std::to_string(version) + " is not understood");
  if (!next() || line != std::string("map ") + mapName) return fail("it belongs to another action map");
  if (!next() || line != "device " + device.mapKey) return fail("it belongs to another device");
  size_t binds = 0;
  while (next()) {
    unsigned long code = 0, semantic = 0, object = 0, count = 0;
    char objText[16] = {};
    char tail = 0;
    if (std::sscanf(line.c_str(), "end %lu %c", &count, &tail) == 1) {
      if (count != binds) return fail("the end count does not match");
      if (next()) return fail("text after the end line");
      return true;
    }
    if (std::sscanf(line.c_str(), "bind %lu %lx %15s %c", &code, &semantic, objText, &tail) != 3)
      return fail("line " + std::to_string(number) + " cannot be read");
    if (std::strcmp(objText, "none") != 0) {
      char* end = nullptr;
      object = std::strtoul(objText, &end, 16);
      if (*end != '\0' || object == 0 || !HasObject(device, static_cast<DWORD>(object)))
        return fail("line " + std::to_string(number) + " names a control the device does not have");
    }
    out[{static_cast<UINT_PTR>(code), static_cast<DWORD>(semantic)}] = static_cast<DWORD>(object);
    ++binds;
  }
  return fail("the file ends early (no end line)");
}

void ReportUnusable(const std::string& path, const std::string& why) {
  static std::set<std::string> reported;
  Count(DIAG_USER_MAP_DAMAGED);
  if (!reported.insert(path + why).second) return;
  Say("saved controls in " + path + " cannot be used (" + why + "); the default controls are used");
}

// What a path names when it is not a regular file, in the user's words.
const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a named pipe (FIFO), not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  return "it is not a regular file";
}

// Why a file of this kind and size is not read, or "" when it may be.
std::string Refusal(const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return KindOf(st.st_mode);
  if (st.st_size > kMaxFileBytes)
    return "the file is too large: " + std::to_string(st.st_size) + " bytes, a map is at most " +
           std::to_string(kMaxFileBytes);
  if (st.st_size == 0) return "the file is empty";
  return "";
}

enum class ReadResult { Missing, Read, Refused };

// Reads a small regular file whole. The kind is checked before opening (so
// a FIFO is never opened) and again on the open descriptor (the path may
// have been swapped in between); the read stops at the cap whatever the
// size claimed.
ReadResult ReadSmallFile(const std::string& path, std::string& text, std::string& why) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
    why = std::strerror(errno);
    return ReadResult::Refused;
  }
  why = Refusal(st);
  if (!why.empty()) return ReadResult::Refused;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return ReadResult::Refused;
  }
  why = fstat(fd, &st) == 0 ? Refusal(st) : std::strerror(errno);
  text.clear();
  char chunk[4096];
  while (why.empty()) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) why = std::strerror(errno);
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
    if (text.size() > static_cast<size_t>(kMaxFileBytes)) why = "the file is too large";
  }
  close(fd);
  if (why.empty() && text.empty()) why = "the file is empty";
  return why.empty() ? ReadResult::Read : ReadResult::Refused;
}

// Writes `text` to a new file beside `path`, syncs it and renames it over
// `path`; on failure nothing at `path` changed and `why` says what failed.
bool WriteAtomically(const std::string& path, const std::string& text, std::string& why) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) {
    why = std::string("cannot create a file in its folder: ") + std::strerror(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = std::string("writing failed: ") + (n < 0 ? std::strerror(errno) : "no space");
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (why.empty() && fsync(fd) != 0) why = std::string("syncing failed: ") + std::strerror(errno);
  if (close(fd) != 0 && why.empty()) why = std::string("closing failed: ") + std::strerror(errno);
  if (why.empty() && std::rename(temp.c_str(), path.c_str()) != 0)
    why = std::string("cannot replace the old map: ") + std::strerror(errno);
  if (!why.empty()) {
    unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int dir = open(path.substr(0, path.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// Maps the user chose in this run that could not be written, by user, map
// and device; they stand in for the file until the program ends.
std::map<std::string, UserChoices>& UnsavedMaps() {
  static std::map<std::string, UserChoices> maps;
  return maps;
}

std::string UnsavedKey(const char* userName, const char* mapName, const DeviceIdentity& device) {
  return (userName ? PathPart(userName) : std::string()) + "/" + PathPart(mapName) + "." + device.mapKey;
}

}  // namespace

std::string UserMapDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/glorbs3d";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/glorbs3d";
  return "";
}

std::string UserMapPath(const char* userName, const char* mapName, const DeviceIdentity& device) {
  std::string dir = UserMapDirectory();
  if (dir.empty()) return "";
  if (userName) dir += "/" + PathPart(userName);
  return dir + "/" + PathPart(mapName) + "." + device.mapKey + ".map";
}

bool ParseUserMap(const std::string& text, const char* mapName, const DeviceIdentity& device,
                  UserChoices& choices, std::string& why) {
  choices.clear();
  std::istringstream in(text);
  if (ParseMap(in, mapName, device, choices, why)) return true;
  choices.clear();
  return false;
}

UserMapStatus LoadUserMap(const char* userName, const char* mapName, const DeviceIdentity& device,
                          UserChoices& choices) {
  choices.clear();
  const std::string path = UserMapPath(userName, mapName, device);
  std::string text, why;
  ReadResult read = path.empty() ? ReadResult::Missing : ReadSmallFile(path, text, why);
  // Saved controls decide what each key does: a replay carries them. It
  // carries every load, also one that a choice still in memory answers:
  // a play-back keeps the choices it makes in memory where the recording
  // saved them to a file, and must still read its loads in the same order.
  if (!host::replay::FileReading(read == ReadResult::Read, &text)) {
    if (read == ReadResult::Read || host::replay::CurrentMode() == host::replay::Mode::Playing)
      read = ReadResult::Missing;
  } else {
    read = ReadResult::Read;
    why.clear();
  }
  const auto unsaved = UnsavedMaps().find(UnsavedKey(userName, mapName, device));
  if (unsaved != UnsavedMaps().end()) {
    choices = unsaved->second;
    return UserMapStatus::Loaded;
  }
  if (path.empty()) return UserMapStatus::Missing;
  switch (read) {
    case ReadResult::Missing:
      return UserMapStatus::Missing;
    case ReadResult::Read:
      if (ParseUserMap(text, mapName, device, choices, why)) return UserMapStatus::Loaded;
      why = "damaged: " + why;
      break;
    case ReadResult::Refused:
      break;
  }
  ReportUnusable(path, why);
  return UserMapStatus::Damaged;
}

bool SaveUserMap(const char* userName, const DIACTIONFORMATA& format, const DeviceIdentity& device,
                 const std::vector<ActionBinding>& bindings, std::string* whyNot) {
  std::ostringstream text;
  text << kHeader << "\nversion " << kVersion << "\nmap " << format.tszActionMap << "\ndevice "
       << device.mapKey << "\n";
  UserChoices choices;
  char line[96] = {};
  for (DWORD i = 0; i < format.dwNumActions && i < bindings.size(); ++i) {
    if (!bindings[i].suits) continue;
    const DIACTIONA& a = format.rgoAction[i];
    choices[{a.uAppData, a.dwSemantic}] = bindings[i].objId;
    if (bindings[i].objId)
      std::snprintf(line, sizeof line, "bind %lu %08x %x\n", static_cast<unsigned long>(a.uAppData),
                    a.dwSemantic, bindings[i].objId);
    else
      std::snprintf(line, sizeof line, "bind %lu %08x none\n", static_cast<unsigned long>(a.uAppData),
                    a.dwSemantic);
    text << line;
  }
  text << "end " << choices.size() << "\n";

  const std::string key = UnsavedKey(userName, format.tszActionMap, device);
  // Watching someone's game must not change the watcher's controls: the
  // choice holds in memory only.
  if (host::replay::CurrentMode() == host::replay::Mode::Playing) {
    UnsavedMaps()[key] = choices;
    return true;
  }
  const std::string path = UserMapPath(userName, format.tszActionMap, device);
  std::string why;
  if (path.empty()) {
    why = "no configuration folder: neither XDG_CONFIG_HOME nor HOME names one";
  } else if (!MakeDirectories(path.substr(0, path.rfind('/')))) {
    why = "cannot make the folder " + path.substr(0, path.rfind('/')) + ": " + std::strerror(errno);
  } else if (WriteAtomically(path, text.str(), why)) {
    UnsavedMaps().erase(key);
    return true;
  }
  // The user's choice still holds for this run.
  UnsavedMaps()[key] = choices;
  Count(DIAG_USER_MAP_NOT_SAVED);
  Say("the controls could not be saved" + (path.empty() ? std::string() : " to " + path) + " (" + why +
      "); they apply until the game ends");
  if (whyNot) *whyNot = why;
  return false;
}

void ForgetUnsavedMaps() {
  UnsavedMaps().clear();
}

}  // namespace dinput8
