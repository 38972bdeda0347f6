// SPDX-License-Identifier: MIT
// A small software rasteriser for the generators: draws a Mesh with a
// z-buffer, per-pixel lighting like the game's fixed-function pipeline (one
// directional light, ambient, specular, emissive, one texture) and the
// game's two passes: opaque subsets, then subsets with diffuse alpha below 1
// added on top without depth writes. Renders sprite frames and previews.
#pragma once
#include <vector>

#include "image.h"
#include "mesh.h"

namespace gen {

struct Camera {
  Mat4 view;
  float fovY = 0.7853982f;  // perspective field of view; ignored when ortho
  bool ortho = false;
  float orthoHalfHeight = 1.0f;
  float nearZ = 0.05f;
};

struct Lighting {
  Vec3 direction = Normalize({1, -1, 1});  // direction the light travels
  Rgba colour = Rgb(1, 1, 1);
  Rgba ambient = Rgb(0.2f, 0.2f, 0.2f);
  Rgba rim = Rgb(0, 0, 0);  // optional edge light, strongest where N is side-on
  float rimPower = 3.0f;
};

class Rasterizer {
 public:
  Rasterizer(int width, int height, Rgba clear);
  // textures[i] is the picture of material i, or null.
  void Draw(const Mesh& mesh, const Mat4& world, const Camera& cam, const Lighting& light,
            const std::vector<const Image*>& textures);
  // Colour with .a = 1 where something was drawn.
  const Image& Result() const { return colour_; }

 private:
  struct Projected {
    float sx, sy, z, invW;
    Vec3 world, normal;
    float u, v;
  };
  void DrawTriangle(const Projected* p, const Material& mat, const Image* tex, const Lighting& light,
                    Vec3 eye, bool additive);
  int w_, h_;
  Image colour_;
  std::vector<float> depth_;
};

}  // namespace gen
