// Start-up and shut-down of the engine: the callback table, the feature word, screen options,
// system values and the window position. EngineInit runs the whole program and returns at its end.
#pragma once

#include <cstdint>
#include <string>

#include "engine/textures.h"

namespace eng {

// Feature flags (one 32-bit word; DisableFeature clears bits and performs their side effects).
constexpr uint32_t FeatureClearColour = 0x0001;
constexpr uint32_t FeatureDepthBuffer = 0x0002;
constexpr uint32_t FeatureClearDepth = 0x0004;
constexpr uint32_t FeatureClearStencil = 0x0010;
constexpr uint32_t FeatureResolutionCorrection = 0x0020;
constexpr uint32_t FeatureLog = 0x0080;
constexpr uint32_t FeatureUtf8Input = 0x0200;
constexpr uint32_t FeatureCentreWindow = 0x0400;
constexpr uint32_t FeatureSpriteCulling = 0x2000;
constexpr uint32_t kDefaultFeatures = 0x2487;

// Callback IDs.
constexpr uint32_t CallbackLoad = 1;
constexpr uint32_t CallbackDraw = 2;
constexpr uint32_t CallbackUpdate = 3;
constexpr uint32_t CallbackExit = 4;
constexpr uint32_t CallbackTextureExtension = 16;
constexpr uint32_t CallbackTextureFileReader = 17;
constexpr uint32_t CallbackTextureMemoryReader = 18;

using EngineProc = void (*)();
using UpdateProc = void (*)(double elapsedMs);

// Fills a slot of the callback table; null puts the do-nothing default back. IDs 1, 2 and 4 take
// an EngineProc, ID 3 an UpdateProc; other IDs are ignored.
void RegisterCallback(uint32_t id, EngineProc proc);
void RegisterCallback(uint32_t id, UpdateProc proc);
// Image readers, in three calls: ID 16 the extension, ID 17 the file reader, ID 18 the memory
// reader, which completes the entry (see the texture manager). Other IDs are ignored.
void RegisterCallback(uint32_t id, const std::string& extension);
void RegisterCallback(uint32_t id, TextureFileReader reader);
void RegisterCallback(uint32_t id, TextureMemoryReader reader);
// Registers the engine's image readers in the order JPEG ("jpg"), TGA ("tga"), PNG ("png");
// EngineInit does this before the load callback.
void RegisterImageReaders();
void CallLoad();
void CallDraw();
void CallUpdate(double elapsedMs);
void CallExit();

// Clears the bits of the mask and performs their side effects: 0x0002 disables the depth test,
// 0x0080 closes the log.
void DisableFeature(uint32_t mask);
bool FeatureEnabled(uint32_t mask);
uint32_t Features();

// Before start-up only stores width, height, colour depth and the two flags; afterwards applies
// them (display mode, window style and size, projection). Refresh is not used.
void SetScreenOptions(uint16_t width, uint16_t height, uint16_t bpp, uint16_t refresh,
                      bool fullscreen, bool vsync);
// Opens the window and GL context, runs the main loop and shuts down; returns at the program's end
// (at once when the window or context cannot be created).
void EngineInit(uint8_t fsaa, uint8_t stencilBits);
// The loop ends after its current pass.
void EngineExit();
// 1 = frames per second of the last second; 9, 10 = desktop width and height.
uint32_t GetSystemValue(uint32_t id);
// Stores the window position and moves the window (topmost at 0, 0 when fullscreen and focused).
void SetWindowPosition(int32_t x, int32_t y);

// Back to the state at process start (tests).
void EngineReset();

}  // namespace eng
