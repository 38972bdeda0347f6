// SPDX-License-Identifier: MIT
// Error names and the error trace: a known, an unknown and an over-long
// case, null parts, and the wide twins.
#include <d3d8.h>
#include <dxerr8.h>
#include <dxfile.h>
#include <gtest/gtest.h>
#include <win32/debug_output.h>

#include "win32/debug_capture.h"

#include <string>

namespace {

TEST(ErrorNames, FamiliesAndUnknown) {
  EXPECT_STREQ(DXGetErrorString8A(S_OK), "S_OK");
  EXPECT_STREQ(DXGetErrorString8A(E_FAIL), "E_FAIL");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x80070002)), "ERROR_FILE_NOT_FOUND");
  EXPECT_STREQ(DXGetErrorString8A(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
  EXPECT_STREQ(DXGetErrorString8A(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
  EXPECT_STREQ(DXGetErrorString8A(DXFILEERR_NOMOREOBJECTS), "DXFILEERR_NOMOREOBJECTS");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x80040301)), "DIERR_DRIVERFIRST+1");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x8007001E)), "DIERR_INPUTLOST");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x88780096)), "DSERR_BUFFERLOST");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x88781182)), "DMUS_E_LOADER_FAILEDOPEN");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x08781091)), "DMUS_S_PARTIALLOAD");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x80158630)), "DPNERR_TIMEDOUT");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x80150175)), "DVERR_TIMEOUT");
  EXPECT_STREQ(DXGetErrorString8A(HRESULT(0x12345678)), "Unknown");
  EXPECT_EQ(std::u16string(DXGetErrorString8W(E_FAIL)), u"E_FAIL");
  EXPECT_EQ(std::u16string(DXGetErrorString8W(HRESULT(0x12345678))), u"Unknown");
}

TEST(ErrorTrace, KnownUnknownAndOverLong) {
  DebugCapture capture;
  EXPECT_EQ(DXTraceA("common/src/dmutil.cpp", 42, E_FAIL, "CoCreateInstance", FALSE), E_FAIL);
  EXPECT_EQ(capture.text, "common/src/dmutil.cpp(42): CoCreateInstance (hr=E_FAIL (0x80004005))\n");

  capture.text.clear();
  EXPECT_EQ(DXTraceA("a.cpp", 7, HRESULT(0x12345678), "Load", FALSE), HRESULT(0x12345678));
  EXPECT_EQ(capture.text, "a.cpp(7): Load (hr=Unknown (0x12345678))\n");

  // A path whose length plus 200 reaches 3000 loses the location prefix only.
  capture.text.clear();
  const std::string longPath(2800, 'p');
  DXTraceA(longPath.c_str(), 1, E_FAIL, "Call", FALSE);
  EXPECT_EQ(capture.text, "Call (hr=E_FAIL (0x80004005))\n");
  capture.text.clear();
  const std::string fits(2799, 'p');
  DXTraceA(fits.c_str(), 1, E_FAIL, nullptr, FALSE);
  EXPECT_EQ(capture.text, fits + "(1):  (hr=E_FAIL (0x80004005))\n");

  // An over-long call text is written as given, and its message box is
  // suppressed rather than overflowing the buffer.
  capture.text.clear();
  const std::string longCall(5000, 'c');
  EXPECT_EQ(DXTraceA("f.cpp", 3, E_FAIL, longCall.c_str(), TRUE), E_FAIL);
  EXPECT_EQ(capture.text, "f.cpp(3): " + longCall + " (hr=E_FAIL (0x80004005))\n");
}

TEST(ErrorTrace, NullPartsAndWideText) {
  DebugCapture capture;
  DXTraceA(nullptr, 5, S_OK, nullptr, FALSE);
  EXPECT_EQ(capture.text, " (hr=S_OK (0x00000000))\n");
  capture.text.clear();
  EXPECT_EQ(DXTraceW("w.cpp", 9, D3DERR_INVALIDCALL, u"Wide\u00e9", FALSE), D3DERR_INVALIDCALL);
  EXPECT_EQ(capture.text, "w.cpp(9): Wide\xc3\xa9 (hr=D3DERR_INVALIDCALL (0x8876086c))\n");
}

}  // namespace
