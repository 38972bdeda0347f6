// SPDX-License-Identifier: MIT
// Finds and opens fonts for GDI text with fontconfig and FreeType. Windows
// face names the system lacks get a stand-in of similar build: "Tahoma"
// (a narrow humanist sans) DejaVu Sans Condensed, "Impact" (a heavy, tall,
// condensed display face) DejaVu Sans Condensed Bold; fontconfig's default
// sans answers any other missing face. Weights and slants the chosen file
// lacks are synthesised (outline emboldening, a 12-degree shear). The web
// page has no fontconfig: there the same stand-ins are DejaVu files bundled
// with the data.
#include "font_faces.h"

#include "win32_internal.h"

#ifdef __EMSCRIPTEN__
#define GLORBS_BUNDLED_FONTS 1  // the page has no fontconfig, only its own files
#include <win32/data_directory.h>
#else
#include <fontconfig/fontconfig.h>
#endif
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace win32 {

// One character as loaded at the face's current size: its advance and its
// coverage picture (rows top first, `pitch` bytes apart).
struct CachedGlyph {
  bool loaded = false;    // FreeType had the character
  bool rendered = false;  // and turned it into a coverage picture
  int advance = 0;
  GlyphImage image;
  std::vector<uint8_t> pixels;
};

struct Face {
  FT_Face ft = nullptr;
  bool synthBold = false;
  bool synthItalic = false;
  int unitsAscent = 0;   // the Windows cell: OS/2 win ascent and descent
  int unitsDescent = 0;  // where the font has them, else hhea
  // Hinting a TrueType glyph runs its programs (and a new size the font's
  // own set-up program), the bulk of text's cost; measuring and then drawing
  // a string would do it up to four times a character. So the face keeps
  // the size last selected and what its characters gave, until another
  // size or rendering mode is asked for.
  int selectedEm = 0;
  bool selectedMono = false;
  std::array<CachedGlyph, 256> glyphs;
};

namespace {

// fontconfig's width scale.
constexpr int kWidthCondensed = 75;
constexpr int kWidthSemiCondensed = 87;
constexpr int kWidthNormal = 100;

struct StandIn {
  const char* face;
  const char* family;
  int minWeight;  // OpenType weight the stand-in needs to look like the face
  int width;      // fontconfig width
};

const StandIn kStandIns[] = {
    {"Tahoma", "DejaVu Sans Condensed", 400, kWidthSemiCondensed},
    {"Impact", "DejaVu Sans Condensed", 700, kWidthCondensed},
    {"System", "DejaVu Sans", 700, kWidthNormal},
};

constexpr int kStockCellHeight = 16;

struct FontLibrary {
  FT_Library ft = nullptr;
  bool ready = false;
  std::map<std::string, std::unique_ptr<Face>> faces;  // by request
};

FontLibrary& Library() {
  // Never destroyed: faces stay open until the process is gone.
  static FontLibrary& library = *[] {
    auto* l = new FontLibrary();
#ifdef GLORBS_BUNDLED_FONTS
    l->ready = FT_Init_FreeType(&l->ft) == 0;
#else
    l->ready = FcInit() && FT_Init_FreeType(&l->ft) == 0;
#endif
    if (!l->ready) Diagnose(DIAG_TEXT_NOT_STARTED, "GDI text: FreeType or fontconfig could not start");
    return l;
  }();
  return library;
}

bool SameName(const char* a, const char* b) {
  return lstrcmpiA(a, b) == 0;
}

const StandIn* StandInFor(const char* face) {
  for (const StandIn& s : kStandIns)
    if (SameName(s.face, face)) return &s;
  return nullptr;
}

#ifndef GLORBS_BUNDLED_FONTS
bool HasFamily(FcPattern* match, const char* face) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
    if (SameName(reinterpret_cast<const char*>(family), face)) return true;
  return false;
}

// The best installed match of a family, weight (OpenType scale), slant and
// width; the caller destroys it. Null when fontconfig finds nothing.
FcPattern* MatchFont(const char* family, int weight, bool italic, int width) {
  FcPattern* p = FcPatternCreate();
  if (family && *family) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddDouble(p, FC_WEIGHT, FcWeightFromOpenTypeDouble(weight));
  FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (width > 0) FcPatternAddInteger(p, FC_WIDTH, width);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, p, &result);
  FcPatternDestroy(p);
  return match;
}
#endif

void ReadCellMetrics(Face* f) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f->ft, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    f->unitsAscent = os2->usWinAscent;
    f->unitsDescent = os2->usWinDescent;
  } else {
    f->unitsAscent = f->ft->ascender;
    f->unitsDescent = -f->ft->descender;
  }
  if (f->unitsAscent + f->unitsDescent <= 0) {
    f->unitsAscent = f->ft->units_per_EM;
    f->unitsDescent = f->ft->units_per_EM / 4;
  }
}

#ifdef GLORBS_BUNDLED_FONTS
std::unique_ptr<Face> OpenFace(const char* name, int weight, bool italic) {
  FontLibrary& lib = Library();
  if (!lib.ready) return nullptr;
  const BundledFont bundled = BundledFontFor(name, weight);
  const std::string file = DataDirectory() + "/fonts/" + bundled.file;
  auto f = std::make_unique<Face>();
  if (FT_New_Face(lib.ft, file.c_str(), 0, &f->ft) != 0) {
    Diagnose(DIAG_FONT_FILE_NOT_OPENED, ("GDI text: cannot open " + file).c_str());
    return nullptr;
  }
  FT_Select_Charmap(f->ft, FT_ENCODING_UNICODE);
  const StandIn* standIn = StandInFor(name);
  if (standIn) weight = std::max(weight, standIn->minWeight);
  f->synthBold = weight >= 600 && bundled.weight < 600;
  f->synthItalic = italic;  // no oblique files are bundled
  ReadCellMetrics(f.get());
  return f;
}
#else
std::unique_ptr<Face> OpenFace(const char* name, int weight, bool italic) {
  FontLibrary& lib = Library();
  if (!lib.ready) return nullptr;
  FcPattern* match = MatchFont(name, weight, italic, 0);
  const StandIn* standIn = StandInFor(name);
  if (standIn && (!match || !HasFamily(match, name))) {
    if (match) FcPatternDestroy(match);
    weight = std::max(weight, standIn->minWeight);
    match = MatchFont(standIn->family, weight, italic, standIn->width);
  }
  if (!match) return nullptr;
  FcChar8* file = nullptr;
  int index = 0;
  double gotWeight = FC_WEIGHT_REGULAR;
  int gotSlant = FC_SLANT_ROMAN;
  FcPatternGetString(match, FC_FILE, 0, &file);
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternGetDouble(match, FC_WEIGHT, 0, &gotWeight);
  FcPatternGetInteger(match, FC_SLANT, 0, &gotSlant);
  auto f = std::make_unique<Face>();
  bool opened = file && FT_New_Face(lib.ft, reinterpret_cast<const char*>(file), index, &f->ft) == 0;
  FcPatternDestroy(match);
  if (!opened) return nullptr;
  FT_Select_Charmap(f->ft, FT_ENCODING_UNICODE);
  f->synthBold = weight >= 600 && FcWeightToOpenTypeDouble(gotWeight) < 600;
  f->synthItalic = italic && gotSlant == FC_SLANT_ROMAN;
  ReadCellMetrics(f.get());
  return f;
}
#endif

Face* FaceFor(const char* name, int weight, bool italic) {
  std::string key = std::string(name) + '\n' + std::to_string(weight) + (italic ? "i" : "r");
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto& faces = Library().faces;
  auto it = faces.find(key);
  if (it == faces.end()) it = faces.emplace(key, OpenFace(name, weight, italic)).first;
  return it->second.get();
}

}  // namespace

BundledFont BundledFontFor(const char* face, int weight) {
  const StandIn* standIn = StandInFor(face ? face : "");
  bool condensed = SameName(face ? face : "", "DejaVu Sans Condensed");
  if (standIn) {
    weight = std::max(weight, standIn->minWeight);
    condensed = standIn->width < kWidthNormal;
  }
  const bool bold = weight >= 600;
  if (condensed)
    return bold ? BundledFont{"DejaVuSansCondensed-Bold.ttf", 700}
                : BundledFont{"DejaVuSansCondensed.ttf", 400};
  return bold ? BundledFont{"DejaVuSans-Bold.ttf", 700} : BundledFont{"DejaVuSans.ttf", 400};
}

void ForgetGlyphs() {
  for (auto& named : Library().faces) {
    if (!named.second) continue;
    named.second->selectedEm = 0;
    named.second->glyphs = {};
  }
}

bool SizedFont::Open(const LOGFONTA* font) {
  LOGFONTA stock = {};
  if (!font) {
    stock.lfHeight = kStockCellHeight;
    stock.lfWeight = FW_BOLD;
    std::strcpy(stock.lfFaceName, "System");
    font = &stock;
  }
  char name[LF_FACESIZE] = {};
  std::memcpy(name, font->lfFaceName, LF_FACESIZE - 1);
  int weight = font->lfWeight <= 0 ? FW_NORMAL : std::min<int>(font->lfWeight, 1000);
  face_ = FaceFor(name, weight, font->lfItalic != 0);
  if (!face_) return false;
  // Negative heights give the character (em) height, positive ones the cell.
  long units = face_->ft->units_per_EM;
  long cellUnits = face_->unitsAscent + face_->unitsDescent;
  long height = font->lfHeight == 0 ? kStockCellHeight : font->lfHeight;
  height = std::min(std::labs(height), 4096L) * (height < 0 ? -1 : 1);
  emPixels_ = height < 0 ? static_cast<int>(-height)
                         : static_cast<int>(std::lround(static_cast<double>(height) * units / cellUnits));
  emPixels_ = std::max(emPixels_, 1);
  ascent_ = static_cast<int>(std::lround(static_cast<double>(face_->unitsAscent) * emPixels_ / units));
  descent_ = static_cast<int>(std::lround(static_cast<double>(face_->unitsDescent) * emPixels_ / units));
  mono_ = font->lfQuality == NONANTIALIASED_QUALITY;
  return true;
}

bool SizedFont::Select() {
  if (!face_) return false;
  if (face_->selectedEm == emPixels_ && face_->selectedMono == mono_) return true;
  face_->selectedEm = 0;
  face_->glyphs = {};
  if (FT_Set_Pixel_Sizes(face_->ft, 0, emPixels_) != 0) return false;
  FT_Matrix shear = {0x10000, face_->synthItalic ? 0x3666 : 0, 0, 0x10000};  // tan 12 degrees
  FT_Set_Transform(face_->ft, &shear, nullptr);
  face_->selectedEm = emPixels_;
  face_->selectedMono = mono_;
  return true;
}

const CachedGlyph* SizedFont::Glyph(unsigned char c) {
  if (!Select()) return nullptr;
  CachedGlyph& g = face_->glyphs[c];
  if (g.loaded) return &g;
  if (FT_Load_Char(face_->ft, c, mono_ ? FT_LOAD_TARGET_MONO : FT_LOAD_DEFAULT) != 0) return nullptr;
  FT_GlyphSlot slot = face_->ft->glyph;
  g.loaded = true;
  g.advance = static_cast<int>((slot->advance.x + 32) >> 6) + (face_->synthBold ? 1 : 0);
  if (face_->synthBold && slot->format == FT_GLYPH_FORMAT_OUTLINE)
    FT_Outline_Embolden(&slot->outline, std::max<FT_Pos>(64, emPixels_ * 64 / 24));
  if (FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return &g;
  const FT_Bitmap& b = slot->bitmap;
  if (b.pixel_mode != FT_PIXEL_MODE_GRAY && b.pixel_mode != FT_PIXEL_MODE_MONO) return &g;
  if (!b.buffer && b.width > 0 && b.rows > 0) return &g;
  // Kept top row first, whichever way FreeType stored the rows.
  const size_t rowBytes = static_cast<size_t>(b.pitch < 0 ? -b.pitch : b.pitch);
  g.pixels.resize(rowBytes * b.rows);
  for (unsigned row = 0; row < b.rows; ++row) {
    const uint8_t* from = b.pitch < 0 ? b.buffer + rowBytes * (b.rows - 1 - row) : b.buffer + rowBytes * row;
    std::copy(from, from + rowBytes, g.pixels.begin() + rowBytes * row);
  }
  g.image.left = slot->bitmap_left;
  g.image.top = slot->bitmap_top;
  g.image.w = static_cast<int>(b.width);
  g.image.h = static_cast<int>(b.rows);
  g.image.pitch = static_cast<int>(rowBytes);
  g.image.mono = b.pixel_mode == FT_PIXEL_MODE_MONO;
  g.rendered = true;
  return &g;
}

int SizedFont::Advance(unsigned char c) {
  const CachedGlyph* g = Glyph(c);
  return g ? g->advance : 0;
}

bool SizedFont::RenderGlyph(unsigned char c, GlyphImage* out) {
  const CachedGlyph* g = Glyph(c);
  if (!g || !g->rendered) return false;
  *out = g->image;
  out->pixels = g->pixels.empty() ? nullptr : g->pixels.data();
  return true;
}

}  // namespace win32
