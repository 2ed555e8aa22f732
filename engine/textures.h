// The texture manager: image files become OpenGL textures through the registered readers, with
// the caller's conversions (colour key, grey, inversion, power-of-two padding, dropping alpha),
// wrapping, filtering and mipmaps. Loading never fails: an unreadable file gives a 4 x 4 white
// placeholder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/memory.h"

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

// The largest picture any reader decodes: at most MaxImageSide pixels a side and MaxImagePixels
// (8192 x 8192) in all. A larger one is refused from its header, before anything is allocated.
constexpr uint32_t MaxImageSide = 16384;
constexpr uint64_t MaxImagePixels = 67108864;
// Empty when a picture of this size may be decoded; otherwise the reason, giving the size.
std::string ImageSizeProblem(uint64_t width, uint64_t height);
// Lowers the pixel count allowed in all for the rest of the process (0 restores MaxImagePixels;
// it is never raised above it). The fuzz targets lower it: a picture refused from its header
// takes the same path at any limit, and decoding tens of millions of pixels only costs time.
void SetImagePixelLimit(uint64_t pixels);

// What a reader delivers: Width x Height pixels of 4 bytes R, G, B, A, the first row in memory
// being the bottom row of the picture. No pixels means the read failed.
struct TImage {
  std::vector<uint8_t> Pixels;
  uint16_t Width = 0;
  uint16_t Height = 0;
};

// A reader fills `image` and returns true, or returns false (after logging its own reason, if it
// has one) leaving no pixels. The memory reader decodes a copy of buffer.Memory[0 .. Size).
using TextureFileReader = bool (*)(const std::string& fileName, TImage* image);
using TextureMemoryReader = bool (*)(const MemoryBuffer& buffer, TImage* image);

struct TTextureFormat {
  std::string Extension;  // upper-cased
  TextureFileReader FileReader = nullptr;
  TextureMemoryReader MemoryReader = nullptr;
};

// Loads an image file into a texture; on any failure logs why and returns the placeholder.
TTexture* TextureLoadFromFile(const std::string& fileName, uint32_t transparentColour, uint32_t flags);
// A texture whose every pixel holds the four bytes of `colour` in memory order.
TTexture* TextureCreateBlank(uint16_t width, uint16_t height, uint32_t colour, uint32_t flags);
// Converts `pixels` (texture->Width x Height, RGBA) as texture->Flags ask and uploads them to a
// new GL texture name; afterwards Width and Height are the image's own size again. Without a
// window (and so without a GL context) nothing is uploaded and the ID stays 0.
void TextureCreate(TTexture* texture, std::vector<uint8_t> pixels);
// Deletes the GL texture, unlinks and frees the record; null does nothing.
void TextureDelete(TTexture* texture);
// Stores the flags and sets the texture's wrap and filter parameters.
void TextureSetFilter(TTexture* texture, uint32_t flags);
// Number of textures held.
uint32_t TextureCount();
// Frees every texture (shut-down).
void TexturesFreeAll();

// Reads a file through the registered readers without touching GL (steps before the upload):
// false, logging "Cannot read " or "Unable to load texture: " + fileName, when no pixels came.
// A file that exists but is no regular file, or is too large, logs why before "Cannot read "; a
// reader that runs out of memory is a failure of that file like any other.
bool TextureReadImage(const std::string& fileName, TImage* image);
// Logs a failure of the texture manager or a reader. The first one since the last
// TextureReadImage started is kept for TextureFailureMessage (tools print it).
void TextureLogFailure(std::string_view text);
// The first failure logged during the last read; empty when it succeeded.
const std::string& TextureFailureMessage();
// Why the last read (or load) gave no pixels, without the file name: "no such file", "is a
// directory", the reader's own words ("PNG - Invalid header"), ...; empty when it succeeded.
const std::string& TextureFailureReason();

// The CPU side of TextureCreate: grey, inversion, power-of-two padding (Width, Height, U and V
// become the padded sizes and the used part) and dropping alpha (3 bytes per pixel left).
void TextureConvertPixels(TTexture* texture, std::vector<uint8_t>* pixels);
// Fills every keyed pixel: with colour $FF000000 those whose alpha is 0, otherwise those whose
// R, G, B equal bits 16-23, 8-15, 0-7 of colour.
void ApplyColourKey(uint8_t* pixels, uint32_t colour, uint16_t width, uint16_t height);
// Makes pixel `index` transparent black, then takes R, G, B from the last opaque neighbour in the
// order i+W, i+1, i-1, i-W, i-W-1, i-W+1, i+W-1, i+W+1 (by index; outside 0 .. W*H-1 skipped).
void FillTransparentPixel(uint8_t* pixels, int64_t index, uint16_t width, uint16_t height);
// Pads the picture into the lowest rows and columns of a zero-filled power-of-two buffer; U and V
// become the used part. Sizes whose padding would exceed 65535 are left alone.
void ConvertToPowerOfTwo(std::vector<uint8_t>* pixels, uint16_t* width, uint16_t* height, float* u,
                         float* v);
// The smallest power of two not below n (0 gives 0).
uint32_t NextPowerOfTwo(uint32_t n);

// Reader registration in three steps, as RegisterCallback IDs 16, 17 and 18 deliver it: the
// extension (stored upper-cased) starts an entry, the file reader fills it, and the memory reader
// completes it and counts it.
void TextureRegisterExtension(const std::string& extension);
void TextureRegisterFileReader(TextureFileReader reader);
void TextureRegisterMemoryReader(TextureMemoryReader reader);
uint32_t TextureFormatCount();
const TTextureFormat& TextureFormatAt(uint32_t index);

// Back to the state at process start: frees every record (deleting GL names only while a window
// exists) and forgets the readers (tests).
void TexturesReset();

}  // namespace eng
