// SPDX-License-Identifier: MIT
// The user's remapped controls, one small text file per action map and
// device under $XDG_CONFIG_HOME/glorbs3d (or ~/.config/glorbs3d). A file
// that cannot be read back exactly is ignored whole, with a message, and the
// defaults apply.
#pragma once

#include <string>
#include <vector>

#include "action_mapping.h"

namespace dinput8 {

enum class UserMapStatus { Missing, Loaded, Damaged };

// The folder the maps live in; "" when neither variable gives one.
std::string UserMapDirectory();
std::string UserMapPath(const char* userName, const char* mapName, const DeviceIdentity& device);

// Reads the user's choices for the device: a map chosen in this run that
// could not be saved, else the file. Only a regular file of at most 64 KiB
// is read; on Damaged, `choices` is empty and the reason (damage, or what
// the path is instead of a file) went to the debugger output, once per file
// and reason.
UserMapStatus LoadUserMap(const char* userName, const char* mapName, const DeviceIdentity& device,
                          UserChoices& choices);
// The file's text read back; false with `why` for anything but a whole map
// of this map name and device.
bool ParseUserMap(const std::string& text, const char* mapName, const DeviceIdentity& device,
                  UserChoices& choices, std::string& why);
// Writes every suitable action's binding. False when the file could not be
// written: the old file, if any, is left as it was, the reason goes to the
// debugger output and `why`, and the choices are kept in memory, so the
// next LoadUserMap in this run still gives them.
bool SaveUserMap(const char* userName, const DIACTIONFORMATA& format, const DeviceIdentity& device,
                 const std::vector<ActionBinding>& bindings, std::string* why = nullptr);

}  // namespace dinput8
