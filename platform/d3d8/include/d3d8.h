// SPDX-License-Identifier: MIT
// Direct3D 8 as the game uses it: Direct3DCreate8, IDirect3D8, the device,
// textures, surfaces, vertex and index buffers, with the Direct3D 8 names,
// error codes and interface identifiers. Implemented on OpenGL 3.3 core in
// platform/d3d8/src; one device at a time, on the message-loop thread.
#pragma once

#include <objbase.h>

#include <d3d8caps.h>
#include <d3d8types.h>

#define D3D_SDK_VERSION 120
#define D3DADAPTER_DEFAULT 0
#define D3DCURRENT_DISPLAY_MODE 0x00EFFFFFL

#define D3DCREATE_FPU_PRESERVE 0x00000002L
#define D3DCREATE_MULTITHREADED 0x00000004L
#define D3DCREATE_PUREDEVICE 0x00000010L
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020L
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040L
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080L

#define D3DSGR_NO_CALIBRATION 0x00000000L

// ------------------------------------------------------------------ errors

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)
#define MAKE_D3DSTATUS(code) MAKE_HRESULT(0, _FACD3D, code)

#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDCOLORARG MAKE_D3DHRESULT(2074)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_UNSUPPORTEDALPHAARG MAKE_D3DHRESULT(2076)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_CONFLICTINGTEXTUREPALETTE MAKE_D3DHRESULT(2086)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL MAKE_D3DHRESULT(2157)

// ------------------------------------------------------------- identifiers

DEFINE_GUID(IID_IDirect3D8, 0x1dd9e8da, 0x1c77, 0x4d40, 0xb0, 0xcf, 0x98, 0xfe, 0xfd, 0xff, 0x95, 0x12);
DEFINE_GUID(IID_IDirect3DDevice8, 0x7385e5df, 0x8fe8, 0x41d5, 0x86, 0xb6, 0xd7, 0xb4, 0x85, 0x47, 0xb6, 0xcf);
DEFINE_GUID(IID_IDirect3DResource8, 0x1b36bb7b, 0x09b7, 0x410a, 0xb4, 0x45, 0x7d, 0x14, 0x30, 0xd7, 0xb3,
            0x3f);
DEFINE_GUID(IID_IDirect3DBaseTexture8, 0xb4211cfa, 0x51b9, 0x4a9f, 0xab, 0x78, 0xdb, 0x99, 0xb2, 0xbb, 0x67,
            0x8e);
DEFINE_GUID(IID_IDirect3DTexture8, 0xe4cdd575, 0x2866, 0x4f01, 0xb1, 0x2e, 0x7e, 0xec, 0xe1, 0xec, 0x93,
            0x58);
DEFINE_GUID(IID_IDirect3DSurface8, 0xb96eebca, 0xb326, 0x4ea5, 0x88, 0x2f, 0x2f, 0xf5, 0xba, 0xe0, 0x21,
            0xdd);
DEFINE_GUID(IID_IDirect3DVertexBuffer8, 0x8aeeeac7, 0x05f9, 0x44d4, 0xb5, 0x91, 0x00, 0x0b, 0x0d, 0xf1, 0xcb,
            0x95);
DEFINE_GUID(IID_IDirect3DIndexBuffer8, 0x0e689c9a, 0x053d, 0x44a0, 0x9d, 0x92, 0xdb, 0x0e, 0x3d, 0x75, 0x0f,
            0x86);

struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DResource8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DSurface8;
struct IDirect3DVertexBuffer8;
struct IDirect3DIndexBuffer8;

typedef IDirect3D8* LPDIRECT3D8;
typedef IDirect3DDevice8* LPDIRECT3DDEVICE8;
typedef IDirect3DResource8* LPDIRECT3DRESOURCE8;
typedef IDirect3DBaseTexture8* LPDIRECT3DBASETEXTURE8;
typedef IDirect3DTexture8* LPDIRECT3DTEXTURE8;
typedef IDirect3DSurface8* LPDIRECT3DSURFACE8;
typedef IDirect3DVertexBuffer8* LPDIRECT3DVERTEXBUFFER8;
typedef IDirect3DIndexBuffer8* LPDIRECT3DINDEXBUFFER8;

// ---------------------------------------------------------------- IDirect3D8

struct IDirect3D8 : public IUnknown {
  STDMETHOD_(UINT, GetAdapterCount)() PURE;
  STDMETHOD_(UINT, GetAdapterModeCount)(UINT Adapter) PURE;
  STDMETHOD(EnumAdapterModes)(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) PURE;
  STDMETHOD(GetAdapterDisplayMode)(UINT Adapter, D3DDISPLAYMODE* pMode) PURE;
  STDMETHOD(CheckDeviceType)
  (UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat, D3DFORMAT BackBufferFormat,
   BOOL Windowed) PURE;
  STDMETHOD(CheckDeviceFormat)
  (UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage, D3DRESOURCETYPE RType,
   D3DFORMAT CheckFormat) PURE;
  STDMETHOD(CheckDepthStencilMatch)
  (UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, D3DFORMAT RenderTargetFormat,
   D3DFORMAT DepthStencilFormat) PURE;
  STDMETHOD(GetDeviceCaps)(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) PURE;
  STDMETHOD(CreateDevice)
  (UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
   D3DPRESENT_PARAMETERS* pPresentationParameters, IDirect3DDevice8** ppReturnedDeviceInterface) PURE;
};

// Returns a new IDirect3D8 (one reference), or null for any other SDK version.
IDirect3D8* WINAPI Direct3DCreate8(UINT SDKVersion);

// ---------------------------------------------------------------- resources

struct IDirect3DResource8 : public IUnknown {
  STDMETHOD(GetDevice)(IDirect3DDevice8** ppDevice) PURE;
  STDMETHOD_(DWORD, SetPriority)(DWORD PriorityNew) PURE;
  STDMETHOD_(DWORD, GetPriority)() PURE;
  STDMETHOD_(void, PreLoad)() PURE;
  STDMETHOD_(D3DRESOURCETYPE, GetType)() PURE;
};

struct IDirect3DBaseTexture8 : public IDirect3DResource8 {
  STDMETHOD_(DWORD, SetLOD)(DWORD LODNew) PURE;
  STDMETHOD_(DWORD, GetLOD)() PURE;
  STDMETHOD_(DWORD, GetLevelCount)() PURE;
};

struct IDirect3DTexture8 : public IDirect3DBaseTexture8 {
  STDMETHOD(GetLevelDesc)(UINT Level, D3DSURFACE_DESC* pDesc) PURE;
  STDMETHOD(GetSurfaceLevel)(UINT Level, IDirect3DSurface8** ppSurfaceLevel) PURE;
  STDMETHOD(LockRect)(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) PURE;
  STDMETHOD(UnlockRect)(UINT Level) PURE;
  STDMETHOD(AddDirtyRect)(const RECT* pDirtyRect) PURE;
};

struct IDirect3DSurface8 : public IUnknown {
  STDMETHOD(GetDevice)(IDirect3DDevice8** ppDevice) PURE;
  // The texture that owns a texture level, or the device for its back buffer.
  STDMETHOD(GetContainer)(REFIID riid, void** ppContainer) PURE;
  STDMETHOD(GetDesc)(D3DSURFACE_DESC* pDesc) PURE;
  STDMETHOD(LockRect)(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) PURE;
  STDMETHOD(UnlockRect)() PURE;
};

struct IDirect3DVertexBuffer8 : public IDirect3DResource8 {
  STDMETHOD(Lock)(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) PURE;
  STDMETHOD(Unlock)() PURE;
  STDMETHOD(GetDesc)(D3DVERTEXBUFFER_DESC* pDesc) PURE;
};

struct IDirect3DIndexBuffer8 : public IDirect3DResource8 {
  STDMETHOD(Lock)(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) PURE;
  STDMETHOD(Unlock)() PURE;
  STDMETHOD(GetDesc)(D3DINDEXBUFFER_DESC* pDesc) PURE;
};

// ------------------------------------------------------------------ device

struct IDirect3DDevice8 : public IUnknown {
  // Device and presentation.
  STDMETHOD(TestCooperativeLevel)() PURE;
  STDMETHOD_(UINT, GetAvailableTextureMem)() PURE;
  STDMETHOD(GetDirect3D)(IDirect3D8** ppD3D8) PURE;
  STDMETHOD(GetDeviceCaps)(D3DCAPS8* pCaps) PURE;
  STDMETHOD(GetDisplayMode)(D3DDISPLAYMODE* pMode) PURE;
  STDMETHOD(GetCreationParameters)(D3DDEVICE_CREATION_PARAMETERS* pParameters) PURE;
  STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* pPresentationParameters) PURE;
  STDMETHOD(Present)
  (const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
   const RGNDATA* pDirtyRegion) PURE;
  STDMETHOD(GetBackBuffer)(UINT BackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface8** ppBackBuffer) PURE;
  STDMETHOD(GetDepthStencilSurface)(IDirect3DSurface8** ppZStencilSurface) PURE;

  // Resources.
  STDMETHOD(CreateTexture)
  (UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
   IDirect3DTexture8** ppTexture) PURE;
  STDMETHOD(CreateVertexBuffer)
  (UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool, IDirect3DVertexBuffer8** ppVertexBuffer) PURE;
  STDMETHOD(CreateIndexBuffer)
  (UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, IDirect3DIndexBuffer8** ppIndexBuffer) PURE;
  STDMETHOD(CreateImageSurface)
  (UINT Width, UINT Height, D3DFORMAT Format, IDirect3DSurface8** ppSurface) PURE;
  STDMETHOD(CopyRects)
  (IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
   IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) PURE;

  // Scene.
  STDMETHOD(BeginScene)() PURE;
  STDMETHOD(EndScene)() PURE;
  STDMETHOD(Clear)
  (DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) PURE;

  // Fixed-function state.
  STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) PURE;
  STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) PURE;
  STDMETHOD(MultiplyTransform)(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) PURE;
  STDMETHOD(SetViewport)(const D3DVIEWPORT8* pViewport) PURE;
  STDMETHOD(GetViewport)(D3DVIEWPORT8* pViewport) PURE;
  STDMETHOD(SetMaterial)(const D3DMATERIAL8* pMaterial) PURE;
  STDMETHOD(GetMaterial)(D3DMATERIAL8* pMaterial) PURE;
  STDMETHOD(SetLight)(DWORD Index, const D3DLIGHT8* pLight) PURE;
  STDMETHOD(GetLight)(DWORD Index, D3DLIGHT8* pLight) PURE;
  STDMETHOD(LightEnable)(DWORD Index, BOOL Enable) PURE;
  STDMETHOD(GetLightEnable)(DWORD Index, BOOL* pEnable) PURE;
  STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE State, DWORD Value) PURE;
  STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE State, DWORD* pValue) PURE;
  STDMETHOD(GetTexture)(DWORD Stage, IDirect3DBaseTexture8** ppTexture) PURE;
  STDMETHOD(SetTexture)(DWORD Stage, IDirect3DBaseTexture8* pTexture) PURE;
  STDMETHOD(GetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) PURE;
  STDMETHOD(SetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) PURE;

  // State blocks: handles are nonzero DWORDs.
  STDMETHOD(BeginStateBlock)() PURE;
  STDMETHOD(EndStateBlock)(DWORD* pToken) PURE;
  STDMETHOD(ApplyStateBlock)(DWORD Token) PURE;
  STDMETHOD(CaptureStateBlock)(DWORD Token) PURE;
  STDMETHOD(DeleteStateBlock)(DWORD Token) PURE;
  STDMETHOD(CreateStateBlock)(D3DSTATEBLOCKTYPE Type, DWORD* pToken) PURE;

  // Vertex data and drawing. A fixed-function "vertex shader" is an FVF code.
  STDMETHOD(SetVertexShader)(DWORD Handle) PURE;
  STDMETHOD(GetVertexShader)(DWORD* pHandle) PURE;
  STDMETHOD(SetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) PURE;
  STDMETHOD(GetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) PURE;
  STDMETHOD(SetIndices)(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) PURE;
  STDMETHOD(GetIndices)(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) PURE;
  STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) PURE;
  STDMETHOD(DrawIndexedPrimitive)
  (D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex, UINT NumVertices, UINT StartIndex,
   UINT PrimitiveCount) PURE;
  STDMETHOD(DrawPrimitiveUP)
  (D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
   UINT VertexStreamZeroStride) PURE;
  STDMETHOD(DrawIndexedPrimitiveUP)
  (D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertexIndices, UINT PrimitiveCount,
   const void* pIndexData, D3DFORMAT IndexDataFormat, const void* pVertexStreamZeroData,
   UINT VertexStreamZeroStride) PURE;
};
