// SPDX-License-Identifier: MIT
// Which control of a device each action of an action format gets: the
// application's fixed choices, then the user's saved choices, then the
// defaults (the semantic's own key or mouse object, or the genre table for
// controllers), priority-1 actions before priority-2 ones.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "device_objects.h"

namespace dinput8 {

// The user's choices for one device: (application data, semantic) of an
// action -> object id, 0 for "left unmapped on purpose".
typedef std::map<std::pair<UINT_PTR, DWORD>, DWORD> UserChoices;

struct ActionBinding {
  bool suits = false;  // the action is one this device can serve
  DWORD objId = 0;     // 0 = unmapped
  DWORD how = DIAH_UNMAPPED;
};

// True when the format's size fields, action array and counts can be read.
bool FormatIsValid(const DIACTIONFORMATA* format);
bool SuitsDevice(DWORD semantic, DeviceKind kind);
bool SemanticIsAxis(DWORD semantic);
// The object a keyboard or mouse semantic names, or 0.
DWORD PhysicalObject(DWORD semantic, const DeviceIdentity& device);
// One binding per action of the format, in table order; an object serves
// at most one action.
std::vector<ActionBinding> MapActions(const DIACTIONFORMATA& format, const DeviceIdentity& device,
                                      const UserChoices* user);

}  // namespace dinput8
