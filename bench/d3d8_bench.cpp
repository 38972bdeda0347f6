// SPDX-License-Identifier: MIT
// Times the device layer on the game's worst frame shapes: 300 sprite quads,
// each its own draw after relocking one four-vertex buffer with a state
// change in between, and text drawn in batches of 50 glyphs from a dynamic
// buffer inside state blocks. Prints frames per second and OpenGL calls per
// frame for each shape. Usage: d3d8_bench [frames]
#include <d3d8.h>
#include <d3d8_glorbs.h>
#include <host/host.h>

#include "windowed_device.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct SpriteVertex {  // XYZ | DIFFUSE | TEX1
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
struct TextVertex {  // XYZRHW | DIFFUSE | TEX1
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

struct Scene {
  IDirect3DDevice8* device = nullptr;
  IDirect3DTexture8* sheets[2] = {};
  IDirect3DTexture8* glyphs = nullptr;
  IDirect3DVertexBuffer8* spriteQuad = nullptr;
  IDirect3DVertexBuffer8* textBuffer = nullptr;
  DWORD savedStates = 0, textStates = 0;
  bool byPointer = false;  // sprites through DrawPrimitiveUP instead of the buffer
};

IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, UINT size, D3DFORMAT format, WORD seed) {
  IDirect3DTexture8* t = nullptr;
  if (FAILED(device->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, &t))) return nullptr;
  D3DLOCKED_RECT r{};
  t->LockRect(0, &r, nullptr, 0);
  WORD* texels = static_cast<WORD*>(r.pBits);
  for (UINT i = 0; i < size * size; ++i)
    texels[i] = static_cast<WORD>((i * 2654435761u + seed) >> 7) | 0x8000;
  t->UnlockRect(0);
  return t;
}

DWORD RecordTextState(IDirect3DDevice8* d, IDirect3DTexture8* glyphs) {
  d->BeginStateBlock();
  d->SetTexture(0, glyphs);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  d->SetRenderState(D3DRS_ALPHAREF, 8);
  d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DWORD token = 0;
  d->EndStateBlock(&token);
  return token;
}

bool Build(Scene& s) {
  IDirect3DDevice8* d = s.device;
  s.sheets[0] = MakeTexture(d, 256, D3DFMT_A1R5G5B5, 1);
  s.sheets[1] = MakeTexture(d, 256, D3DFMT_A1R5G5B5, 2);
  s.glyphs = MakeTexture(d, 512, D3DFMT_A4R4G4B4, 3);
  if (!s.sheets[0] || !s.sheets[1] || !s.glyphs) return false;
  if (FAILED(d->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &s.spriteQuad)))
    return false;
  if (FAILED(d->CreateVertexBuffer(8400, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT,
                                   &s.textBuffer)))
    return false;
  s.savedStates = RecordTextState(d, s.glyphs);
  s.textStates = RecordTextState(d, s.glyphs);
  D3DMATRIX proj{};
  proj._11 = proj._22 = 2.4142f, proj._33 = 1.001f, proj._34 = 1.0f, proj._43 = -0.1001f;
  d->SetTransform(D3DTS_PROJECTION, &proj);
  return true;
}

// 300 sprites, each relocking the one quad, with texture and blend changes.
void DrawSprites(Scene& s, int frame) {
  IDirect3DDevice8* d = s.device;
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  d->SetRenderState(D3DRS_ALPHAREF, 8);
  d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  for (int i = 0; i < 300; ++i) {
    const bool debris = i % 3 == 2;
    d->SetTexture(0, s.sheets[i % 2]);
    d->SetRenderState(D3DRS_SRCBLEND, debris ? D3DBLEND_ONE : D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, debris ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_ZWRITEENABLE, debris ? FALSE : TRUE);
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    world._41 = std::sin(i * 0.7f + frame * 0.01f) * 3.0f;
    world._42 = std::cos(i * 1.3f) * 2.0f;
    world._43 = 5.0f + (i % 17) * 0.5f;
    d->SetTransform(D3DTS_WORLD, &world);
    BYTE* p = nullptr;
    if (FAILED(s.spriteQuad->Lock(0, 0, &p, 0))) continue;
    const float r = 0.2f;
    const SpriteVertex v[4] = {{-r, -r, 0, 0xFFFFFFFF, 0, 0.1f},
                               {-r, r, 0, 0xFFFFFFFF, 0, 0},
                               {r, -r, 0, 0xFFFFFFFF, 0.1f, 0.1f},
                               {r, r, 0, 0xFFFFFFFF, 0.1f, 0}};
    std::memcpy(p, v, sizeof(v));
    s.spriteQuad->Unlock();
    d->SetVertexShader(0x142);
    if (s.byPointer) {
      d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(SpriteVertex));
    } else {
      d->SetStreamSource(0, s.spriteQuad, sizeof(SpriteVertex));
      d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
  }
}

// Six texts of 50 glyphs, each bracketed by the three state-block calls.
void DrawTexts(Scene& s) {
  IDirect3DDevice8* d = s.device;
  for (int text = 0; text < 6; ++text) {
    d->CaptureStateBlock(s.savedStates);
    d->ApplyStateBlock(s.textStates);
    d->SetVertexShader(0x144);
    d->SetStreamSource(0, s.textBuffer, sizeof(TextVertex));
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    BYTE* p = nullptr;
    if (SUCCEEDED(s.textBuffer->Lock(0, 0, &p, D3DLOCK_DISCARD))) {
      TextVertex* v = reinterpret_cast<TextVertex*>(p);
      for (int g = 0; g < 50; ++g) {
        const float x = 10.0f + g * 12.0f, y = 20.0f + text * 40.0f;
        const TextVertex q[6] = {
            {x, y + 30, 0.9f, 1, 0xFFFFFF00, 0, 0.1f},         {x, y, 0.9f, 1, 0xFFFFFF00, 0, 0},
            {x + 11, y + 30, 0.9f, 1, 0xFFFFFF00, 0.1f, 0.1f}, {x + 11, y, 0.9f, 1, 0xFFFFFF00, 0.1f, 0},
            {x + 11, y + 30, 0.9f, 1, 0xFFFFFF00, 0.1f, 0.1f}, {x, y, 0.9f, 1, 0xFFFFFF00, 0, 0}};
        std::memcpy(v + g * 6, q, sizeof(q));
      }
      s.textBuffer->Unlock();
      d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 100);
    }
    d->ApplyStateBlock(s.savedStates);
  }
}

void Measure(Scene& s, const char* name, int frames, bool sprites, bool texts) {
  IDirect3DDevice8* d = s.device;
  auto frame = [&](int i) {
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000020, 1.0f, 0);
    if (sprites) DrawSprites(s, i);
    if (texts) DrawTexts(s);
    d->EndScene();
    d->Present(nullptr, nullptr, nullptr, nullptr);
  };
  for (int i = 0; i < 10; ++i) frame(i);  // warm-up: programs built, textures uploaded
  const d3d8::Counters before = d3d8::GetCounters();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) frame(i);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const d3d8::Counters after = d3d8::GetCounters();
  std::printf("%-28s %8.1f frames/s %8.1f GL calls/frame %6.1f draws/frame\n", name, frames / seconds,
              double(after.glCalls - before.glCalls) / frames, double(after.draws - before.draws) / frames);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  if (!host::Init() || !host::CreateMainWindow("d3d8 bench", 0, 0, 640, 480, false)) return 1;
  host::SetFramePacing(false);
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp{};
  Scene s;
  if (!d3d || FAILED(windowed_device::CreateWindowedDevice(d3d, nullptr, 0, 0, &s.device, &pp)) ||
      !Build(s)) {
    std::fprintf(stderr, "d3d8_bench: no device\n");
    return 1;
  }
  std::printf("back buffer %ux%u, %d frames each\n", pp.BackBufferWidth, pp.BackBufferHeight, frames);
  Measure(s, "300 sprite quads", frames, true, false);
  Measure(s, "6 texts x 50 glyphs", frames, false, true);
  Measure(s, "sprites + texts", frames, true, true);
  s.byPointer = true;
  Measure(s, "300 sprite quads by pointer", frames, true, false);
  s.device->DeleteStateBlock(s.savedStates);
  s.device->DeleteStateBlock(s.textStates);
  s.textBuffer->Release();
  s.spriteQuad->Release();
  s.glyphs->Release();
  s.sheets[0]->Release();
  s.sheets[1]->Release();
  s.device->Release();
  d3d->Release();
  host::DestroyMainWindow();
  host::Shutdown();
  return 0;
}
