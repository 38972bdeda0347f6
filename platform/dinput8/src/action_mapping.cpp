// SPDX-License-Identifier: MIT
// The mapping rules of action formats. Controllers get genre actions through
// one preference table (first listed control the pad has and nobody took);
// whatever the table does not place goes to the first free control of its
// type, so a controller with few controls still serves what it can.
#include "action_mapping.h"

#include <set>

#include <host/host.h>

namespace dinput8 {

namespace {

constexpr DWORD kMaxActions = 4096;

DWORD PadAxis(DWORD a) {
  return MakeObjectId(OBJ_ABSAXIS, a);
}
DWORD PadButton(DWORD b) {
  return MakeObjectId(OBJ_BUTTON, b);
}

// The default controller layout by semantic; two choices each, the second
// for pads that lack the first.
struct PadDefault {
  DWORD semantic;
  DWORD first;
  DWORD second;
};

const PadDefault kPadDefaults[] = {
    {DIAXIS_SPACESIM_LATERAL, PadAxis(host::PAD_LEFTX), PadAxis(host::PAD_RIGHTX)},
    {DIAXIS_SPACESIM_MOVE, PadAxis(host::PAD_LEFTY), PadAxis(host::PAD_RIGHTY)},
    {DIBUTTON_SPACESIM_FIRE, PadButton(host::PAD_A), PadButton(PAD_TRIGGER_BUTTON_RIGHT)},
    {DIBUTTON_SPACESIM_WEAPONS, PadButton(host::PAD_X), PadButton(host::PAD_RIGHTSHOULDER)},
    {DIBUTTON_SPACESIM_VIEW, PadButton(host::PAD_Y), PadButton(host::PAD_LEFTSHOULDER)},
    {DIBUTTON_SPACESIM_GEAR, PadButton(host::PAD_B), PadButton(host::PAD_RIGHTSTICK)},
    {DIBUTTON_SPACESIM_MENU, PadButton(host::PAD_START), PadButton(host::PAD_GUIDE)},
    {DIBUTTON_SPACESIM_DEVICE, PadButton(host::PAD_BACK), PadButton(host::PAD_GUIDE)},
    {DIAXIS_BROWSER_LATERAL, PadAxis(host::PAD_LEFTX), PadAxis(host::PAD_RIGHTX)},
    {DIAXIS_BROWSER_MOVE, PadAxis(host::PAD_LEFTY), PadAxis(host::PAD_RIGHTY)},
    {DIBUTTON_BROWSER_SELECT, PadButton(host::PAD_A), PadButton(host::PAD_START)},
    {DIBUTTON_BROWSER_PREVIOUS, PadButton(host::PAD_DPAD_UP), PadButton(host::PAD_LEFTSHOULDER)},
    {DIBUTTON_BROWSER_NEXT, PadButton(host::PAD_DPAD_DOWN), PadButton(host::PAD_RIGHTSHOULDER)},
    {DIBUTTON_BROWSER_DEVICE, PadButton(host::PAD_B), PadButton(host::PAD_BACK)},
};

// Order in which leftover genre actions take free controls.
const DWORD kFreeAxes[] = {host::PAD_LEFTX,  host::PAD_LEFTY,       host::PAD_RIGHTX,
                           host::PAD_RIGHTY, host::PAD_TRIGGERLEFT, host::PAD_TRIGGERRIGHT};
const DWORD kFreeButtons[] = {host::PAD_A,
                              host::PAD_B,
                              host::PAD_X,
                              host::PAD_Y,
                              host::PAD_LEFTSHOULDER,
                              host::PAD_RIGHTSHOULDER,
                              host::PAD_START,
                              host::PAD_BACK,
                              host::PAD_LEFTSTICK,
                              host::PAD_RIGHTSTICK,
                              host::PAD_DPAD_UP,
                              host::PAD_DPAD_DOWN,
                              host::PAD_DPAD_LEFT,
                              host::PAD_DPAD_RIGHT,
                              PAD_TRIGGER_BUTTON_RIGHT,
                              PAD_TRIGGER_BUTTON_LEFT,
                              host::PAD_GUIDE};

struct Placement {
  const DeviceIdentity& device;
  std::set<DWORD> taken;

  bool Take(DWORD id) {
    if (id == 0 || taken.count(id) || !HasObject(device, id)) return false;
    taken.insert(id);
    return true;
  }
};

DWORD PadDefaultFor(DWORD semantic, Placement& place) {
  for (const PadDefault& d : kPadDefaults) {
    if (d.semantic != semantic) continue;
    if (place.Take(d.first)) return d.first;
    if (place.Take(d.second)) return d.second;
  }
  if (SemanticIsAxis(semantic)) {
    for (DWORD a : kFreeAxes) {
      if (place.Take(PadAxis(a))) return PadAxis(a);
    }
    return 0;
  }
  for (DWORD b : kFreeButtons) {
    if (place.Take(PadButton(b))) return PadButton(b);
  }
  return 0;
}

DWORD DefaultFor(DWORD semantic, Placement& place) {
  if (place.device.kind == DeviceKind::Pad) return PadDefaultFor(semantic, place);
  DWORD id = PhysicalObject(semantic, place.device);
  return place.Take(id) ? id : 0;
}

bool UserChoiceFits(DWORD semantic, DWORD id, const DeviceIdentity& device) {
  return id == 0 || (HasObject(device, id) && ObjectIsAxis(id) == SemanticIsAxis(semantic));
}

}  // namespace

bool FormatIsValid(const DIACTIONFORMATA* f) {
  if (!f || f->dwSize != sizeof(DIACTIONFORMATA) || f->dwActionSize != sizeof(DIACTIONA)) return false;
  if (f->dwNumActions > kMaxActions || (f->dwNumActions > 0 && !f->rgoAction)) return false;
  return f->dwDataSize >= f->dwNumActions * 4;
}

bool SemanticIsAxis(DWORD semantic) {
  return DISEM_TYPE_GET(semantic) == DISEM_TYPE_AXIS;
}

bool SuitsDevice(DWORD semantic, DeviceKind kind) {
  const DWORD genre = semantic & DISEM_GENRE_MASK;
  const DWORD type = DISEM_TYPE_GET(semantic);
  switch (kind) {
    case DeviceKind::Keyboard:
      return genre == DIPHYSICAL_KEYBOARD && type == DISEM_TYPE_BUTTON;
    case DeviceKind::Mouse:
      return genre == DIPHYSICAL_MOUSE && type != DISEM_TYPE_POV;
    case DeviceKind::Pad:
      return genre != 0 && (genre & 0x80000000u) == 0 &&
             (type == DISEM_TYPE_AXIS || type == DISEM_TYPE_BUTTON);
  }
  return false;
}

DWORD PhysicalObject(DWORD semantic, const DeviceIdentity& device) {
  if (!SuitsDevice(semantic, device.kind)) return 0;
  const DWORD index = DISEM_INDEX_GET(semantic);
  if (device.kind == DeviceKind::Keyboard) return MakeObjectId(OBJ_BUTTON, index);
  if (device.kind != DeviceKind::Mouse) return 0;
  // Mouse semantics carry the object's offset in the mouse state record.
  if (SemanticIsAxis(semantic))
    return index <= DIMOFS_Z && index % 4 == 0 ? MakeObjectId(OBJ_RELAXIS, index / 4) : 0;
  if (index >= DIMOFS_BUTTON0 && index < DIMOFS_BUTTON0 + MOUSE_BUTTON_OBJECTS)
    return MakeObjectId(OBJ_BUTTON, index - DIMOFS_BUTTON0);
  return 0;
}

std::vector<ActionBinding> MapActions(const DIACTIONFORMATA& format, const DeviceIdentity& device,
                                      const UserChoices* user) {
  std::vector<ActionBinding> out(format.dwNumActions);
  std::vector<bool> decided(format.dwNumActions, false);
  Placement place{device, {}};
  for (DWORD i = 0; i < format.dwNumActions; ++i) {
    const DIACTIONA& a = format.rgoAction[i];
    out[i].suits = SuitsDevice(a.dwSemantic, device.kind) && !(a.dwFlags & DIA_APPNOMAP);
  }
  // Fixed actions first: the user cannot move them, so they are never
  // displaced by a saved choice.
  for (DWORD i = 0; i < format.dwNumActions; ++i) {
    const DIACTIONA& a = format.rgoAction[i];
    if (!out[i].suits || !(a.dwFlags & DIA_APPFIXED)) continue;
    DWORD id = DefaultFor(a.dwSemantic, place);
    out[i].objId = id;
    out[i].how = id ? DIAH_APPREQUESTED : DIAH_UNMAPPED;
    decided[i] = true;
  }
  for (DWORD i = 0; user && i < format.dwNumActions; ++i) {
    const DIACTIONA& a = format.rgoAction[i];
    if (!out[i].suits || decided[i]) continue;
    auto it = user->find({a.uAppData, a.dwSemantic});
    if (it == user->end() || !UserChoiceFits(a.dwSemantic, it->second, device)) continue;
    if (it->second != 0 && !place.Take(it->second)) continue;
    out[i].objId = it->second;
    out[i].how = it->second ? DIAH_USERCONFIG : DIAH_UNMAPPED;
    decided[i] = true;
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (DWORD i = 0; i < format.dwNumActions; ++i) {
      const DIACTIONA& a = format.rgoAction[i];
      const bool priority2 = (a.dwSemantic & DISEM_PRI_MASK) != 0;
      if (!out[i].suits || decided[i] || priority2 != (pass == 1)) continue;
      DWORD id = DefaultFor(a.dwSemantic, place);
      out[i].objId = id;
      out[i].how = id ? DIAH_DEFAULT : DIAH_UNMAPPED;
    }
  }
  return out;
}

}  // namespace dinput8
