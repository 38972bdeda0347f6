// SPDX-License-Identifier: MIT
// The one SDL2 window of the process, its OpenGL context, the event pump and
// the few desktop services around them. platform/win32, platform/d3d8 and
// platform/dinput8 build on this; nothing else in the program sees SDL.
// Everything here runs on the message-loop thread.
#pragma once

#include <cstdint>

namespace host {

// ---------------------------------------------------------------- start-up

// Starts SDL's video and event subsystems once; later calls return the first
// answer. False (with the reason on stderr) when no video driver starts.
bool Init();
// Closes the window and SDL's video; Init may be called again (tests do).
void Shutdown();
// True when a real display is attached, false on the offscreen/dummy drivers.
bool HasDisplay();

// ------------------------------------------------------------------ window

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Creates the one window, hidden or shown, with the given client size at the
// given desktop position. It always carries an OpenGL surface so that a
// device can attach later. False when a window already exists or SDL fails.
bool CreateMainWindow(const char* title, int x, int y, int clientW, int clientH, bool visible);
void DestroyMainWindow();
bool MainWindowExists();

void SetTitle(const char* title);
void ShowMainWindow(bool shown);
void SetPosition(int x, int y);    // desktop position of the client area
Rect GetClientArea();              // position and size of the client area
void SetClientSize(int w, int h);  // ignored while full screen
void SetResizable(bool resizable);
void SetBordered(bool bordered);
void SetMinimumSize(int w, int h);  // client size the user cannot drag below
void Minimize();
void Restore();
void Raise();
bool HasFocus();
bool IsMinimized();
bool IsShown();

// The window icon: 32-bit pixels, 0xAARRGGBB, top row first.
void SetIcon(const uint32_t* argb, int w, int h);

// The usable desktop area (without panels) and the desktop mode.
Rect GetWorkArea();
struct DisplayMode {
  int w = 0, h = 0, refresh = 0, bitsPerPixel = 0;
};
DisplayMode GetDesktopMode();

// ------------------------------------------------------------- full screen

// Full screen at w x h: a real mode change where the display offers that
// mode, otherwise desktop full screen (the picture is then scaled and
// letterboxed when presented). Returns false when neither works.
bool EnterFullScreen(int w, int h);
// Back to a window of the client size it had before.
void LeaveFullScreen();
bool IsFullScreen();
// The size of the drawable in pixels (full screen: the screen; windowed: the
// client area, times the display's scale).
void GetDrawableSize(int* w, int* h);
// Where a w x h picture shows in an area of areaW x areaH that keeps its
// shape: scaled to reach two opposite sides and centred between black bars
// (the whole area when the shapes agree), as a back buffer is presented.
Rect FitPicture(int w, int h, int areaW, int areaH);

// ------------------------------------------------------------------ OpenGL

// Creates (once) the OpenGL 3.3 core context on the window and makes it
// current; later calls return the same context. Null on failure.
void* CreateGLContext();
// Tells the context-loss observer first, with the context still current.
void DestroyGLContext();
void* GetGLContext();
// Called just before the OpenGL context goes, with it still current: a
// layer that let its own copy of something go, because OpenGL held it, reads
// it back here. Kept across contexts; null removes it.
typedef void (*ContextLossObserver)();
void SetContextLossObserver(ContextLossObserver observer);
void MakeGLCurrent();
// Swaps the window's buffers and paces frames: with vertical sync on, the
// swap waits for the blank; where the driver does not honour that, the call
// holds the frame so that no more than 60 frames a second are shown.
void SwapWindowBuffers();
// Turns frame pacing off (benchmarks and tests that time the layer itself).
void SetFramePacing(bool on);

// Memory the renderer's driver leaves behind. Compiling a program makes and
// frees megabytes in a burst, and the C library keeps the freed pages. A
// layer that has just built such things calls NoteHeapChurn; the next swap,
// once its frame is on screen, hands the heap's free pages back to the
// system, once (never as a cost of every frame).
void NoteHeapChurn();
// What handing back calls (tests count it); null restores the default,
// glibc's malloc_trim(0), and nothing on other C libraries.
typedef void (*HeapTrimmer)();
void SetHeapTrimmer(HeapTrimmer trimmer);

// The window's GDI picture (what GDI drew on the window DC) is handed to the
// presenter: the d3d8 layer installs one that draws with OpenGL once it owns
// a context; before that host shows the picture through SDL's window surface.
// Pixels are 32-bit 0x00RRGGBB, top row first, `pitch` bytes per row.
struct Picture {
  const uint32_t* pixels = nullptr;
  int w = 0, h = 0, pitch = 0;
};
typedef void (*PicturePresenter)(const Picture& picture, void* user);
void SetPicturePresenter(PicturePresenter presenter, void* user);
void PresentPicture(const Picture& picture);
// Called once a swap outside PresentPicture (a frame of the device's own)
// covers the picture last presented: the window no longer shows it, and
// whoever kept it for showing may let it go.
typedef void (*PictureCoveredObserver)(void* user);
void SetPictureCoveredObserver(PictureCoveredObserver observer, void* user);

// ------------------------------------------------------------------ cursor

void SetCursorVisible(bool visible);
bool IsCursorVisible();
// Mouse position in client coordinates (last known).
void GetMousePosition(int* x, int* y);
// Relative mouse mode: the pointer is captured and only motion is reported.
void SetRelativeMouse(bool on);

// ------------------------------------------------------------ message box

// A modal box window: a second window, titled `caption`, showing `picture`
// (drawn by the caller; its size is the window's), over the main window.
// It waits, drawing nothing of the game, until it is answered:
enum class BoxAnswer : uint8_t {
  Ok,      // Return, keypad Enter or Space, or a click inside `button`
  Cancel,  // Escape, or the box's own close button
  Quit,    // SIGTERM or the main window's close button: a Quit event is
           // put back into the stream, so that the program ends as asked
  Failed,  // no window could be made (the reason is on stderr)
};
BoxAnswer RunModalBox(const char* caption, const Picture& picture, const Rect& button);
// Called once a box's picture is on the screen, with what the window shows
// (tests look at it and answer by injecting events).
typedef void (*BoxObserver)(const Picture& shown, void* user);
void SetBoxObserver(BoxObserver observer, void* user);

// ------------------------------------------------------------------ events

// Event records in host's own terms. Key codes are USB HID keyboard usages
// (4 = A, 40 = Return, 41 = Escape, 224..231 = modifiers), so that win32 and
// dinput8 map them to VK and DIK codes with their own tables.
// The usages are named once here; `using namespace host::keys` brings just
// these names into a key table or a test.
inline namespace keys {
enum KeyUsage : uint16_t {
  HID_A = 4,
  HID_B = 5,
  HID_C = 6,
  HID_D = 7,
  HID_E = 8,
  HID_F = 9,
  HID_G = 10,
  HID_H = 11,
  HID_I = 12,
  HID_J = 13,
  HID_K = 14,
  HID_L = 15,
  HID_M = 16,
  HID_N = 17,
  HID_O = 18,
  HID_P = 19,
  HID_Q = 20,
  HID_R = 21,
  HID_S = 22,
  HID_T = 23,
  HID_U = 24,
  HID_V = 25,
  HID_W = 26,
  HID_X = 27,
  HID_Y = 28,
  HID_Z = 29,
  HID_1 = 30,
  HID_2 = 31,
  HID_3 = 32,
  HID_4 = 33,
  HID_5 = 34,
  HID_6 = 35,
  HID_7 = 36,
  HID_8 = 37,
  HID_9 = 38,
  HID_0 = 39,
  HID_RETURN = 40,
  HID_ESCAPE = 41,
  HID_BACKSPACE = 42,
  HID_TAB = 43,
  HID_SPACE = 44,
  HID_MINUS = 45,
  HID_EQUALS = 46,
  HID_LEFTBRACKET = 47,
  HID_RIGHTBRACKET = 48,
  HID_BACKSLASH = 49,
  HID_SEMICOLON = 51,
  HID_APOSTROPHE = 52,
  HID_GRAVE = 53,
  HID_COMMA = 54,
  HID_PERIOD = 55,
  HID_SLASH = 56,
  HID_CAPSLOCK = 57,
  HID_F1 = 58,
  HID_F2 = 59,
  HID_F3 = 60,
  HID_F4 = 61,
  HID_F5 = 62,
  HID_F6 = 63,
  HID_F7 = 64,
  HID_F8 = 65,
  HID_F9 = 66,
  HID_F10 = 67,
  HID_F11 = 68,
  HID_F12 = 69,
  HID_PRINTSCREEN = 70,
  HID_SCROLLLOCK = 71,
  HID_PAUSE = 72,
  HID_INSERT = 73,
  HID_HOME = 74,
  HID_PAGEUP = 75,
  HID_DELETE = 76,
  HID_END = 77,
  HID_PAGEDOWN = 78,
  HID_RIGHT = 79,
  HID_LEFT = 80,
  HID_DOWN = 81,
  HID_UP = 82,
  HID_NUMLOCK = 83,
  HID_KP_DIVIDE = 84,
  HID_KP_MULTIPLY = 85,
  HID_KP_MINUS = 86,
  HID_KP_PLUS = 87,
  HID_KP_ENTER = 88,
  HID_KP_1 = 89,
  HID_KP_2 = 90,
  HID_KP_3 = 91,
  HID_KP_4 = 92,
  HID_KP_5 = 93,
  HID_KP_6 = 94,
  HID_KP_7 = 95,
  HID_KP_8 = 96,
  HID_KP_9 = 97,
  HID_KP_0 = 98,
  HID_KP_PERIOD = 99,
  HID_NONUS_BACKSLASH = 100,
  HID_APPLICATION = 101,
  HID_KP_EQUALS = 103,
  HID_F13 = 104,
  HID_F14 = 105,
  HID_F15 = 106,
  HID_LCTRL = 224,
  HID_LSHIFT = 225,
  HID_LALT = 226,
  HID_LGUI = 227,
  HID_RCTRL = 228,
  HID_RSHIFT = 229,
  HID_RALT = 230,
  HID_RGUI = 231,
};
}  // namespace keys

enum class EventType : uint8_t {
  None,
  Quit,  // the window's close button, or the session asks to quit
  FocusGained,
  FocusLost,
  Exposed,  // the window needs painting
  Resized,  // a, b: new client size
  Minimized,
  Restored,
  Maximized,
  Moved,    // a, b: new position
  KeyDown,  // key: HID usage, mods, repeat
  KeyUp,
  TextInput,    // text: up to 31 bytes of UTF-8
  MouseMotion,  // a, b: position; dx, dy: relative motion
  MouseButton,  // button: 1 left, 2 middle, 3 right, 4, 5; down
  MouseWheel,   // dx, dy: wheel steps
  PadAdded,     // device: pad instance id
  PadRemoved,
  PadAxis,    // device, axis (PadAxis values), value -32768..32767
  PadButton,  // device, button (PadButton values), down
};

enum KeyMod : uint16_t {
  MOD_SHIFT = 1,
  MOD_CTRL = 2,
  MOD_ALT = 4,
  MOD_GUI = 8,
};

// Game-controller axes and buttons, in the standard-layout order.
enum PadAxis : uint8_t {
  PAD_LEFTX,
  PAD_LEFTY,
  PAD_RIGHTX,
  PAD_RIGHTY,
  PAD_TRIGGERLEFT,
  PAD_TRIGGERRIGHT,
  PAD_AXIS_COUNT
};
enum PadButton : uint8_t {
  PAD_A,
  PAD_B,
  PAD_X,
  PAD_Y,
  PAD_BACK,
  PAD_GUIDE,
  PAD_START,
  PAD_LEFTSTICK,
  PAD_RIGHTSTICK,
  PAD_LEFTSHOULDER,
  PAD_RIGHTSHOULDER,
  PAD_DPAD_UP,
  PAD_DPAD_DOWN,
  PAD_DPAD_LEFT,
  PAD_DPAD_RIGHT,
  PAD_BUTTON_COUNT
};

struct Event {
  EventType type = EventType::None;
  uint32_t time = 0;  // milliseconds since Init
  uint16_t key = 0;   // HID usage
  uint16_t mods = 0;  // KeyMod bits
  bool repeat = false;
  bool down = false;
  uint8_t button = 0;
  int32_t device = -1;     // controller instance id
  int32_t a = 0, b = 0;    // position / size / axis index and value
  int32_t dx = 0, dy = 0;  // relative motion, wheel
  char text[32] = {};
};

// Sinks see every event, in the order they were registered. win32 turns them
// into window messages, dinput8 into device-buffer records.
typedef void (*EventSink)(const Event& event, void* user);
int AddEventSink(EventSink sink, void* user);  // returns a handle
void RemoveEventSink(int handle);

// Delivers every waiting event to the sinks. With `waitMs` > 0 (or < 0 for
// no limit) and nothing waiting, blocks until an event arrives or the time
// runs out. Returns the number of events delivered.
int PumpEvents(int waitMs);
// Puts an event into the stream as if the desktop had sent it (tests, and
// the wake-up of a blocked pump from PostMessage).
void InjectEvent(const Event& event);
// Wakes a PumpEvents that is blocked, without delivering anything.
void WakeUp();

// Keyboard state by HID usage, as last seen by the pump.
bool IsKeyDown(uint16_t hidUsage);
uint16_t GetModState();

// Game controllers that are open, and their identity.
int PadCount();
int32_t PadInstanceAt(int index);       // -1 past the end
const char* PadName(int32_t instance);  // "" when unknown
void PadGuid(int32_t instance, uint8_t out[16]);
// What a controller's mapping provides (bit n of the masks = PadButton /
// PadAxis n): a controller with the standard layout may lack some of them.
uint32_t PadButtonMask(int32_t instance);
uint32_t PadAxisMask(int32_t instance);
// Attaches a virtual controller with the given buttons and axes; it arrives
// through the pump like a plugged-in one (tests, input replays). Returns its
// device index for DetachVirtualPad, or -1 when SDL cannot make one.
int AttachVirtualPad(const char* name, uint32_t buttonMask, uint32_t axisMask);
void DetachVirtualPad(int deviceIndex);

// Milliseconds since Init (the time base of Event::time).
uint32_t Ticks();

}  // namespace host
