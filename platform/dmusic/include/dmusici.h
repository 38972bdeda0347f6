// SPDX-License-Identifier: MIT
// DirectMusic as the sound layer calls it: the loader, the performance,
// segments and audio paths, with the identifiers, flags and result codes of
// the DirectX 8 headers. Implemented on SDL2_mixer (platform/dmusic/src).
// Every object comes from CoCreateInstance or from the loader.
#pragma once

#include <objbase.h>

typedef LONGLONG REFERENCE_TIME;  // 100 ns units
typedef LONG MUSIC_TIME;          // DMUS_PPQ units per quarter note

#define DMUS_PPQ 768

// ------------------------------------------------------------- identifiers

DEFINE_GUID(CLSID_DirectMusicLoader, 0xD2AC2892, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(IID_IDirectMusicLoader8, 0x19E7C08C, 0x0A44, 0x4E6A, 0xA1, 0x16, 0x59, 0x5A, 0x7C, 0xD5, 0xDE,
            0x8C);
DEFINE_GUID(CLSID_DirectMusicPerformance, 0xD2AC2881, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93,
            0xB1, 0xBD);
DEFINE_GUID(IID_IDirectMusicPerformance8, 0x679C4137, 0xC62E, 0x4147, 0xB2, 0xB4, 0x9D, 0x56, 0x9A, 0xCB,
            0x25, 0x4C);
DEFINE_GUID(GUID_DirectMusicAllTypes, 0xD2AC2893, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(CLSID_DirectMusicSegment, 0xD2AC2882, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(IID_IDirectMusicSegment, 0xF96029A2, 0x4282, 0x11D2, 0x87, 0x17, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(IID_IDirectMusicSegment8, 0xC6784488, 0x41A3, 0x418F, 0xAA, 0x15, 0xB3, 0x50, 0x93, 0xBA, 0x42,
            0xD4);
DEFINE_GUID(IID_IDirectMusicAudioPath8, 0xC87631F5, 0x23BE, 0x4986, 0x88, 0x36, 0x05, 0x83, 0x2F, 0xCC, 0x48,
            0xF9);
DEFINE_GUID(GUID_StandardMIDIFile, 0x06621075, 0xE92E, 0x11D1, 0xA8, 0xC5, 0x00, 0xC0, 0x4F, 0xA3, 0x72,
            0x6E);
DEFINE_GUID(CLSID_DirectMusicScript, 0x810B5013, 0xE88D, 0x11D2, 0x8B, 0xC1, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xB6);
DEFINE_GUID(IID_IDirectMusicScript8, 0x2252373A, 0x5814, 0x489B, 0x82, 0x09, 0x31, 0xFE, 0xDE, 0xBA, 0xF1,
            0x37);
DEFINE_GUID(CLSID_DirectMusicChordMap, 0xD2AC288F, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(IID_IDirectMusicChordMap8, 0xD2AC28BE, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(CLSID_DirectMusicStyle, 0xD2AC288A, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);
DEFINE_GUID(IID_IDirectMusicStyle8, 0xFD24AD8A, 0xA260, 0x453D, 0xBF, 0x50, 0x6F, 0x93, 0x84, 0xF7, 0x09,
            0x85);
DEFINE_GUID(GUID_IDirectMusicStyle, 0xD2AC28A1, 0xB39B, 0x11D1, 0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1,
            0xBD);

// ------------------------------------------------------------ result codes

#define DMUS_HRESULT_ERROR(code) ((HRESULT)(0x88780000u | (code)))
#define DMUS_HRESULT_SUCCESS(code) ((HRESULT)(0x08780000u | (code)))

#define DSERR_NODRIVER DMUS_HRESULT_ERROR(0x0078)
#define DMUS_E_NOT_DOWNLOADED_TO_PORT DMUS_HRESULT_ERROR(0x1119)
#define DMUS_E_SET_UNSUPPORTED DMUS_HRESULT_ERROR(0x111C)
#define DMUS_E_GET_UNSUPPORTED DMUS_HRESULT_ERROR(0x111D)
#define DMUS_E_NOTPCM DMUS_HRESULT_ERROR(0x1123)
#define DMUS_E_BADWAVE DMUS_HRESULT_ERROR(0x1124)
#define DMUS_E_UNSUPPORTED_STREAM DMUS_HRESULT_ERROR(0x1150)
#define DMUS_E_ALREADY_INITED DMUS_HRESULT_ERROR(0x1151)
#define DMUS_E_NOT_FOUND DMUS_HRESULT_ERROR(0x1161)
#define DMUS_E_NOT_INIT DMUS_HRESULT_ERROR(0x1162)
#define DMUS_E_TYPE_UNSUPPORTED DMUS_HRESULT_ERROR(0x1164)
#define DMUS_E_LOADER_NOCLASSID DMUS_HRESULT_ERROR(0x1180)
#define DMUS_E_LOADER_BADPATH DMUS_HRESULT_ERROR(0x1181)
#define DMUS_E_LOADER_FAILEDOPEN DMUS_HRESULT_ERROR(0x1182)
#define DMUS_E_LOADER_FORMATNOTSUPPORTED DMUS_HRESULT_ERROR(0x1183)
#define DMUS_E_LOADER_FAILEDCREATE DMUS_HRESULT_ERROR(0x1184)
#define DMUS_E_LOADER_NOFILENAME DMUS_HRESULT_ERROR(0x1186)
#define DMUS_E_INVALIDFILE DMUS_HRESULT_ERROR(0x1200)
#define DMUS_E_NO_AUDIOPATH_CONFIG DMUS_HRESULT_ERROR(0x1228)
#define DMUS_E_NO_AUDIOPATH DMUS_HRESULT_ERROR(0x122C)
#define DMUS_S_GARBAGE_COLLECTED DMUS_HRESULT_SUCCESS(0x1216)

// ------------------------------------------------------------------ flags

// InitAudio: the effects the audio paths may use, and the standard paths.
#define DMUS_AUDIOF_3D 0x1
#define DMUS_AUDIOF_ENVIRON 0x2
#define DMUS_AUDIOF_EAX 0x4
#define DMUS_AUDIOF_DMOS 0x8
#define DMUS_AUDIOF_STREAMING 0x10
#define DMUS_AUDIOF_BUFFERS 0x20
#define DMUS_AUDIOF_ALL 0x3F

#define DMUS_APATH_SHARED_STEREOPLUSREVERB 1
#define DMUS_APATH_DYNAMIC_3D 6
#define DMUS_APATH_DYNAMIC_MONO 7
#define DMUS_APATH_DYNAMIC_STEREO 8

// Segment play and stop flags.
#define DMUS_SEGF_REFTIME (1 << 6)
#define DMUS_SEGF_SECONDARY (1 << 7)
#define DMUS_SEGF_QUEUE (1 << 8)
#define DMUS_SEGF_CONTROL (1 << 9)
#define DMUS_SEGF_AFTERPREPARETIME (1 << 10)
#define DMUS_SEGF_GRID (1 << 11)
#define DMUS_SEGF_BEAT (1 << 12)
#define DMUS_SEGF_MEASURE (1 << 13)
#define DMUS_SEGF_DEFAULT (1 << 14)
#define DMUS_SEGF_NOINVALIDATE (1 << 15)

#define DMUS_SEG_REPEAT_INFINITE 0xFFFFFFFF

// ------------------------------------------------------ object descriptor

#define DMUS_MAX_NAME 64
#define DMUS_MAX_CATEGORY 64
#define DMUS_MAX_FILENAME MAX_PATH

#define DMUS_OBJ_OBJECT (1 << 0)
#define DMUS_OBJ_CLASS (1 << 1)
#define DMUS_OBJ_NAME (1 << 2)
#define DMUS_OBJ_CATEGORY (1 << 3)
#define DMUS_OBJ_FILENAME (1 << 4)
#define DMUS_OBJ_FULLPATH (1 << 5)
#define DMUS_OBJ_URL (1 << 6)
#define DMUS_OBJ_VERSION (1 << 7)
#define DMUS_OBJ_DATE (1 << 8)
#define DMUS_OBJ_LOADED (1 << 9)
#define DMUS_OBJ_MEMORY (1 << 10)
#define DMUS_OBJ_STREAM (1 << 11)

typedef struct _DMUS_VERSION {
  DWORD dwVersionMS;
  DWORD dwVersionLS;
} DMUS_VERSION;

struct IStream;

// dwSize must be sizeof(DMUS_OBJECTDESC) (856 bytes with 64-bit pointers).
typedef struct _DMUS_OBJECTDESC {
  DWORD dwSize;
  DWORD dwValidData;
  GUID guidObject;
  GUID guidClass;
  FILETIME ftDate;
  DMUS_VERSION vVersion;
  WCHAR wszName[DMUS_MAX_NAME];
  WCHAR wszCategory[DMUS_MAX_CATEGORY];
  WCHAR wszFileName[DMUS_MAX_FILENAME];
  LONGLONG llMemLength;
  LPBYTE pbMemData;
  IStream* pStream;
} DMUS_OBJECTDESC, *LPDMUS_OBJECTDESC;

typedef struct _DMUS_AUDIOPARAMS {
  DWORD dwSize;
  BOOL fInitNow;
  DWORD dwValidData;
  DWORD dwFeatures;
  DWORD dwVoices;
  DWORD dwSampleRate;
  CLSID clsidDefaultSynth;
} DMUS_AUDIOPARAMS;

typedef struct _DMUS_SCRIPT_ERRORINFO DMUS_SCRIPT_ERRORINFO;

// ------------------------------------------------------------- interfaces

struct IDirectMusic;
struct IDirectSound;
struct IDirectMusicSegmentState;
struct IDirectMusicPerformance;

// A wave segment: the recording of one WAV file.
struct IDirectMusicSegment : public IUnknown {
  // Times to play after the first (DMUS_SEG_REPEAT_INFINITE: until stopped);
  // applies to instances started afterwards.
  STDMETHOD(SetRepeats)(DWORD repeats) PURE;
  // Wave segments carry no tracks: every parameter is DMUS_E_NOT_FOUND.
  STDMETHOD(GetParam)
  (REFGUID type, DWORD group, DWORD index, MUSIC_TIME time, MUSIC_TIME* next, void* data) PURE;
  // GUID_StandardMIDIFile is accepted (it only shapes how MIDI data is
  // downloaded); other types are DMUS_E_SET_UNSUPPORTED.
  STDMETHOD(SetParam)(REFGUID type, DWORD group, DWORD index, MUSIC_TIME time, void* data) PURE;
};

// An audio path: where a segment's sound goes (here: the performance's
// stereo mix). A path belongs to one performance; after that performance's
// CloseDown it leads nowhere and segments refuse it.
struct IDirectMusicAudioPath : public IUnknown {};
typedef IDirectMusicAudioPath IDirectMusicAudioPath8;

struct IDirectMusicSegment8 : public IDirectMusicSegment {
  // Wave segments have no audio-path configuration: DMUS_E_NO_AUDIOPATH_CONFIG.
  STDMETHOD(GetAudioPathConfig)(IUnknown** config) PURE;
  // Decodes the recording for a performance (or an audio path of one) in
  // the format of its sound device; downloads are counted, each Unload
  // takes one back. DMUS_E_NOT_INIT while the performance has no audio.
  STDMETHOD(Download)(IUnknown* audioPath) PURE;
  STDMETHOD(Unload)(IUnknown* audioPath) PURE;
};

struct IDirectMusicPerformance : public IUnknown {
  // Stops the segment's instances (every instance of the performance when
  // null) at `time` (0: now) aligned by the flags: DMUS_SEGF_GRID, _BEAT,
  // _MEASURE wait for the next boundary of that grid. Segment states are
  // not kept: one must be null.
  STDMETHOD(Stop)
  (IDirectMusicSegment* segment, IDirectMusicSegmentState* state, MUSIC_TIME time, DWORD flags) PURE;
  // S_OK while an instance of the segment sounds, else S_FALSE.
  STDMETHOD(IsPlaying)(IDirectMusicSegment* segment, IDirectMusicSegmentState* state) PURE;
  // Stops all sound, releases the audio paths and the downloads made to
  // this performance and closes the sound device when no other needs it.
  STDMETHOD(CloseDown)() PURE;
};

struct IDirectMusicPerformance8 : public IDirectMusicPerformance {
  // Opens the sound device (22050 Hz, 16-bit, stereo; its clock starts the
  // performance's beat grid: 120 beats a minute, a beat every 0.5 s). Every
  // path type mixes dry into the stereo output (no reverb, no 3D).
  // `defaultPathType` 0 makes no default path. DSERR_NODRIVER when there is
  // no usable sound device; E_NOTIMPL for DirectMusic or DirectSound objects
  // asked for, or audio parameters given.
  STDMETHOD(InitAudio)
  (IDirectMusic** music, IDirectSound** sound, HWND window, DWORD defaultPathType, DWORD pchannelCount,
   DWORD flags, DMUS_AUDIOPARAMS* params) PURE;
  // Starts one more instance of a downloaded segment, at once. Primary
  // segments (no DMUS_SEGF_SECONDARY) replace the primary one playing;
  // secondary ones overlap freely. A null path means the default path.
  // Delayed or aligned starts, transitions, names, "from" objects and
  // segment states are E_NOTIMPL; a segment not downloaded to this
  // performance is DMUS_E_NOT_DOWNLOADED_TO_PORT.
  STDMETHOD(PlaySegmentEx)
  (IUnknown* source, WCHAR* segmentName, IUnknown* transition, DWORD flags, LONGLONG startTime,
   IDirectMusicSegmentState** state, IUnknown* from, IUnknown* audioPath) PURE;
  // Stop for a segment (or, null, everything) with a reference time of 0.
  STDMETHOD(StopEx)(IUnknown* objectToStop, LONGLONG stopTime, DWORD flags) PURE;
  // No configuration objects exist here (segments have none): a null
  // config is E_POINTER, any other E_INVALIDARG.
  STDMETHOD(CreateAudioPath)(IUnknown* config, BOOL activate, IDirectMusicAudioPath** path) PURE;
  // A new reference to the default path; DMUS_E_NO_AUDIOPATH without one.
  STDMETHOD(GetDefaultAudioPath)(IDirectMusicAudioPath** path) PURE;
};

// Scripts, styles and chord maps are declared for the sound layer's
// signatures; the loader creates none of them (DMUS_E_LOADER_FAILEDCREATE).
struct IDirectMusicScript8 : public IUnknown {
  STDMETHOD(Init)(IDirectMusicPerformance* performance, DMUS_SCRIPT_ERRORINFO* errorInfo) PURE;
  STDMETHOD(CallRoutine)(WCHAR* routineName, DMUS_SCRIPT_ERRORINFO* errorInfo) PURE;
  STDMETHOD(SetVariableNumber)(WCHAR* variableName, LONG value, DMUS_SCRIPT_ERRORINFO* errorInfo) PURE;
  STDMETHOD(GetVariableNumber)(WCHAR* variableName, LONG* value, DMUS_SCRIPT_ERRORINFO* errorInfo) PURE;
};

struct IDirectMusicStyle8 : public IUnknown {
  STDMETHOD(GetMotif)(WCHAR* motifName, IDirectMusicSegment** segment) PURE;
};

struct IDirectMusicChordMap8 : public IUnknown {};

struct IDirectMusicLoader8 : public IUnknown {
  // Creates the object the descriptor names: DMUS_OBJ_CLASS is required;
  // the data comes from DMUS_OBJ_MEMORY (copied, the caller keeps its
  // buffer) or DMUS_OBJ_FILENAME (relative to the search directory unless
  // DMUS_OBJ_FULLPATH). Objects from files are cached by path.
  // DMUS_E_LOADER_FAILEDOPEN for a file that does not open, DMUS_E_INVALIDFILE
  // or DMUS_E_NOTPCM for data that is not a usable PCM WAV file.
  STDMETHOD(GetObject)(LPDMUS_OBJECTDESC desc, REFIID riid, LPVOID* object) PURE;
  // DMUS_E_LOADER_BADPATH unless `path` names a directory.
  STDMETHOD(SetSearchDirectory)(REFGUID classId, WCHAR* path, BOOL clear) PURE;
  STDMETHOD(ClearCache)(REFGUID classId) PURE;
  // Drops the loader's cached reference; S_FALSE when it held none.
  STDMETHOD(ReleaseObjectByUnknown)(IUnknown* object) PURE;
  STDMETHOD_(void, CollectGarbage)() PURE;
  STDMETHOD(LoadObjectFromFile)(REFGUID classId, REFIID riid, WCHAR* filePath, void** object) PURE;
};
