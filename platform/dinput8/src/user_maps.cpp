// Reading and writing the user's saved maps. The file is line-based text:
// a header with a version, the map and device it belongs to, one "bind" line
// per action and an "end" line with the count, so a truncated file is told
// from a complete one. Writes go to a temporary file renamed into place.
#include "user_maps.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "diagnostics.h"

namespace dinput8 {

namespace {

const char kHeader[] = "Glorbs3D input map";
constexpr int kVersion = 1;
constexpr std::streamoff kMaxFileBytes = 64 * 1024;

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

void ReportDamaged(const std::string& path, const std::string& why) {
  static std::set<std::string> reported;
  Count(DIAG_USER_MAP_DAMAGED);
  if (!reported.insert(path + why).second) return;
  Say("saved controls in " + path + " are damaged (" + why + "); the default controls are used");
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

UserMapStatus LoadUserMap(const char* userName, const char* mapName, const DeviceIdentity& device,
                          UserChoices& choices) {
  choices.clear();
  const std::string path = UserMapPath(userName, mapName, device);
  if (path.empty()) return UserMapStatus::Missing;
  std::ifstream in(path, std::ios::binary);
  if (!in) return UserMapStatus::Missing;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  std::string why;
  if (size > kMaxFileBytes) {
    why = "the file is too large";
  } else if (ParseMap(in, mapName, device, choices, why)) {
    return UserMapStatus::Loaded;
  }
  choices.clear();
  ReportDamaged(path, why);
  return UserMapStatus::Damaged;
}

bool SaveUserMap(const char* userName, const DIACTIONFORMATA& format, const DeviceIdentity& device,
                 const std::vector<ActionBinding>& bindings) {
  const std::string path = UserMapPath(userName, format.tszActionMap, device);
  if (path.empty() || !MakeDirectories(path.substr(0, path.rfind('/')))) {
    Count(DIAG_USER_MAP_NOT_SAVED);
    Say("the controls could not be saved: no configuration folder");
    return false;
  }
  std::ostringstream text;
  text << kHeader << "\nversion " << kVersion << "\nmap " << format.tszActionMap << "\ndevice "
       << device.mapKey << "\n";
  size_t count = 0;
  char line[96] = {};
  for (DWORD i = 0; i < format.dwNumActions && i < bindings.size(); ++i) {
    if (!bindings[i].suits) continue;
    const DIACTIONA& a = format.rgoAction[i];
    if (bindings[i].objId)
      std::snprintf(line, sizeof line, "bind %lu %08x %x\n", static_cast<unsigned long>(a.uAppData),
                    a.dwSemantic, bindings[i].objId);
    else
      std::snprintf(line, sizeof line, "bind %lu %08x none\n", static_cast<unsigned long>(a.uAppData),
                    a.dwSemantic);
    text << line;
    ++count;
  }
  text << "end " << count << "\n";
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text.str();
    if (!out.flush()) {
      Count(DIAG_USER_MAP_NOT_SAVED);
      Say("the controls could not be saved to " + temp);
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    Count(DIAG_USER_MAP_NOT_SAVED);
    Say("the controls could not be saved to " + path);
    return false;
  }
  return true;
}

}  // namespace dinput8
