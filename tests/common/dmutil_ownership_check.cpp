// SPDX-License-Identifier: MIT
// What the sound manager does with the references the loader hands it for
// styles, motifs and scripts (which our DirectMusic does not make): a fake
// loader stands in for the real one, and every fake object counts itself,
// so a reference kept too long shows as an object still alive. A program of
// its own, as the fake replaces the loader class for the whole process.
#include <gtest/gtest.h>

#include <string>

#include "common/src/dmutil.h"
#include "dmusic/sound_capture.h"  // plays on the dummy driver
#include "win32/debug_capture.h"

namespace {

int alive = 0;
HRESULT motifResult = S_OK;
bool motifFound = true;

template <typename I>
struct Counted : ComObject<I> {
  Counted() { ++alive; }
  ~Counted() override { --alive; }
};

struct FakeMotif : Counted<IDirectMusicSegment8> {
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override {
    return this->Answer(riid, o, {&IID_IUnknown, &IID_IDirectMusicSegment, &IID_IDirectMusicSegment8});
  }
  STDMETHODIMP SetRepeats(DWORD) override { return S_OK; }
  STDMETHODIMP GetParam(REFGUID, DWORD, DWORD, MUSIC_TIME, MUSIC_TIME*, void*) override { return E_NOTIMPL; }
  STDMETHODIMP SetParam(REFGUID, DWORD, DWORD, MUSIC_TIME, void*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAudioPathConfig(IUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP Download(IUnknown*) override { return E_NOTIMPL; }
  STDMETHODIMP Unload(IUnknown*) override { return E_NOTIMPL; }
};

struct FakeStyle : Counted<IDirectMusicStyle8> {
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override { return Answer(riid, o, {&IID_IUnknown}); }
  STDMETHODIMP GetMotif(WCHAR*, IDirectMusicSegment** motif) override {
    *motif = SUCCEEDED(motifResult) && motifFound ? new FakeMotif() : nullptr;
    return motifResult;
  }
};

struct FakeScript : Counted<IDirectMusicScript8> {
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override { return Answer(riid, o, {&IID_IUnknown}); }
  STDMETHODIMP Init(IDirectMusicPerformance*, DMUS_SCRIPT_ERRORINFO*) override { return DMUS_E_NOT_INIT; }
  STDMETHODIMP CallRoutine(WCHAR*, DMUS_SCRIPT_ERRORINFO*) override { return S_OK; }
  STDMETHODIMP SetVariableNumber(WCHAR*, LONG, DMUS_SCRIPT_ERRORINFO*) override { return S_OK; }
  STDMETHODIMP GetVariableNumber(WCHAR*, LONG*, DMUS_SCRIPT_ERRORINFO*) override { return S_OK; }
};

struct FakeLoader : ComObject<IDirectMusicLoader8> {
  STDMETHODIMP QueryInterface(REFIID riid, void** o) override {
    return Answer(riid, o, {&IID_IUnknown, &IID_IDirectMusicLoader8});
  }
  STDMETHODIMP GetObject(LPDMUS_OBJECTDESC, REFIID, LPVOID*) override { return E_NOTIMPL; }
  STDMETHODIMP SetSearchDirectory(REFGUID, WCHAR*, BOOL) override { return S_OK; }
  STDMETHODIMP ClearCache(REFGUID) override { return S_OK; }
  STDMETHODIMP ReleaseObjectByUnknown(IUnknown*) override { return S_FALSE; }
  STDMETHODIMP_(void) CollectGarbage() override {}
  STDMETHODIMP LoadObjectFromFile(REFGUID classId, REFIID, WCHAR*, void** object) override {
    if (classId == CLSID_DirectMusicStyle) *object = static_cast<IDirectMusicStyle8*>(new FakeStyle());
    if (classId == CLSID_DirectMusicScript) *object = static_cast<IDirectMusicScript8*>(new FakeScript());
    return *object ? S_OK : DMUS_E_LOADER_FAILEDOPEN;
  }
};

HRESULT MakeFakeLoader(REFIID riid, void** object) {
  auto* loader = new FakeLoader();
  HRESULT hr = loader->QueryInterface(riid, object);
  loader->Release();
  return hr;
}

}  // namespace

TEST(SoundManagerOwnership, StylesMotifsAndFailedScriptsAreAllReleased) {
  CoRegisterClassFactory(CLSID_DirectMusicLoader, MakeFakeLoader);
  DebugCapture trace;
  SoundManager manager;
  ASSERT_EQ(S_OK, manager.Initialize(nullptr));

  IDirectMusicSegment8* motif = nullptr;
  ASSERT_EQ(S_OK, manager.GetMotifFromStyle(&motif, "style.sty", "Intro"));
  ASSERT_NE(nullptr, motif);
  EXPECT_EQ(1, alive) << "the style outlived the call";
  SafeRelease(motif);
  EXPECT_EQ(0, alive) << "the manager kept a reference to the motif";

  motifFound = false;
  EXPECT_EQ(S_OK, manager.GetMotifFromStyle(&motif, "style.sty", "Missing"));
  EXPECT_EQ(nullptr, motif);
  EXPECT_EQ(0, alive);

  motifResult = DMUS_E_NOT_FOUND;
  EXPECT_EQ(DMUS_E_NOT_FOUND, manager.GetMotifFromStyle(&motif, "style.sty", "Broken"));
  EXPECT_EQ(0, alive) << "a failed GetMotif kept the style";
  EXPECT_NE(std::string::npos, trace.text.find("GetMotif"));

  SoundScript* script = nullptr;
  EXPECT_EQ(DMUS_E_NOT_INIT, manager.CreateScriptFromFile(&script, "game.spt"));
  EXPECT_EQ(nullptr, script);
  EXPECT_EQ(0, alive) << "a script that failed Init was kept";
  EXPECT_NE(std::string::npos, trace.text.find("Init"));
}
