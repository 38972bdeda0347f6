// SPDX-License-Identifier: MIT
// The DirectX .x file parser: DirectXFileCreate and its enumeration
// interfaces, reading text and binary .x files (versions 0302 and 0303,
// 32- and 64-bit floats) from a file, a memory block or a resource.
#pragma once

#include <objbase.h>

typedef DWORD DXFILEFORMAT;
#define DXFILEFORMAT_BINARY 0
#define DXFILEFORMAT_TEXT 1
#define DXFILEFORMAT_COMPRESSED 2

typedef DWORD DXFILELOADOPTIONS;
#define DXFILELOAD_FROMFILE 0x00L
#define DXFILELOAD_FROMRESOURCE 0x01L
#define DXFILELOAD_FROMMEMORY 0x02L
#define DXFILELOAD_FROMSTREAM 0x04L
#define DXFILELOAD_FROMURL 0x08L

typedef struct _DXFILELOADRESOURCE {
  HMODULE hModule;
  LPCSTR lpName;
  LPCSTR lpType;
} DXFILELOADRESOURCE, *LPDXFILELOADRESOURCE;

typedef struct _DXFILELOADMEMORY {
  LPVOID lpMemory;
  DWORD dSize;
} DXFILELOADMEMORY, *LPDXFILELOADMEMORY;

struct IDirectXFile;
struct IDirectXFileEnumObject;
struct IDirectXFileSaveObject;
struct IDirectXFileObject;
struct IDirectXFileData;
struct IDirectXFileDataReference;
struct IDirectXFileBinary;
typedef IDirectXFile* LPDIRECTXFILE;
typedef IDirectXFileEnumObject* LPDIRECTXFILEENUMOBJECT;
typedef IDirectXFileSaveObject* LPDIRECTXFILESAVEOBJECT;
typedef IDirectXFileObject* LPDIRECTXFILEOBJECT;
typedef IDirectXFileData* LPDIRECTXFILEDATA;
typedef IDirectXFileDataReference* LPDIRECTXFILEDATAREFERENCE;
typedef IDirectXFileBinary* LPDIRECTXFILEBINARY;

// The parser. Templates registered here are known to every enumeration
// object created afterwards; templates defined inside a file are known to
// that file's enumeration only.
struct IDirectXFile : IUnknown {
  // Parses the whole source at once: a malformed file fails here, never
  // later during enumeration.
  STDMETHOD(CreateEnumObject)
  (LPVOID source, DXFILELOADOPTIONS options, LPDIRECTXFILEENUMOBJECT* enumObject) PURE;
  // Writing .x files is not supported: E_NOTIMPL.
  STDMETHOD(CreateSaveObject)(LPCSTR fileName, DXFILEFORMAT format, LPDIRECTXFILESAVEOBJECT* saveObject) PURE;
  // A complete .x file (header and template definitions, text or binary).
  STDMETHOD(RegisterTemplates)(LPVOID data, DWORD size) PURE;
};

// The top-level data objects of one file, in file order.
struct IDirectXFileEnumObject : IUnknown {
  STDMETHOD(GetNextDataObject)(LPDIRECTXFILEDATA* data) PURE;
  // Search every data object of the file, nested ones included.
  STDMETHOD(GetDataObjectById)(REFGUID id, LPDIRECTXFILEDATA* data) PURE;
  STDMETHOD(GetDataObjectByName)(LPCSTR name, LPDIRECTXFILEDATA* data) PURE;
};

struct IDirectXFileSaveObject : IUnknown {};

struct IDirectXFileObject : IUnknown {
  // With a null buffer *size receives the length including the terminator
  // (0 for an unnamed object); otherwise *size must be large enough.
  STDMETHOD(GetName)(LPSTR name, LPDWORD size) PURE;
  // GUID_NULL when the object carries no id.
  STDMETHOD(GetId)(LPGUID id) PURE;
};

// A data object. GetData hands out a pointer into memory owned by the
// object, valid while any reference to the file's objects is held. Members
// are packed without padding: WORD 2 bytes, DWORD/FLOAT/SDWORD 4, DOUBLE 8,
// CHAR/UCHAR 1, strings as a pointer to a zero-terminated 8-bit string.
// FLOAT members are always 32-bit, whatever float size the file uses.
struct IDirectXFileData : IDirectXFileObject {
  // A null member name gives the whole object; otherwise one member of the
  // object's template.
  STDMETHOD(GetData)(LPCSTR member, DWORD* size, void** data) PURE;
  STDMETHOD(GetType)(const GUID** type) PURE;
  // The object's child objects (data objects, references, binary objects)
  // one by one; DXFILEERR_NOMOREOBJECTS after the last.
  STDMETHOD(GetNextObject)(LPDIRECTXFILEOBJECT* child) PURE;
  // Building objects for saving is not supported: E_NOTIMPL.
  STDMETHOD(AddDataObject)(LPDIRECTXFILEDATA data) PURE;
  STDMETHOD(AddDataReference)(LPCSTR ref, const GUID* refId) PURE;
  STDMETHOD(AddBinaryObject)(LPCSTR name, const GUID* id, LPCSTR mimeType, LPVOID data, DWORD size) PURE;
};

// A reference ("{ name }" or "{ <guid> }") to a data object of the same file.
struct IDirectXFileDataReference : IDirectXFileObject {
  STDMETHOD(Resolve)(LPDIRECTXFILEDATA* data) PURE;
};

// Raw bytes held by a data object.
struct IDirectXFileBinary : IDirectXFileObject {
  STDMETHOD(GetSize)(DWORD* size) PURE;
  STDMETHOD(GetMimeType)(LPCSTR* mimeType) PURE;
  STDMETHOD(Read)(LPVOID data, DWORD size, LPDWORD read) PURE;
};

HRESULT WINAPI DirectXFileCreate(LPDIRECTXFILE* directXFile);

DEFINE_GUID(CLSID_CDirectXFile, 0x4516ec43, 0x8f20, 0x11d0, 0x9b, 0x6d, 0x00, 0x00, 0xc0, 0x78, 0x1b, 0xc3);
DEFINE_GUID(IID_IDirectXFile, 0x3d82ab40, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33);
DEFINE_GUID(IID_IDirectXFileEnumObject, 0x3d82ab41, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4,
            0x33);
DEFINE_GUID(IID_IDirectXFileSaveObject, 0x3d82ab42, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4,
            0x33);
DEFINE_GUID(IID_IDirectXFileObject, 0x3d82ab43, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4,
            0x33);
DEFINE_GUID(IID_IDirectXFileData, 0x3d82ab44, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33);
DEFINE_GUID(IID_IDirectXFileDataReference, 0x3d82ab45, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71,
            0xe4, 0x33);
DEFINE_GUID(IID_IDirectXFileBinary, 0x3d82ab46, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4,
            0x33);
// The type of the Header object that opens many .x files.
DEFINE_GUID(TID_DXFILEHeader, 0x3d82ab43, 0x62da, 0x11cf, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33);

#define DXFILE_OK 0
#ifndef MAKE_DDHRESULT
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, 0x876, code)
#endif
#define DXFILEERR_BADOBJECT MAKE_DDHRESULT(850)
#define DXFILEERR_BADVALUE MAKE_DDHRESULT(851)
#define DXFILEERR_BADTYPE MAKE_DDHRESULT(852)
#define DXFILEERR_BADSTREAMHANDLE MAKE_DDHRESULT(853)
#define DXFILEERR_BADALLOC MAKE_DDHRESULT(854)
#define DXFILEERR_NOTFOUND MAKE_DDHRESULT(855)
#define DXFILEERR_NOTDONEYET MAKE_DDHRESULT(856)
#define DXFILEERR_FILENOTFOUND MAKE_DDHRESULT(857)
#define DXFILEERR_RESOURCENOTFOUND MAKE_DDHRESULT(858)
#define DXFILEERR_URLNOTFOUND MAKE_DDHRESULT(859)
#define DXFILEERR_BADRESOURCE MAKE_DDHRESULT(860)
#define DXFILEERR_BADFILETYPE MAKE_DDHRESULT(861)
#define DXFILEERR_BADFILEVERSION MAKE_DDHRESULT(862)
#define DXFILEERR_BADFILEFLOATSIZE MAKE_DDHRESULT(863)
#define DXFILEERR_BADFILECOMPRESSIONTYPE MAKE_DDHRESULT(864)
#define DXFILEERR_BADFILE MAKE_DDHRESULT(865)
#define DXFILEERR_PARSEERROR MAKE_DDHRESULT(866)
#define DXFILEERR_NOTEMPLATE MAKE_DDHRESULT(867)
#define DXFILEERR_BADARRAYSIZE MAKE_DDHRESULT(868)
#define DXFILEERR_BADDATAREFERENCE MAKE_DDHRESULT(869)
#define DXFILEERR_INTERNALERROR MAKE_DDHRESULT(870)
#define DXFILEERR_NOMOREOBJECTS MAKE_DDHRESULT(871)
#define DXFILEERR_BADINTRINSICS MAKE_DDHRESULT(872)
#define DXFILEERR_NOMORESTREAMHANDLES MAKE_DDHRESULT(873)
#define DXFILEERR_NOMOREDATA MAKE_DDHRESULT(874)
#define DXFILEERR_BADCACHEFILE MAKE_DDHRESULT(875)
#define DXFILEERR_NOINTERNET MAKE_DDHRESULT(876)
