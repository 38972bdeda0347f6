// SPDX-License-Identifier: MIT
// The display device and its objects: creation at start-up, the fixed state
// set after creation and every reset, display-mode switches, presentation,
// release, and the fatal start-up error boxes. Relies on the renderer's
// helpers, models, fonts and camera, and on the world's display list.
#include "app/display.h"

#include <cstdint>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/trace.h"
#include "common/src/media_files.h"
#include "render/d3d_helpers.h"
#include "render/game_models.h"
#include "render/render_game.h"
#include "render/scene_camera.h"
#include "render/texture_font.h"
#include "world/game_object.h"

namespace {

// 16-bit formats first: the game was tuned for them.
const D3DFORMAT kFullScreenFormats[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8,
                                        D3DFMT_A8R8G8B8};
const D3DFORMAT kTextureFormats[] = {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8};

// The sprite sheets' background. Opaque black, so that the key matches
// black texels in the 32-bit texture format as well as in the 16-bit ones
// (whose keys ignore the alpha byte).
const D3DCOLOR kSpriteKeyColor = 0xFF000000;

const UINT kConfigSurfaceWidth = 640;
const UINT kConfigSurfaceHeight = 480;

struct FatalErrorText {
  const char* trace;
  const char* box;
};

// Indexed by FatalErrorCode.
const FatalErrorText kFatalErrors[] = {
    {"", ""},
    {"Could not create Direct3D\n",
     "Could not create Direct3D.\n\nPlease make sure you have the latest DirectX\n.dlls installed on your "
     "system."},
    {"Could not create a Direct3D device\n",
     "Could not create a Direct3D device. Your\ngraphics accelerator is not sufficient to\nrun this demo, or "
     "your "
     "desktop is using\na color format that cannot be accelerated by\nyour graphics card (try 16-bit mode)."},
    {"Could not load textures\n",
     "Couldn't load game textures.\n\nEither your graphics hardware does not have\nsufficient resources, or "
     "the "
     "DirectX SDK was\nnot properly installed."},
    {"Could not load .x models\n",
     "Couldn't load game geometry.\n\nEither your graphics hardware does not have\nsufficient resources, or "
     "the "
     "DirectX SDK was\nnot properly installed."},
    {"Couldn't load create a d3d object\n",
     "Couldn't create display objects.\nYourr graphics hardware does not have\nsufficient resources to run "
     "this "
     "app."},
    {"Could not create input objects\n", "Could not create input objects."},
};

template <typename T>
void DeleteAndClear(T*& object) {
  delete object;
  object = nullptr;
}

D3DFORMAT FirstFullScreenFormat(IDirect3D8* d3d) {
  for (D3DFORMAT f : kFullScreenFormats) {
    if (SUCCEEDED(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, f, f, FALSE))) return f;
  }
  return D3DFMT_UNKNOWN;
}

D3DFORMAT FirstTextureFormat(IDirect3D8* d3d) {
  for (D3DFORMAT f : kTextureFormats) {
    if (SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktopMode.Format, 0,
                                         D3DRTYPE_TEXTURE, f)))
      return f;
  }
  return D3DFMT_UNKNOWN;
}

// The fields of presentParams that differ between windowed and full-screen
// display; a full-screen back buffer takes screenWidth x screenHeight.
void SetDisplayModeFields(bool full) {
  presentParams.Windowed = full ? FALSE : TRUE;
  presentParams.hDeviceWindow = full ? mainWindow : nullptr;
  presentParams.BackBufferWidth = full ? screenWidth : 0;
  presentParams.BackBufferHeight = full ? screenHeight : 0;
  presentParams.BackBufferFormat = full ? fullScreenFormat : desktopMode.Format;
}

void FillPresentParams(bool full) {
  presentParams = D3DPRESENT_PARAMETERS{};
  presentParams.BackBufferCount = 1;
  presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParams.EnableAutoDepthStencil = TRUE;
  presentParams.AutoDepthStencilFormat = D3DFMT_D16;
  SetDisplayModeFields(full);
}

// The game goes on without a device-dependent part that cannot be made
// (its model or text is simply not drawn); one line on the debugger output
// says which, so a picture that lost it can be explained.
void TraceIfFailed(HRESULT hr, const char* part, const char* owner) {
  if (FAILED(hr))
    TraceFormat("Glorbs: could not create the %s of %s (hr=%08lx); it will not be drawn\n", part, owner,
                static_cast<unsigned long>(static_cast<uint32_t>(hr)));
}

TextureFont* MakeTextureFont(const char* face, DWORD height) {
  TextureFont* font = new TextureFont(face, height, 0);
  TraceIfFailed(font->CreateGlyphTexture(device), "glyph texture", face);
  return font;
}

// Both sprite sheets, black keyed out; false after the first failure.
bool LoadSpriteTextures() {
  const char* const names[2] = {"Glorbs1.bmp", "Glorbs2.bmp"};
  IDirect3DTexture8** const textures[2] = {&spriteTexture1, &spriteTexture2};
  char paths[2][512] = {};
  // Both are found before either is loaded; the one that fails is named.
  for (int i = 0; i < 2; ++i) {
    if (FAILED(LocateMediaFile(paths[i], names[i]))) {
      ReportMediaFileProblem(names[i]);
      return false;
    }
  }
  for (int i = 0; i < 2; ++i) {
    if (FAILED(LoadTextureFile(device, paths[i], textures[i], textureFormat))) {
      ReportMediaFileProblem(names[i]);
      return false;
    }
  }
  KeyOutColor(spriteTexture1, kSpriteKeyColor);
  KeyOutColor(spriteTexture2, kSpriteKeyColor);
  return true;
}

// All four models are attempted, whatever fails first.
bool LoadModels() {
  bool ok = true;
  for (DWORD slot = 0; slot < kModelSlotCount; ++slot) {
    if (SUCCEEDED(LoadShipModel(slot))) continue;
    ReportMediaFileProblem(slot == 0 ? ShipTypeFiles[shipType] : PartModelTable[slot]);
    ok = false;
  }
  if (SUCCEEDED(LoadSeaFloor())) return ok;
  ReportMediaFileProblem(kSeaFloorFile);
  return false;
}

bool CreateQuads() {
  return SUCCEEDED(device->CreateVertexBuffer(kScreenQuadBytes, D3DUSAGE_WRITEONLY, kScreenQuadFVF,
                                              D3DPOOL_MANAGED, &screenQuad)) &&
         SUCCEEDED(device->CreateVertexBuffer(kSpriteQuadBytes, D3DUSAGE_WRITEONLY, kSpriteQuadFVF,
                                              D3DPOOL_MANAGED, &spriteQuad));
}

// A windowed display gets a sizing frame and a minimise box, a 640 x 480
// client area, leaves the topmost band, and keeps its top-left corner
// inside the desktop's work area.
void FitWindow() {
  const LONG style =
      (GetWindowLongA(mainWindow, GWL_STYLE) & ~WS_POPUP) | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
  SetWindowLongA(mainWindow, GWL_STYLE, style);
  RECT frame = {0, 0, 640, 480};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(style), GetMenu(mainWindow) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(mainWindow, GWL_EXSTYLE)));
  SetWindowPos(mainWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT work = {};
  RECT window = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(mainWindow, &window);
  const LONG left = window.left < work.left ? work.left : window.left;
  const LONG top = window.top < work.top ? work.top : window.top;
  SetWindowPos(mainWindow, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ForEachModel(HRESULT (XMesh::*operation)()) {
  for (XMesh* model : modelSlots) {
    if (model) (model->*operation)();
  }
  if (seaFloorModel) (seaFloorModel->*operation)();
}

void CreateDeviceMeshes() {
  static const char* const kSlotNames[kModelSlotCount] = {"the ship", "the ship's first part",
                                                          "the ship's second part"};
  for (DWORD slot = 0; slot < kModelSlotCount; ++slot) {
    if (modelSlots[slot])
      TraceIfFailed(modelSlots[slot]->CreateDeviceMesh(device), "device mesh", kSlotNames[slot]);
  }
  if (seaFloorModel) TraceIfFailed(seaFloorModel->CreateDeviceMesh(device), "device mesh", "the sea floor");
}

void CreateFontBuffers(TextureFont* font) {
  if (font) TraceIfFailed(font->CreateTextBuffers(), "text buffers", font->FontName());
}

// screenQuad as a strip over the whole viewport; its colours are left to
// the code that draws with it.
void PlaceScreenQuad() {
  D3DVIEWPORT8 viewport = {};
  device->GetViewport(&viewport);
  const float w = static_cast<float>(viewport.Width);
  const float h = static_cast<float>(viewport.Height);
  const float corners[4][2] = {{0, h}, {0, 0}, {w, h}, {w, 0}};
  BYTE* data = nullptr;
  if (!screenQuad || FAILED(screenQuad->Lock(0, 0, &data, 0))) return;
  auto* vertices = reinterpret_cast<ScreenQuadVertex*>(data);
  for (int i = 0; i < 4; ++i) {
    vertices[i].x = corners[i][0];
    vertices[i].y = corners[i][1];
    vertices[i].z = 0.0f;
    vertices[i].rhw = 1.0f;
  }
  screenQuad->Unlock();
}

void SetCameraLightAndStates() {
  sceneCamera.SetView(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
  sceneCamera.SetProjection(0.7853982f, 1.0f, 0.1f, 100.0f);
  const D3DXMATRIX view = sceneCamera.GetViewMatrix();
  const D3DXMATRIX projection = sceneCamera.GetProjMatrix();
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  D3DMATERIAL8 material;
  MakeMaterial(material, 1.0f, 1.0f, 1.0f, 1.0f);
  device->SetMaterial(&material);
  D3DLIGHT8 light;
  MakeLight(light, D3DLIGHT_DIRECTIONAL, 1.0f, -1.0f, 1.0f);
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0x33333333);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

}  // namespace

HRESULT CreateDisplay(HWND window) {
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  if (!d3d) {
    ReportFatalError(FATAL_NO_DIRECT3D);
    return E_FAIL;
  }
  d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktopMode);
  fullScreenFormat = FirstFullScreenFormat(d3d);
  textureFormat = FirstTextureFormat(d3d);
  FillPresentParams(fullScreen);
  // A windowed back buffer takes the client size at creation: fitting the
  // window first makes it 640 x 480, drawn one to one rather than stretched
  // from the smaller client of the window as it was created.
  if (!fullScreen) FitWindow();
  const HRESULT created = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &presentParams, &device);
  d3d->Release();
  if (FAILED(created)) {
    device = nullptr;
    ReportFatalError(FATAL_NO_DEVICE);
    return E_FAIL;
  }
  hudFont = MakeTextureFont("Tahoma", 30);
  bigFont = MakeTextureFont("Impact", 48);
  if (!LoadSpriteTextures()) {
    ReportFatalError(FATAL_NO_TEXTURES);
    return E_FAIL;
  }
  if (!LoadModels()) {
    ReportFatalError(FATAL_NO_MODELS);
    return E_FAIL;
  }
  if (!CreateQuads()) {
    ReportFatalError(FATAL_NO_D3D_OBJECT);
    return E_FAIL;
  }
  if (FAILED(PrepareDeviceState())) return E_FAIL;
  displayReady = true;
  return S_OK;
}

HRESULT PrepareDeviceState() {
  if (!device) return E_FAIL;
  if (!fullScreen) FitWindow();
  CreateDeviceMeshes();
  CreateFontBuffers(hudFont);
  CreateFontBuffers(bigFont);
  PlaceScreenQuad();
  SafeRelease(inputConfigSurface);  // a repeated call replaces, never leaks
  if (FAILED(device->CreateImageSurface(kConfigSurfaceWidth, kConfigSurfaceHeight, fullScreenFormat,
                                        &inputConfigSurface))) {
    inputConfigSurface = nullptr;
    ReportFatalError(FATAL_NO_D3D_OBJECT);
    return E_FAIL;
  }
  SetCameraLightAndStates();
  return S_OK;
}

HRESULT ReleaseVolatileObjects() {
  ForEachModel(&XMesh::ReleaseDeviceMesh);
  if (hudFont) hudFont->ReleaseTextBuffers();
  if (bigFont) bigFont->ReleaseTextBuffers();
  SafeRelease(inputConfigSurface);
  return S_OK;
}

HRESULT RequestDisplayMode(bool wantFullScreen, DWORD width, DWORD height) {
  if (!appActive || !displayReady || !device) return S_OK;
  if (wantFullScreen && fullScreen && width == screenWidth && height == screenHeight) return S_OK;
  if (!wantFullScreen && !fullScreen) return S_OK;
  // A full-screen mode without a size cannot be set; refusing it keeps the
  // current display instead of closing the program on a failed reset.
  if (wantFullScreen && (width == 0 || height == 0)) return E_INVALIDARG;
  if (wantFullScreen) {
    screenWidth = width;
    screenHeight = height;
  }
  SetDisplayModeFields(wantFullScreen);
  return ResetDisplay(wantFullScreen);
}

HRESULT ResetDisplay(bool fullScreenAfterReset) {
  if (!device) return E_FAIL;
  // Restoring the device state aims the camera at its start-up view; the
  // game's view is put back afterwards, since a paused game does not aim
  // the camera again and would lose its sea floor and ship until play resumed.
  const D3DXVECTOR3 eye = sceneCamera.GetEyePt();
  const D3DXVECTOR3 lookAt = sceneCamera.GetLookatPt();
  const D3DXVECTOR3 up = sceneCamera.GetUpVec();
  displayReady = false;
  ReleaseVolatileObjects();
  if (FAILED(device->Reset(&presentParams))) {
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    return E_FAIL;
  }
  fullScreen = fullScreenAfterReset;
  if (FAILED(PrepareDeviceState())) {
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    return E_FAIL;
  }
  sceneCamera.SetView(eye, lookAt, up);
  const D3DXMATRIX view = sceneCamera.GetViewMatrix();
  device->SetTransform(D3DTS_VIEW, &view);
  displayReady = true;
  return S_OK;
}

void ShowBackBuffer() {
  if (device) device->Present(nullptr, nullptr, nullptr, nullptr);
}

void DestroyDisplay() {
  // Without a device no frame may run.
  displayReady = false;
  DestroyDisplayList();
  SafeRelease(spriteTexture1);
  SafeRelease(spriteTexture2);
  DeleteAndClear(hudFont);
  DeleteAndClear(bigFont);
  SafeRelease(inputConfigSurface);
  ForEachModel(&XMesh::Destroy);
  DeleteAndClear(seaFloorModel);
  for (XMesh*& model : modelSlots) DeleteAndClear(model);
  SafeRelease(screenQuad);
  SafeRelease(spriteQuad);
  ReleasePauseTitle();
  SafeRelease(device);
}

bool fatalErrorShown = false;

void ReportFatalError(FatalErrorCode code) {
  fatalErrorShown = true;
  ShutdownAll();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  cursorShown = true;
  const int index = code >= FATAL_NO_DIRECT3D && code <= FATAL_NO_INPUT ? code : 0;
  OutputDebugStringA(kFatalErrors[index].trace);
  MessageBoxA(mainWindow, kFatalErrors[index].box, "Glorbs3D", MB_OK);
}
