// SPDX-License-Identifier: MIT
// The reusable sound layer over DirectMusic: a SoundManager owns the loader
// and the performance; SoundSegment and SoundScript wrap what it loads.
// Failed DirectMusic and COM calls are traced (with a message box) through
// the DirectX error trace; a machine without a sound device is not an
// error but a stderr line. Wrappers borrow the manager's loader and
// performance, so every wrapper must be deleted before its manager.
#pragma once

#include <dmusici.h>
#include <windows.h>

class SoundSegment {
 public:
  SoundSegment(IDirectMusicPerformance8* performance, IDirectMusicLoader8* loader,
               IDirectMusicSegment8* segment);
  virtual ~SoundSegment();

  // Plays the segment (it must be downloaded) on `audioPath`, else on its
  // own audio path, else on the performance's default one.
  HRESULT Play(DWORD flags = DMUS_SEGF_SECONDARY, IDirectMusicAudioPath8* path = nullptr);
  HRESULT Stop(DWORD flags = 0);
  HRESULT Download(IDirectMusicAudioPath8* path = nullptr);
  HRESULT Unload(IDirectMusicAudioPath8* path = nullptr);
  // FALSE also when the segment or its performance is missing.
  BOOL IsPlaying();
  HRESULT SetRepeats(DWORD repeats);
  HRESULT GetStyle(IDirectMusicStyle8** style, DWORD styleIndex = 0);

 protected:
  // The given path, else the segment's own, else the performance.
  IUnknown* DownloadTarget(IDirectMusicAudioPath8* path) const;

  IDirectMusicSegment8* segment = nullptr;          // owned
  IDirectMusicLoader8* loader = nullptr;            // borrowed
  IDirectMusicPerformance8* performance = nullptr;  // borrowed
  IDirectMusicAudioPath8* audioPath = nullptr;      // owned, from the segment's configuration
  BOOL downloaded = FALSE;
};

class SoundScript {
 public:
  SoundScript(IDirectMusicPerformance8* performance, IDirectMusicLoader8* loader,
              IDirectMusicScript8* script);
  virtual ~SoundScript();

  HRESULT CallRoutine(const char* routineName);
  HRESULT SetVariableNumber(const char* variableName, LONG value);
  HRESULT GetVariableNumber(const char* variableName, LONG* value);

 protected:
  IDirectMusicScript8* script = nullptr;            // owned
  IDirectMusicLoader8* loader = nullptr;            // borrowed
  IDirectMusicPerformance8* performance = nullptr;  // borrowed
};

class SoundManager {
 public:
  SoundManager();   // starts COM
  ~SoundManager();  // stops all sound, closes the performance, ends COM

  // Creates the loader and the performance and starts its audio. Without
  // a sound device: DSERR_NODRIVER, no trace and no box, and one line
  // "no sound device: playing without sound" on stderr (once, however
  // often it is tried again before a device turns up).
  HRESULT Initialize(HWND window, DWORD pchannelCount = 128,
                     DWORD defaultPathType = DMUS_APATH_SHARED_STEREOPLUSREVERB);
  // E_UNEXPECTED before Initialize; otherwise the loader's result.
  HRESULT SetSearchDirectory(const char* directory);

  // A segment from a resource of this program (name and type as for
  // FindResourceA). E_FAIL for a missing resource, DMUS_E_LOADER_FAILEDOPEN
  // quietly when the loader cannot open it. When the MIDI hint or the
  // download fails, the traced failure is returned and the new segment is
  // still handed out. Names longer than MAX_PATH - 1 are E_INVALIDARG.
  HRESULT CreateSegmentFromResource(SoundSegment** segment, const char* resourceName,
                                    const char* resourceType, BOOL downloadNow = TRUE,
                                    BOOL isMidiFile = FALSE);
  HRESULT CreateSegmentFromFile(SoundSegment** segment, const char* fileName, BOOL downloadNow = TRUE,
                                BOOL isMidiFile = FALSE);
  HRESULT CreateScriptFromFile(SoundScript** script, const char* fileName);
  HRESULT CreateChordMapFromFile(IDirectMusicChordMap8** chordMap, const char* fileName);
  HRESULT CreateStyleFromFile(IDirectMusicStyle8** style, const char* fileName);
  HRESULT GetMotifFromStyle(IDirectMusicSegment8** motif, const char* styleName, const char* motifName);

  void CollectGarbage();
  // A new reference to the default audio path, or null.
  IDirectMusicAudioPath8* GetDefaultAudioPath();

 private:
  // The segment's remaining steps once the loader has made it.
  HRESULT WrapSegment(IDirectMusicSegment8* made, SoundSegment** segment, BOOL downloadNow, BOOL isMidiFile);

  IDirectMusicLoader8* loader = nullptr;            // owned
  IDirectMusicPerformance8* performance = nullptr;  // owned
};
