// SPDX-License-Identifier: MIT
// The sound manager, segment and script wrappers over the DirectMusic
// interfaces. Names are passed to DirectMusic as UTF-16 (TextToWide of the
// application's text utilities); failures are traced with this file's path.
#include "common/src/dmutil.h"

#include <dxerr8.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "common/src/text_convert.h"

namespace {

// The layer's own path, as its traces name it.
const char kSourcePath[] = "common/src/dmutil";

// Traces the failed call with a message box; returns `hr`.
#define TRACE_FAILURE(call, hr) DXTraceA(kSourcePath, static_cast<DWORD>(__LINE__), (hr), (call), TRUE)

// Names travel in a MAX_PATH buffer; a longer one would not fit, so it is
// refused rather than cut to a different name. UTF-8 never has fewer bytes
// than UTF-16 units, so a name that fits as 8-bit text fits as wide text.
struct WideName {
  WCHAR text[MAX_PATH] = {};
  bool ok = false;
  explicit WideName(const char* name) {
    if (!name || std::strlen(name) >= MAX_PATH) return;
    TextToWide(text, name, -1);
    ok = true;
  }
};

// A machine without a sound card is no error worth a box: the game plays
// on silently, and says so once. Sound On tried again while there is still
// no device stays quiet; a device found in between rearms the line.
bool noDeviceSaid = false;

HRESULT NoSoundDevice(HRESULT hr) {
  if (!noDeviceSaid) std::fputs("no sound device: playing without sound\n", stderr);
  noDeviceSaid = true;
  return hr;
}

}  // namespace

// ------------------------------------------------------------- SoundSegment

SoundSegment::SoundSegment(IDirectMusicPerformance8* performance, IDirectMusicLoader8* loader,
                           IDirectMusicSegment8* segment)
    : segment(segment), loader(loader), performance(performance) {
  IUnknown* config = nullptr;
  if (segment && performance && SUCCEEDED(segment->GetAudioPathConfig(&config)) && config) {
    performance->CreateAudioPath(config, TRUE, &audioPath);
  }
  SafeRelease(config);
}

SoundSegment::~SoundSegment() {
  if (segment) {
    // The loader's cached copy goes first, so nothing keeps the segment.
    if (loader) loader->ReleaseObjectByUnknown(segment);
    if (downloaded) {
      if (audioPath)
        segment->Unload(audioPath);
      else if (performance)
        segment->Unload(performance);
    }
  }
  // The path made from the segment's configuration goes before the segment.
  SafeRelease(audioPath);
  SafeRelease(segment);
  performance = nullptr;
}

HRESULT SoundSegment::Play(DWORD flags, IDirectMusicAudioPath8* path) {
  if (!segment || !performance) return CO_E_NOTINITIALIZED;
  if (!downloaded) return E_FAIL;
  return performance->PlaySegmentEx(segment, nullptr, nullptr, flags, 0, nullptr, nullptr,
                                    path ? path : audioPath);
}

HRESULT SoundSegment::Stop(DWORD flags) {
  if (!segment || !performance) return CO_E_NOTINITIALIZED;
  return performance->Stop(segment, nullptr, 0, flags);
}

HRESULT SoundSegment::Download(IDirectMusicAudioPath8* path) {
  if (!segment) return CO_E_NOTINITIALIZED;
  IUnknown* target = DownloadTarget(path);
  HRESULT hr = segment->Download(target);
  if (SUCCEEDED(hr)) downloaded = TRUE;
  return hr;
}

HRESULT SoundSegment::Unload(IDirectMusicAudioPath8* path) {
  if (!segment) return CO_E_NOTINITIALIZED;
  IUnknown* target = DownloadTarget(path);
  HRESULT hr = segment->Unload(target);
  if (SUCCEEDED(hr)) downloaded = FALSE;
  return hr;
}

IUnknown* SoundSegment::DownloadTarget(IDirectMusicAudioPath8* path) const {
  if (path) return path;
  if (audioPath) return audioPath;
  return performance;
}

BOOL SoundSegment::IsPlaying() {
  // A missing segment is "not playing", not a truthy error code.
  if (!segment || !performance) return FALSE;
  return performance->IsPlaying(segment, nullptr) == S_OK;
}

HRESULT SoundSegment::SetRepeats(DWORD repeats) {
  if (!segment) return CO_E_NOTINITIALIZED;
  return segment->SetRepeats(repeats);
}

HRESULT SoundSegment::GetStyle(IDirectMusicStyle8** style, DWORD styleIndex) {
  if (!segment) return CO_E_NOTINITIALIZED;
  return segment->GetParam(GUID_IDirectMusicStyle, 0xFFFFFFFF, styleIndex, 0, nullptr, style);
}

// -------------------------------------------------------------- SoundScript

SoundScript::SoundScript(IDirectMusicPerformance8* performance, IDirectMusicLoader8* loader,
                         IDirectMusicScript8* script)
    : script(script), loader(loader), performance(performance) {}

SoundScript::~SoundScript() {
  if (script && loader) loader->ReleaseObjectByUnknown(script);
  loader = nullptr;
  SafeRelease(script);
  performance = nullptr;
}

HRESULT SoundScript::CallRoutine(const char* routineName) {
  WideName name(routineName);
  if (!script) return CO_E_NOTINITIALIZED;
  if (!name.ok) return E_INVALIDARG;
  return script->CallRoutine(name.text, nullptr);
}

HRESULT SoundScript::SetVariableNumber(const char* variableName, LONG value) {
  WideName name(variableName);
  if (!script) return CO_E_NOTINITIALIZED;
  if (!name.ok) return E_INVALIDARG;
  return script->SetVariableNumber(name.text, value, nullptr);
}

HRESULT SoundScript::GetVariableNumber(const char* variableName, LONG* value) {
  WideName name(variableName);
  if (!script) return CO_E_NOTINITIALIZED;
  if (!name.ok) return E_INVALIDARG;
  return script->GetVariableNumber(name.text, value, nullptr);
}

// ------------------------------------------------------------- SoundManager

SoundManager::SoundManager() {
  CoInitialize(nullptr);
}

SoundManager::~SoundManager() {
  SafeRelease(loader);
  if (performance) {
    performance->Stop(nullptr, nullptr, 0, 0);
    performance->CloseDown();
    SafeRelease(performance);
  }
  CoUninitialize();
}

HRESULT SoundManager::Initialize(HWND window, DWORD pchannelCount, DWORD defaultPathType) {
  HRESULT hr = CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                                reinterpret_cast<void**>(&loader));
  if (FAILED(hr)) return TRACE_FAILURE("CoCreateInstance", hr);
  hr = CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC, IID_IDirectMusicPerformance8,
                        reinterpret_cast<void**>(&performance));
  if (FAILED(hr)) return TRACE_FAILURE("CoCreateInstance", hr);
  hr = performance->InitAudio(nullptr, nullptr, window, defaultPathType, pchannelCount, DMUS_AUDIOF_ALL,
                              nullptr);
  if (hr == DSERR_NODRIVER) return NoSoundDevice(hr);
  if (FAILED(hr)) return TRACE_FAILURE("InitAudio", hr);
  noDeviceSaid = false;
  return S_OK;
}

HRESULT SoundManager::SetSearchDirectory(const char* directory) {
  if (!loader) return E_UNEXPECTED;
  WideName path(directory);
  if (!path.ok) return E_INVALIDARG;
  return loader->SetSearchDirectory(GUID_DirectMusicAllTypes, path.text, FALSE);
}

HRESULT SoundManager::CreateSegmentFromResource(SoundSegment** segment, const char* resourceName,
                                                const char* resourceType, BOOL downloadNow, BOOL isMidiFile) {
  if (!segment) return E_INVALIDARG;
  HRSRC resource = FindResourceA(nullptr, resourceName, resourceType);
  if (!resource) return E_FAIL;
  HGLOBAL global = LoadResource(nullptr, resource);
  void* data = global ? LockResource(global) : nullptr;
  if (!data) return E_FAIL;
  // A missing resource is E_FAIL even before Initialize; one that exists
  // needs the loader.
  if (!loader) return E_UNEXPECTED;

  DMUS_OBJECTDESC desc = {};
  desc.dwSize = sizeof(DMUS_OBJECTDESC);
  desc.dwValidData = DMUS_OBJ_CLASS | DMUS_OBJ_MEMORY;
  desc.guidClass = CLSID_DirectMusicSegment;
  desc.llMemLength = SizeofResource(nullptr, resource);
  desc.pbMemData = static_cast<LPBYTE>(data);

  IDirectMusicSegment8* made = nullptr;
  HRESULT hr = loader->GetObject(&desc, IID_IDirectMusicSegment8, reinterpret_cast<void**>(&made));
  if (hr == DMUS_E_LOADER_FAILEDOPEN) return hr;
  if (FAILED(hr)) return TRACE_FAILURE("LoadObjectFromFile", hr);
  return WrapSegment(made, segment, downloadNow, isMidiFile);
}

HRESULT SoundManager::CreateSegmentFromFile(SoundSegment** segment, const char* fileName, BOOL downloadNow,
                                            BOOL isMidiFile) {
  if (!segment) return E_INVALIDARG;
  if (!loader) return E_UNEXPECTED;
  WideName name(fileName);
  if (!name.ok) return E_INVALIDARG;
  IDirectMusicSegment8* made = nullptr;
  HRESULT hr = loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name.text,
                                          reinterpret_cast<void**>(&made));
  if (hr == DMUS_E_LOADER_FAILEDOPEN) return hr;
  if (FAILED(hr)) return TRACE_FAILURE("LoadObjectFromFile", hr);
  return WrapSegment(made, segment, downloadNow, isMidiFile);
}

HRESULT SoundManager::WrapSegment(IDirectMusicSegment8* made, SoundSegment** segment, BOOL downloadNow,
                                  BOOL isMidiFile) {
  *segment = new (std::nothrow) SoundSegment(performance, loader, made);
  if (!*segment) {
    made->Release();
    return E_OUTOFMEMORY;
  }
  HRESULT hr = S_OK;
  if (isMidiFile) {
    hr = made->SetParam(GUID_StandardMIDIFile, 0xFFFFFFFF, 0, 0, nullptr);
    if (FAILED(hr)) return TRACE_FAILURE("SetParam", hr);
  }
  if (downloadNow) {
    hr = (*segment)->Download();
    if (FAILED(hr)) return TRACE_FAILURE("Download", hr);
  }
  return S_OK;
}

HRESULT SoundManager::CreateScriptFromFile(SoundScript** script, const char* fileName) {
  if (!script) return E_INVALIDARG;
  if (!loader) return E_UNEXPECTED;
  WideName name(fileName);
  if (!name.ok) return E_INVALIDARG;
  IDirectMusicScript8* made = nullptr;
  HRESULT hr = loader->LoadObjectFromFile(CLSID_DirectMusicScript, IID_IDirectMusicScript8, name.text,
                                          reinterpret_cast<void**>(&made));
  if (FAILED(hr)) return TRACE_FAILURE("LoadObjectFromFile", hr);
  hr = made->Init(performance, nullptr);
  if (FAILED(hr)) {
    made->Release();
    return TRACE_FAILURE("Init", hr);
  }
  *script = new (std::nothrow) SoundScript(performance, loader, made);
  if (!*script) {
    made->Release();
    return E_OUTOFMEMORY;
  }
  return hr;
}

HRESULT SoundManager::CreateChordMapFromFile(IDirectMusicChordMap8** chordMap, const char* fileName) {
  if (!loader) return E_UNEXPECTED;
  WideName name(fileName);
  if (!name.ok) return E_INVALIDARG;
  return loader->LoadObjectFromFile(CLSID_DirectMusicChordMap, IID_IDirectMusicChordMap8, name.text,
                                    reinterpret_cast<void**>(chordMap));
}

HRESULT SoundManager::CreateStyleFromFile(IDirectMusicStyle8** style, const char* fileName) {
  if (!loader) return E_UNEXPECTED;
  WideName name(fileName);
  if (!name.ok) return E_INVALIDARG;
  return loader->LoadObjectFromFile(CLSID_DirectMusicStyle, IID_IDirectMusicStyle8, name.text,
                                    reinterpret_cast<void**>(style));
}

HRESULT SoundManager::GetMotifFromStyle(IDirectMusicSegment8** motif, const char* styleName,
                                        const char* motifName) {
  if (!motif) return E_INVALIDARG;
  *motif = nullptr;
  WideName name(motifName);
  if (!name.ok) return E_INVALIDARG;
  IDirectMusicStyle8* style = nullptr;
  HRESULT hr = CreateStyleFromFile(&style, styleName);
  if (FAILED(hr)) return TRACE_FAILURE("CreateStyleFromFile", hr);
  if (!style) return S_OK;
  IDirectMusicSegment* found = nullptr;
  hr = style->GetMotif(name.text, &found);
  // The style goes whether or not the motif was found.
  SafeRelease(style);
  if (FAILED(hr)) return TRACE_FAILURE("GetMotif", hr);
  if (found) {
    found->QueryInterface(IID_IDirectMusicSegment8, reinterpret_cast<void**>(motif));
    SafeRelease(found);
  }
  return S_OK;
}

void SoundManager::CollectGarbage() {
  if (loader) loader->CollectGarbage();
}

IDirectMusicAudioPath8* SoundManager::GetDefaultAudioPath() {
  IDirectMusicAudioPath8* path = nullptr;
  if (performance) performance->GetDefaultAudioPath(&path);
  return path;
}
