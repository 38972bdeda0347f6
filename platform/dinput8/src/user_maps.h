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

// Reads the user's choices for the device; on Damaged, `choices` is empty
// and the reason went to the debugger output (once per file and reason).
UserMapStatus LoadUserMap(const char* userName, const char* mapName, const DeviceIdentity& device,
                          UserChoices& choices);
// Writes every suitable action's binding; false when the file could not be
// written (the old file, if any, is left as it was).
bool SaveUserMap(const char* userName, const DIACTIONFORMATA& format, const DeviceIdentity& device,
                 const std::vector<ActionBinding>& bindings);

}  // namespace dinput8
