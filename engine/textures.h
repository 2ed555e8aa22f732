// The texture manager: image files become OpenGL textures through the registered readers, with
// the caller's conversions (colour key, grey, inversion, power-of-two padding, dropping alpha),
// wrapping, filtering and mipmaps. Loading never fails: an unreadable file gives a 4 x 4 white
// placeholder.
#pragma once

#include <cstdint>
#include <string>

namespace eng {

// Texture flags (combinable).
constexpr uint32_t TexMipmap = 0x0001;
constexpr uint32_t TexClamp = 0x0002;
constexpr uint32_t TexRepeat = 0x0004;
constexpr uint32_t TexCompress = 0x0008;
constexpr uint32_t TexPowerOfTwo = 0x0010;
constexpr uint32_t TexGrayscale = 0x0020;
constexpr uint32_t TexInvert = 0x0040;
constexpr uint32_t TexFilterNearest = 0x0100;
constexpr uint32_t TexFilterLinear = 0x0200;
constexpr uint32_t TexFilterBilinear = 0x0400;
constexpr uint32_t TexFilterTrilinear = 0x0800;
constexpr uint32_t TexFilterAnisotropic = 0x1000;
constexpr uint32_t TexRGB = 0x2000;

// The game's two flag sets and its colour key (none).
constexpr uint32_t WorldTextureFlags = 0x1005;      // mipmap, repeat, anisotropic
constexpr uint32_t InterfaceTextureFlags = 0x0212;  // clamp, power of two, linear
constexpr uint32_t NoColourKey = 0xFF000000;

struct TTexture {
  uint32_t ID = 0;        // OpenGL texture name
  uint16_t Width = 0;     // the image's own size, even when padded
  uint16_t Height = 0;
  float U = 1.0f;         // used part of the stored texture
  float V = 1.0f;
  uint16_t FramesX = 1;   // sprite frame grid
  uint16_t FramesY = 1;
  uint32_t Flags = 0;
  TTexture* Prev = nullptr;
  TTexture* Next = nullptr;
};

// Loads an image file into a texture; on any failure logs why and returns the placeholder.
TTexture* TextureLoadFromFile(const std::string& fileName, uint32_t transparentColour, uint32_t flags);
// A texture whose every pixel holds the four bytes of `colour` in memory order.
TTexture* TextureCreateBlank(uint16_t width, uint16_t height, uint32_t colour, uint32_t flags);
// Deletes the GL texture, unlinks and frees the record; null does nothing.
void TextureDelete(TTexture* texture);
// Stores the flags and sets the texture's wrap and filter parameters.
void TextureSetFilter(TTexture* texture, uint32_t flags);
// Number of textures held.
uint32_t TextureCount();
// Frees every texture (shut-down).
void TexturesFreeAll();

}  // namespace eng
