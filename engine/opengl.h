// The OpenGL side of the frame: pixel-format choice (the depth and multisample ladder), the
// rendering context, the driver's capabilities, and the 2D and 3D projections.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"
#include "engine/platform/platform.h"

namespace eng {

// What the driver offers, probed once per process after the real context exists.
struct GLCaps {
  bool Probed = false;
  int32_t MaxTextureSize = 0;
  bool TextureCompression = false;
  int32_t MaxTextureUnits = 0;
  float MaxAnisotropy = 0.0f;  // also the default anisotropy level
  bool VertexBufferObject = false;
  bool FramebufferObject = false;
  bool PixelBuffer = false;
  bool SwapControl = false;
};

struct GLState {
  int32_t Mode = 2;             // 2 = 2D, 3 = 3D
  float FOV = 45.0f;
  float Near = 0.1f;
  float Far = 100.0f;
  bool ContextSetup = true;     // cleared once the final pixel format is chosen
  uint8_t FSAA = 0;             // requested
  uint8_t StencilBits = 0;      // requested
  int32_t DepthBits = 0;        // current depth-bit setting of the format search
  bool FormatChosen = false;
  platform::PixelFormat Chosen;
  GLCaps Caps;
  std::string Renderer;
};

GLState& GL();

// One try of the pixel-format ladder.
struct PixelFormatTry {
  int32_t depth;
  int32_t fsaa;
};
// The ladder: (24, f), (16, f), (8, f), (24, f-2), ... down to fsaa 0 or below; stops at the first
// try that `available` accepts. Returns the tries in order; `found` says whether the last one
// was accepted. Each try is logged before it is made.
std::vector<PixelFormatTry> SearchPixelFormat(int32_t fsaa, int32_t stencil, int32_t colourBits,
                                              bool (*available)(const platform::PixelFormat&),
                                              bool* found);

// Chooses the pixel format, creates the real window with it (through WindowCreate) and sets up
// the context: driver strings, capabilities, fixed state. False after an error box on failure.
bool GLCreateContext();
// Releases the context with the window.
void GLDestroyContext();

void SetMode2D();
void SetMode3D(float fov);
// The world-space frustum of the current 3D projection (SetMode3D's field of view, the render
// size and the clip distances) seen through `view`; invalid when the projection is 2D.
TFrustum ViewFrustum(const TMatrix4& view);
// Stores the clip distances for the next SetMode3D.
void SetDepthRange(float znear, float zfar);
// Applies the current projection again (after a resize).
void ApplyProjection();

// Back to the state at process start (tests).
void GLReset();

}  // namespace eng
