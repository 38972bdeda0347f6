// SPDX-License-Identifier: MIT
// The text conversions between the game's 8-bit text and the wide text of
// the interfaces: bounded outputs, always terminated.
#include "common/src/text_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace {

TEST(TextConvert, CountsLimitTheOutputAndAlwaysTerminate) {
  WCHAR wide[16];
  std::fill(std::begin(wide), std::end(wide), u'#');
  AnsiToWide(wide, "Glorbs3D!!", -1);  // ten characters
  EXPECT_EQ(wide[9], u'!');
  EXPECT_EQ(wide[10], 0);
  EXPECT_EQ(wide[11], u'#');
  std::fill(std::begin(wide), std::end(wide), u'#');
  AnsiToWide(wide, "Glorbs3D!!", 5);
  EXPECT_EQ(wide[3], u'r');
  EXPECT_EQ(wide[4], 0);
  EXPECT_EQ(wide[5], u'#');
  AnsiToWide(wide, "Glorbs3D!!", 0);  // no room even for the terminator
  EXPECT_EQ(wide[5], u'#');
  TextToWide(wide, nullptr, -1);
  EXPECT_EQ(wide[0], u'G');

  char ansi[16];
  std::memset(ansi, '#', sizeof(ansi));
  const WCHAR e[] = {u'a', 0xE9, u'b', 0};  // "é" needs two bytes here
  WideToAnsi(ansi, e, -1);                  // count 4: three bytes and the terminator
  EXPECT_STREQ(ansi, "a\xC3\xA9");
  EXPECT_EQ(ansi[4], '#');
  WideToText(ansi, e, 2);
  EXPECT_STREQ(ansi, "a");

  // A character cut by the count is left out whole: the text ends right
  // after the last one that fitted, never with stale bytes in between.
  std::memset(ansi, '#', sizeof(ansi));
  WideToAnsi(ansi, e, 3);
  EXPECT_STREQ(ansi, "a");
  std::fill(std::begin(wide), std::end(wide), u'#');
  AnsiToWide(wide, "x\xF0\x9F\x99\x82", 3);  // the face needs a surrogate pair
  EXPECT_EQ(wide[0], u'x');
  EXPECT_EQ(wide[1], 0);
  EXPECT_EQ(wide[2], 0);
  EXPECT_EQ(wide[3], u'#');
}

TEST(TextConvert, CopyTextIsTheBoundedCopy) {
  char out[8];
  std::memset(out, '#', sizeof(out));
  CopyText(out, "abc", -1);
  EXPECT_STREQ(out, "abc");
  std::memset(out, '#', sizeof(out));
  CopyAnsiText(out, "abcdef", 3);
  EXPECT_EQ(std::string(out, 4), "abc#");  // no terminator when the input is as long as the count
  CopyText(out, "ab", 5);
  EXPECT_STREQ(out, "ab");
  CopyText(nullptr, "ab", 5);
}

}  // namespace
