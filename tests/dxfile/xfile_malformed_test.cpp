// SPDX-License-Identifier: MIT
// The parser on hostile input: every malformed file gives an error result,
// never a crash, a hang or a read past the buffer (the sanitizer build
// checks the last), and never a successful parse of a half object.
#include <dxfile_read.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "dxfile/xfile_binary_writer.h"
#include "dxfile/xfile_test_util.h"

namespace {

using xtest::OpenX;

HRESULT Parse(const std::string& body, const char* header = "xof 0303txt 0032\n") {
  IDirectXFileEnumObject* e = nullptr;
  const HRESULT hr = OpenX(std::string(header) + body, &e);
  if (e) e->Release();
  return hr;
}

HRESULT ParseBytes(const std::vector<uint8_t>& bytes) {
  IDirectXFileEnumObject* e = nullptr;
  const HRESULT hr = OpenX(bytes, &e);
  if (e) e->Release();
  return hr;
}

TEST(XFileMalformed, HeadersThatAreNotXFiles) {
  EXPECT_EQ(Parse("", ""), DXFILEERR_BADFILETYPE);
  EXPECT_EQ(Parse("", "xof 03"), DXFILEERR_BADFILETYPE);
  EXPECT_EQ(Parse("", "XOF 0302txt 0032"), DXFILEERR_BADFILETYPE);
  EXPECT_EQ(Parse("", "xof 0201txt 0032"), DXFILEERR_BADFILEVERSION);
  EXPECT_EQ(Parse("", "xof 0302abc 0032"), DXFILEERR_BADFILETYPE);
  EXPECT_EQ(Parse("", "xof 0302tzip0032"), DXFILEERR_BADFILECOMPRESSIONTYPE);
  EXPECT_EQ(Parse("", "xof 0302txt 0016"), DXFILEERR_BADFILEFLOATSIZE);
  EXPECT_EQ(Parse("", "xof 0302txt 0064"), DXFILE_OK);  // empty but valid
}

// Opening a path of the file system through the parser.
HRESULT OpenPath(const std::string& path) {
  IDirectXFile* file = nullptr;
  EXPECT_EQ(DirectXFileCreate(&file), DXFILE_OK);
  file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
  IDirectXFileEnumObject* e = nullptr;
  const HRESULT hr = file->CreateEnumObject(const_cast<char*>(path.c_str()), DXFILELOAD_FROMFILE, &e);
  if (e) e->Release();
  file->Release();
  return hr;
}

TEST(XFileMalformed, SpecialFilesAreRefusedAtOnce) {
  // A FIFO with no writer would block a plain open for ever; a device
  // would be read without end; a directory is no model.
  const std::string fifo = testing::TempDir() + "model_fifo.x";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenPath(fifo), DXFILEERR_BADFILE);
  unlink(fifo.c_str());
  EXPECT_EQ(OpenPath("/dev/zero"), DXFILEERR_BADFILE);
  EXPECT_EQ(OpenPath(testing::TempDir()), DXFILEERR_BADFILE);
  EXPECT_EQ(OpenPath(testing::TempDir() + "no_such_model.x"), DXFILEERR_FILENOTFOUND);

  std::vector<uint8_t> bytes;
  EXPECT_EQ(dxfile::ReadDataFile("/dev/zero", 1024, &bytes), dxfile::ReadResult::kNotAFile);
  const std::string small = testing::TempDir() + "small.x";
  FILE* f = std::fopen(small.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("xof 0302txt 0032\n", f);
  std::fclose(f);
  EXPECT_EQ(dxfile::ReadDataFile(small.c_str(), 16, &bytes), dxfile::ReadResult::kTooLarge);
  ASSERT_EQ(dxfile::ReadDataFile(small.c_str(), 17, &bytes), dxfile::ReadResult::kOk);
  EXPECT_EQ(bytes.size(), 17u);
  EXPECT_EQ(OpenPath(small), DXFILE_OK);
  unlink(small.c_str());
}

TEST(XFileMalformed, BadTextData) {
  const char* kCases[] = {
      "Vector { 1.0; 2.0; }",                           // too few values
      "Vector { 1.0; 2.0; 3.0; 4.0; }",                 // a stray value
      "Vector { 1.#QNAN0; 0; 0; }",                     // exporter junk
      "Vector { 1e; 0; 0; }",                           // broken exponent
      "Vector { --1; 0; 0; }",                          // two signs
      "Vector { 0x10; 0; 0; }",                         // hex is not .x
      "Vector { 1.2.3; 0; 0; }",                        // two dots
      "Vector { 1e999; 0; 0; }",                        // infinite
      "Vector { \"one\"; 0; 0; }",                      // string for a float
      "TextureFilename { 12; }",                        // number for a string
      "TextureFilename { \"open string; }",             // unterminated string
      "Header { 70000; 0; 0; }",                        // WORD out of range
      "Header { 1.5; 0; 0; }",                          // float for a WORD
      "MeshFace { 3; 0, 1; }",                          // count larger than data
      "MeshFace { 10000; 0, 1, 2; }",                   // a face that claims 10,000 indices
      "Unknown { 1; }",                                 // no such template
      "Vector { 1; 2; 3; Vector { 1; 2; 3; } }",        // child of a closed template
      "MeshMaterialList { 1; 1; 0; Vector {0;0;0;} }",  // child outside the restriction
      "Frame { { } }",                                  // empty reference
      "Frame { ",                                       // unterminated object
      "Frame Name Other { }",                           // two names
      "{ Foo }",                                        // a reference at the top
      "Vector { 1; 2; 3; } @",                          // stray character
      "template T { <00000000-0000-0000-0000-00000000000G> }",
      "template T { <1-2-3-4-5> }",
      "template T { DWORD n; array DWORD v[n; }",
      "template T { array DWORD v; }",
      "template T { DWORD a } ",
      "template T { [ Vector, ] }",
      "template T { [ .. ] }",
  };
  for (const char* body : kCases) EXPECT_TRUE(FAILED(Parse(body))) << body;
  EXPECT_EQ(Parse("Unknown { 1; }"), DXFILEERR_NOTEMPLATE);
}

TEST(XFileMalformed, EveryTruncationOfAModelFailsOrStopsBetweenObjects) {
  const std::string text = xtest::ReadTestFile("scene.x");
  const std::vector<uint8_t> binary = xtest::BinaryWriter(false).Convert(text);
  for (size_t n = 0; n < text.size(); ++n) {
    std::vector<uint8_t> cut(text.begin(), text.begin() + n);
    if (FAILED(ParseBytes(cut))) continue;
    // Only cuts between top-level objects may parse: drop trailing blanks
    // and comment lines, then what is left is the header or ends an object.
    std::string kept(text, 0, n);
    for (;;) {
      kept.erase(kept.find_last_not_of(" \n") + 1);
      const size_t line = kept.rfind('\n');
      if (line == std::string::npos || kept.compare(line + 1, 2, "//") != 0) break;
      kept.erase(line);
    }
    EXPECT_TRUE(kept.size() <= 16 || kept.back() == '}') << n;
  }
  for (size_t n = 0; n < binary.size(); ++n) {
    std::vector<uint8_t> cut(binary.begin(), binary.begin() + n);
    (void)ParseBytes(cut);
  }
  EXPECT_EQ(ParseBytes(binary), DXFILE_OK);
}

TEST(XFileMalformed, DeepNestingAndRecursiveTemplatesAreRefused) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "Frame {";
  for (int i = 0; i < 5000; ++i) deep += "}";
  EXPECT_EQ(Parse(deep), DXFILEERR_PARSEERROR);
  std::string fine;
  for (int i = 0; i < 20; ++i) fine += "Frame {";
  for (int i = 0; i < 20; ++i) fine += "}";
  EXPECT_EQ(Parse(fine), DXFILE_OK);
  EXPECT_EQ(Parse("template Loop { <10000000-0000-0000-0000-000000000000> Loop inner; } Loop { 1; }"),
            DXFILEERR_BADTYPE);
}

TEST(XFileMalformed, CountsThatCannotBeBackedByData) {
  // Elements that read nothing must not let a huge count spin.
  EXPECT_EQ(Parse("template E { <10000000-0000-0000-0000-000000000001> }\n"
                  "template H { <10000000-0000-0000-0000-000000000002> DWORD n; array E e[n]; }\n"
                  "H { 4000000000; }"),
            DXFILEERR_BADARRAYSIZE);
  EXPECT_EQ(Parse("template H { <10000000-0000-0000-0000-000000000003> array DWORD e[65536][65536]; }\n"
                  "H { 1; }"),
            DXFILEERR_BADARRAYSIZE);
  EXPECT_EQ(Parse("template H { <10000000-0000-0000-0000-000000000004> array DWORD e[m]; }\nH { 1; }"),
            DXFILEERR_BADARRAYSIZE);
  EXPECT_TRUE(FAILED(Parse("Mesh { 4294967295; 0; 0; 0; }")));
}

// A binary file whose tokens claim more bytes than it holds.
TEST(XFileMalformed, BinaryFilesThatLieAboutSizes) {
  auto start = [](xtest::BinaryWriter& w) {
    w.out().assign({'x', 'o', 'f', ' ', '0', '3', '0', '2', 'b', 'i', 'n', ' ', '0', '0', '3', '2'});
  };
  // A binary object header: the template name and the opening brace.
  auto object = [](xtest::BinaryWriter& w, const std::string& type) {
    w.Word(1);
    w.Dword(static_cast<uint32_t>(type.size()));
    w.Bytes(type.data(), type.size());
    w.Word(10);
  };
  xtest::BinaryWriter w(false);
  start(w);
  w.Word(1);  // a name that claims 2 GB
  w.Dword(0x7FFFFFFF);
  w.Bytes("Mesh", 4);
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_PARSEERROR);

  start(w);
  object(w, "Vector");
  w.Word(7);  // a float list of 1,000,000 values in 8 bytes
  w.Dword(1000000);
  w.Dword(0);
  w.Dword(0);
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_PARSEERROR);

  start(w);
  object(w, "TextureFilename");
  w.Word(2);  // a string past the end
  w.Dword(100);
  w.Bytes("abc", 3);
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_PARSEERROR);

  start(w);
  object(w, "TextureFilename");
  w.Word(2);  // a string whose terminator is no separator
  w.Dword(1);
  w.Bytes("a", 1);
  w.Word(99);
  w.Word(11);
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_PARSEERROR);

  start(w);
  w.Word(77);  // an unknown token
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_PARSEERROR);

  start(w);
  w.Bytes("\x01", 1);  // half a token
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_PARSEERROR);

  start(w);
  object(w, "Vector");
  w.Word(7);  // an infinite float
  w.Dword(3);
  const float values[3] = {1.0f, 1e38f * 10.0f, 0.0f};
  w.Bytes(values, sizeof values);
  w.Word(11);
  EXPECT_EQ(ParseBytes(w.out()), DXFILEERR_BADVALUE);
}

TEST(XFileMalformed, RegisterTemplatesRejectsBadBlocksAndKeepsTheOldSet) {
  IDirectXFile* file = nullptr;
  ASSERT_EQ(DirectXFileCreate(&file), DXFILE_OK);
  ASSERT_EQ(file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
  const char bad[] = "xof 0302txt 0032 template Broken { <12345678-0000-0000-0000-000000000000> DWORD";
  EXPECT_TRUE(FAILED(file->RegisterTemplates(const_cast<char*>(bad), sizeof bad - 1)));
  EXPECT_EQ(file->RegisterTemplates(nullptr, 10), DXFILEERR_BADVALUE);
  const char model[] = "xof 0302txt 0032 Vector { 1; 2; 3; }";
  DXFILELOADMEMORY mem = {const_cast<char*>(model), sizeof model - 1};
  IDirectXFileEnumObject* e = nullptr;
  EXPECT_EQ(file->CreateEnumObject(&mem, DXFILELOAD_FROMMEMORY, &e), DXFILE_OK);
  if (e) e->Release();
  file->Release();
}

}  // namespace
