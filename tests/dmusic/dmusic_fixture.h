// SPDX-License-Identifier: MIT
// A started COM with a DirectMusic loader, and helpers to make segments
// from WAV bytes and to start performances.
#pragma once

#include <dmusic/dmusic_glorbs.h>
#include <dmusici.h>
#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "dmusic/sound_capture.h"
#include "win32/debug_capture.h"

inline HRESULT SegmentFromMemory(IDirectMusicLoader8* loader, const std::vector<uint8_t>& wav,
                                 IDirectMusicSegment8** segment) {
  DMUS_OBJECTDESC desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwValidData = DMUS_OBJ_CLASS | DMUS_OBJ_MEMORY;
  desc.guidClass = CLSID_DirectMusicSegment;
  desc.llMemLength = static_cast<LONGLONG>(wav.size());
  desc.pbMemData = const_cast<uint8_t*>(wav.data());
  return loader->GetObject(&desc, IID_IDirectMusicSegment8, reinterpret_cast<void**>(segment));
}

// A performance with its audio started (default path type 1), or null.
inline IDirectMusicPerformance8* StartPerformance(DWORD pathType = DMUS_APATH_SHARED_STEREOPLUSREVERB) {
  IDirectMusicPerformance8* p = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                              IID_IDirectMusicPerformance8, reinterpret_cast<void**>(&p))))
    return nullptr;
  if (FAILED(p->InitAudio(nullptr, nullptr, nullptr, pathType, 128, DMUS_AUDIOF_ALL, nullptr)))
    SafeRelease(p);
  return p;
}

class DirectMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dmusic::ResetDiagnostics();
    CoInitialize(nullptr);
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                                     reinterpret_cast<void**>(&loader)));
  }
  void TearDown() override {
    SafeRelease(loader);
    CoUninitialize();
  }

  HRESULT FromMemory(const std::vector<uint8_t>& wav, IDirectMusicSegment8** segment) {
    return SegmentFromMemory(loader, wav, segment);
  }

  HRESULT Play(IDirectMusicPerformance8* p, IDirectMusicSegment8* s, IDirectMusicAudioPath8* path = nullptr) {
    return p->PlaySegmentEx(s, nullptr, nullptr, DMUS_SEGF_SECONDARY, 0, nullptr, nullptr, path);
  }

  static int Fired(dmusic::Diagnostic which) { return dmusic::DiagnosticCount(which); }

  IDirectMusicLoader8* loader = nullptr;
};
