// SPDX-License-Identifier: MIT
// DirectInput 8 as the game calls it: action mapping (action formats,
// enumeration of devices by the semantics of a format, building and setting
// action maps), buffered device data and the device configuration window.
// Keyboard, mouse and game controllers come from platform/host; user
// remappings are kept per user under the XDG configuration directory.
#pragma once

#include <objbase.h>

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif

// ----------------------------------------------------------------- identity

DEFINE_GUID(IID_IDirectInput8A, 0xBF798030, 0x483A, 0x4DA2, 0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00);
DEFINE_GUID(IID_IDirectInputDevice8A, 0x54D41080, 0xDC15, 0x4833, 0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81,
            0x79);
DEFINE_GUID(GUID_SysMouse, 0x6F1D2B60, 0xD5A0, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
DEFINE_GUID(GUID_SysKeyboard, 0x6F1D2B61, 0xD5A0, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);

// Property identifiers. The platform spells them as small integers cast to
// GUID pointers; here each is a real constant, so passing one by reference
// never binds to an invalid address.
DEFINE_GUID(DIPROP_BUFFERSIZE, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(DIPROP_AXISMODE, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(DIPROP_GRANULARITY, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(DIPROP_RANGE, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(DIPROP_DEADZONE, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_GUID(DIPROP_SATURATION, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);

// ------------------------------------------------------------------ results

#define DI_OK S_OK
#define DI_NOTATTACHED S_FALSE
#define DI_BUFFEROVERFLOW S_FALSE
#define DI_PROPNOEFFECT S_FALSE
#define DI_NOEFFECT S_FALSE
#define DI_SETTINGSNOTSAVED ((HRESULT)0x0000000B)
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_GENERIC E_FAIL
#define DIERR_DEVICENOTREG REGDB_E_CLASSNOTREG
#define DIERR_OTHERAPPHASPRIO E_ACCESSDENIED
#define DIERR_NOTFOUND ((HRESULT)0x80070002)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000C)
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015)
#define DIERR_INPUTLOST ((HRESULT)0x8007001E)
#define DIERR_ACQUIRED ((HRESULT)0x800700AA)
#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047E)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481)
#define DIERR_NOTBUFFERED ((HRESULT)0x80040207)
#define DIERR_UNPLUGGED ((HRESULT)0x80040209)
#define DIERR_MAPFILEFAIL ((HRESULT)0x8004020B)

// ------------------------------------------------------------- device kinds

#define DI8DEVTYPE_DEVICE 0x11
#define DI8DEVTYPE_MOUSE 0x12
#define DI8DEVTYPE_KEYBOARD 0x13
#define DI8DEVTYPE_JOYSTICK 0x14
#define DI8DEVTYPE_GAMEPAD 0x15
#define DI8DEVTYPEMOUSE_UNKNOWN 1
#define DI8DEVTYPEKEYBOARD_PCENH 4
#define DI8DEVTYPEGAMEPAD_STANDARD 2
#define DIDEVTYPE_HID 0x00010000
#define GET_DIDEVICE_TYPE(dwDevType) LOBYTE(dwDevType)
#define GET_DIDEVICE_SUBTYPE(dwDevType) HIBYTE(dwDevType)

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008
#define DISCL_NOWINKEY 0x00000010

#define DIENUM_STOP 0
#define DIENUM_CONTINUE 1

#define DIGDD_PEEK 0x00000001

// ----------------------------------------------------------------- records

typedef struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  CHAR tszInstanceName[MAX_PATH];
  CHAR tszProductName[MAX_PATH];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
} DIDEVICEINSTANCEA, *LPDIDEVICEINSTANCEA;
typedef const DIDEVICEINSTANCEA* LPCDIDEVICEINSTANCEA;

// One buffered event. With an action map installed, uAppData carries the
// application data of the action and dwOfs the action's offset in the
// map's data format (four bytes per action, in table order).
typedef struct DIDEVICEOBJECTDATA {
  DWORD dwOfs;
  DWORD dwData;
  DWORD dwTimeStamp;  // milliseconds, the clock of the event
  DWORD dwSequence;   // increases across every device of the process
  UINT_PTR uAppData;
} DIDEVICEOBJECTDATA, *LPDIDEVICEOBJECTDATA;
typedef const DIDEVICEOBJECTDATA* LPCDIDEVICEOBJECTDATA;

typedef struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
} DIPROPHEADER, *LPDIPROPHEADER;
typedef const DIPROPHEADER* LPCDIPROPHEADER;

typedef struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
} DIPROPDWORD, *LPDIPROPDWORD;

typedef struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
} DIPROPRANGE, *LPDIPROPRANGE;

#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIPH_BYID 2
#define DIPH_BYUSAGE 3
#define DIPROPAXISMODE_ABS 0
#define DIPROPAXISMODE_REL 1
#define DIPROPRANGE_NOMIN ((LONG)0x80000000)
#define DIPROPRANGE_NOMAX ((LONG)0x7FFFFFFF)

// --------------------------------------------------------- action mapping

typedef struct _DIACTIONA {
  UINT_PTR uAppData;
  DWORD dwSemantic;
  DWORD dwFlags;
  union {
    LPCSTR lptszActionName;
    UINT uResIdString;
  };
  GUID guidInstance;  // filled by BuildActionMap: the device the action is mapped to
  DWORD dwObjID;      // ... the object of that device
  DWORD dwHow;        // ... and how the mapping came about (DIAH_*)
} DIACTIONA, *LPDIACTIONA;
typedef const DIACTIONA* LPCDIACTIONA;

typedef struct _DIACTIONFORMATA {
  DWORD dwSize;
  DWORD dwActionSize;
  DWORD dwDataSize;
  DWORD dwNumActions;
  LPDIACTIONA rgoAction;
  GUID guidActionMap;
  DWORD dwGenre;
  DWORD dwBufferSize;
  LONG lAxisMin;
  LONG lAxisMax;
  HINSTANCE hInstString;
  FILETIME ftTimeStamp;
  DWORD dwCRC;
  CHAR tszActionMap[MAX_PATH];
} DIACTIONFORMATA, *LPDIACTIONFORMATA;
typedef const DIACTIONFORMATA* LPCDIACTIONFORMATA;

#define DIA_FORCEFEEDBACK 0x00000001
#define DIA_APPMAPPED 0x00000002
#define DIA_APPNOMAP 0x00000004
#define DIA_NORANGE 0x00000008
#define DIA_APPFIXED 0x00000010

#define DIAH_UNMAPPED 0x00000000
#define DIAH_USERCONFIG 0x00000001
#define DIAH_APPREQUESTED 0x00000002
#define DIAH_HWAPP 0x00000004
#define DIAH_HWDEFAULT 0x00000008
#define DIAH_DEFAULT 0x00000020
#define DIAH_ERROR 0x80000000

#define DIDBAM_DEFAULT 0x00000000
#define DIDBAM_PRESERVE 0x00000001
#define DIDBAM_INITIALIZE 0x00000004
#define DIDBAM_HWDEFAULTS 0x00000008

#define DIDSAM_DEFAULT 0x00000000
#define DIDSAM_NOUSER 0x00000001
#define DIDSAM_FORCESAVE 0x00000002

// Flags of the enumeration callback, and of EnumDevicesBySemantics.
#define DIEDBS_MAPPEDPRI1 0x00000001
#define DIEDBS_MAPPEDPRI2 0x00000002
#define DIEDBS_RECENTDEVICE 0x00000010
#define DIEDBS_NEWDEVICE 0x00000020
#define DIEDBSFL_ATTACHEDONLY 0x00000000
#define DIEDBSFL_THISUSER 0x00000010
#define DIEDBSFL_FORCEFEEDBACK 0x00000100
#define DIEDBSFL_AVAILABLEDEVICES 0x00001000
#define DIEDBSFL_MULTIMICEKEYBOARDS 0x00002000
#define DIEDBSFL_NONGAMINGDEVICES 0x00004000
#define DIEDBSFL_VALID 0x00007110

#define DICD_DEFAULT 0x00000000
#define DICD_EDIT 0x00000001

typedef DWORD D3DCOLOR_DI;
typedef struct _DICOLORSET {
  DWORD dwSize;
  D3DCOLOR_DI cTextFore;
  D3DCOLOR_DI cTextHighlight;
  D3DCOLOR_DI cCalloutLine;
  D3DCOLOR_DI cCalloutHighlight;
  D3DCOLOR_DI cBorder;
  D3DCOLOR_DI cControlFill;
  D3DCOLOR_DI cHighlightFill;
  D3DCOLOR_DI cAreaFill;
} DICOLORSET, *LPDICOLORSET;

// The configuration window draws into lpUnkDDSTarget when it is given (an
// IDirect3DSurface8 of at least 640 x 480) and then calls the callback so
// that the application presents it; without a target it shows itself in the
// window. A zero colour set means the default colours.
typedef struct _DICONFIGUREDEVICESPARAMSA {
  DWORD dwSize;
  DWORD dwcUsers;
  LPSTR lptszUserNames;
  DWORD dwcFormats;
  LPDIACTIONFORMATA lprgFormats;
  HWND hwnd;
  DICOLORSET dics;
  IUnknown* lpUnkDDSTarget;
} DICONFIGUREDEVICESPARAMSA, *LPDICONFIGUREDEVICESPARAMSA;

// --------------------------------------------------------------- semantics
// A semantic is genre (top byte) | priority-2 bit | hint | type | index.
// Keyboard semantics are 0x81000400 | DIK code; mouse semantics name the
// mouse object by its offset.

#define DISEM_INDEX_MASK 0x000000FF
#define DISEM_REL_MASK 0x00000100
#define DISEM_TYPE_MASK 0x00000600
#define DISEM_TYPE_AXIS 0x00000200
#define DISEM_TYPE_BUTTON 0x00000400
#define DISEM_TYPE_POV 0x00000600
#define DISEM_PRI_MASK 0x00004000
#define DISEM_HINTS_MASK 0x00FF8000
#define DISEM_HINTS_SHIFT 15
#define DISEM_GENRE_MASK 0xFF000000
#define DISEM_GENRE_SHIFT 24
#define DISEM_GENRE_GET(s) (((s)&DISEM_GENRE_MASK) >> DISEM_GENRE_SHIFT)
#define DISEM_TYPE_GET(s) ((s)&DISEM_TYPE_MASK)
#define DISEM_INDEX_GET(s) ((s)&DISEM_INDEX_MASK)
#define DISEM_HINTS_GET(s) (((s)&DISEM_HINTS_MASK) >> DISEM_HINTS_SHIFT)

#define DIVIRTUAL_SPACESIM 0x07000000
#define DIVIRTUAL_BROWSER_CONTROL 0x28000000
#define DIPHYSICAL_KEYBOARD 0x81000000
#define DIPHYSICAL_MOUSE 0x82000000

#define DIAXIS_SPACESIM_LATERAL 0x07008201
#define DIAXIS_SPACESIM_MOVE 0x07010202
#define DIBUTTON_SPACESIM_FIRE 0x07000401
#define DIBUTTON_SPACESIM_WEAPONS 0x07000402
#define DIBUTTON_SPACESIM_VIEW 0x07004404
#define DIBUTTON_SPACESIM_GEAR 0x07004407
#define DIBUTTON_SPACESIM_MENU 0x070004FD
#define DIBUTTON_SPACESIM_DEVICE 0x070044FE
#define DIAXIS_BROWSER_LATERAL 0x28008201
#define DIAXIS_BROWSER_MOVE 0x28010202
#define DIBUTTON_BROWSER_SELECT 0x28000401
#define DIBUTTON_BROWSER_NEXT 0x28004407
#define DIBUTTON_BROWSER_PREVIOUS 0x28004408
#define DIBUTTON_BROWSER_DEVICE 0x280044FE

#define DIKEYBOARD(dik) (0x81000400u | (dik))

#define DIMOFS_X 0
#define DIMOFS_Y 4
#define DIMOFS_Z 8
#define DIMOFS_BUTTON0 12
#define DIMOFS_BUTTON1 13
#define DIMOFS_BUTTON2 14
#define DIMOFS_BUTTON3 15
#define DIMOFS_BUTTON4 16
#define DIMOUSE_XAXIS 0x82000300
#define DIMOUSE_YAXIS 0x82000304
#define DIMOUSE_WHEEL 0x82000308
#define DIMOUSE_BUTTON0 0x8200040C
#define DIMOUSE_BUTTON1 0x8200040D
#define DIMOUSE_BUTTON2 0x8200040E

// ---------------------------------------------------------------- key codes

#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_2 0x03
#define DIK_3 0x04
#define DIK_4 0x05
#define DIK_5 0x06
#define DIK_6 0x07
#define DIK_7 0x08
#define DIK_8 0x09
#define DIK_9 0x0A
#define DIK_0 0x0B
#define DIK_MINUS 0x0C
#define DIK_EQUALS 0x0D
#define DIK_BACK 0x0E
#define DIK_TAB 0x0F
#define DIK_Q 0x10
#define DIK_W 0x11
#define DIK_E 0x12
#define DIK_R 0x13
#define DIK_T 0x14
#define DIK_Y 0x15
#define DIK_U 0x16
#define DIK_I 0x17
#define DIK_O 0x18
#define DIK_P 0x19
#define DIK_LBRACKET 0x1A
#define DIK_RBRACKET 0x1B
#define DIK_RETURN 0x1C
#define DIK_LCONTROL 0x1D
#define DIK_A 0x1E
#define DIK_S 0x1F
#define DIK_D 0x20
#define DIK_F 0x21
#define DIK_G 0x22
#define DIK_H 0x23
#define DIK_J 0x24
#define DIK_K 0x25
#define DIK_L 0x26
#define DIK_SEMICOLON 0x27
#define DIK_APOSTROPHE 0x28
#define DIK_GRAVE 0x29
#define DIK_LSHIFT 0x2A
#define DIK_BACKSLASH 0x2B
#define DIK_Z 0x2C
#define DIK_X 0x2D
#define DIK_C 0x2E
#define DIK_V 0x2F
#define DIK_B 0x30
#define DIK_N 0x31
#define DIK_M 0x32
#define DIK_COMMA 0x33
#define DIK_PERIOD 0x34
#define DIK_SLASH 0x35
#define DIK_RSHIFT 0x36
#define DIK_MULTIPLY 0x37
#define DIK_LMENU 0x38
#define DIK_SPACE 0x39
#define DIK_CAPITAL 0x3A
#define DIK_F1 0x3B
#define DIK_F2 0x3C
#define DIK_F3 0x3D
#define DIK_F4 0x3E
#define DIK_F5 0x3F
#define DIK_F6 0x40
#define DIK_F7 0x41
#define DIK_F8 0x42
#define DIK_F9 0x43
#define DIK_F10 0x44
#define DIK_NUMLOCK 0x45
#define DIK_SCROLL 0x46
#define DIK_NUMPAD7 0x47
#define DIK_NUMPAD8 0x48
#define DIK_NUMPAD9 0x49
#define DIK_SUBTRACT 0x4A
#define DIK_NUMPAD4 0x4B
#define DIK_NUMPAD5 0x4C
#define DIK_NUMPAD6 0x4D
#define DIK_ADD 0x4E
#define DIK_NUMPAD1 0x4F
#define DIK_NUMPAD2 0x50
#define DIK_NUMPAD3 0x51
#define DIK_NUMPAD0 0x52
#define DIK_DECIMAL 0x53
#define DIK_OEM_102 0x56
#define DIK_F11 0x57
#define DIK_F12 0x58
#define DIK_F13 0x64
#define DIK_F14 0x65
#define DIK_F15 0x66
#define DIK_NUMPADEQUALS 0x8D
#define DIK_NUMPADENTER 0x9C
#define DIK_RCONTROL 0x9D
#define DIK_DIVIDE 0xB5
#define DIK_SYSRQ 0xB7
#define DIK_RMENU 0xB8
#define DIK_PAUSE 0xC5
#define DIK_HOME 0xC7
#define DIK_UP 0xC8
#define DIK_PRIOR 0xC9
#define DIK_LEFT 0xCB
#define DIK_RIGHT 0xCD
#define DIK_END 0xCF
#define DIK_DOWN 0xD0
#define DIK_NEXT 0xD1
#define DIK_INSERT 0xD2
#define DIK_DELETE 0xD3
#define DIK_LWIN 0xDB
#define DIK_RWIN 0xDC
#define DIK_APPS 0xDD

// --------------------------------------------------------------- interfaces

struct IDirectInputDevice8A;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;

typedef BOOL(CALLBACK* LPDIENUMDEVICESBYSEMANTICSCBA)(LPCDIDEVICEINSTANCEA lpddi, LPDIRECTINPUTDEVICE8A lpdid,
                                                      DWORD dwFlags, DWORD dwRemaining, LPVOID pvRef);
typedef BOOL(CALLBACK* LPDICONFIGUREDEVICESCALLBACK)(IUnknown* lpDDSTarget, LPVOID pvRef);

struct IDirectInputDevice8A : public IUnknown {
  STDMETHOD(GetProperty)(REFGUID rguidProp, LPDIPROPHEADER pdiph) PURE;
  STDMETHOD(SetProperty)(REFGUID rguidProp, LPCDIPROPHEADER pdiph) PURE;
  STDMETHOD(Acquire)() PURE;
  STDMETHOD(Unacquire)() PURE;
  STDMETHOD(GetDeviceData)
  (DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD dwFlags) PURE;
  STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD dwFlags) PURE;
  STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA pdidi) PURE;
  STDMETHOD(Poll)() PURE;
  STDMETHOD(BuildActionMap)(LPDIACTIONFORMATA lpdiaf, LPCSTR lpszUserName, DWORD dwFlags) PURE;
  STDMETHOD(SetActionMap)(LPDIACTIONFORMATA lpdiaf, LPCSTR lpszUserName, DWORD dwFlags) PURE;
};

// Device classes and flags of EnumDevices.
#define DI8DEVCLASS_ALL 0
#define DI8DEVCLASS_DEVICE 1
#define DI8DEVCLASS_POINTER 2
#define DI8DEVCLASS_KEYBOARD 3
#define DI8DEVCLASS_GAMECTRL 4
#define DIEDFL_ALLDEVICES 0x00000000
#define DIEDFL_ATTACHEDONLY 0x00000001
typedef BOOL(CALLBACK* LPDIENUMDEVICESCALLBACKA)(LPCDIDEVICEINSTANCEA lpddi, LPVOID pvRef);

struct IDirectInput8A : public IUnknown {
  STDMETHOD(CreateDevice)
  (REFGUID rguid, LPDIRECTINPUTDEVICE8A* lplpDirectInputDevice, LPUNKNOWN pUnkOuter) PURE;
  // Lists the attached devices of a class (every device is attached here:
  // a controller that is unplugged is no longer listed).
  STDMETHOD(EnumDevices)
  (DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) PURE;
  STDMETHOD(EnumDevicesBySemantics)
  (LPCSTR ptszUserName, LPDIACTIONFORMATA lpdiActionFormat, LPDIENUMDEVICESBYSEMANTICSCBA lpCallback,
   LPVOID pvRef, DWORD dwFlags) PURE;
  STDMETHOD(ConfigureDevices)
  (LPDICONFIGUREDEVICESCALLBACK lpdiCallback, LPDICONFIGUREDEVICESPARAMSA lpdiCDParams, DWORD dwFlags,
   LPVOID pvRefData) PURE;
};
typedef IDirectInput8A* LPDIRECTINPUT8A;

// Creates the DirectInput object. dwVersion must be 0x0800 and riidltf
// IID_IDirectInput8A; aggregation is not offered.
HRESULT WINAPI DirectInput8Create(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut,
                                  LPUNKNOWN punkOuter);
