// The texture manager: one list of textures, the registered image readers, pixel conversions and
// the upload to OpenGL.
#include "engine/textures.h"

#include <GL/gl.h>
#include <GL/glext.h>  // GL_TEXTURE_MAX_ANISOTROPY_EXT, GL_COMPRESSED_RGB(A)_ARB
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "engine/data_file.h"
#include "engine/load_timing.h"
#include "engine/log.h"
#include "engine/opengl.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"

namespace eng {

namespace {

struct TextureManagerState {
  uint32_t count = 0;
  TTexture anchor;  // head of the list only
  std::vector<TTextureFormat> formats;
  TTextureFormat pending;  // the entry being registered
  std::string failure;
  bool failureKept = false;
  std::string reason;  // why the last read gave no pixels, without the file name
};

TextureManagerState g_tex;

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The text after the last "." (the whole name when there is none), upper-cased.
std::string ExtensionOf(const std::string& fileName) {
  size_t dot = fileName.rfind('.');
  return UpperAscii(dot == std::string::npos ? fileName : fileName.substr(dot + 1));
}

// Runs a reader; running out of memory is that file's failure, not the program's end.
bool RunReader(TextureFileReader reader, const std::string& fileName, TImage* image) {
  try {
    return reader(fileName, image);
  } catch (const std::bad_alloc&) {
    *image = TImage{};
    TextureLogFailure("Not enough memory to decode " + fileName);
    return false;
  }
}

TTexture* AppendTexture(uint16_t width, uint16_t height, uint32_t flags) {
  auto* t = new TTexture;
  t->Width = width;
  t->Height = height;
  t->Flags = flags;
  TTexture* last = &g_tex.anchor;
  while (last->Next) last = last->Next;
  last->Next = t;
  t->Prev = last;
  ++g_tex.count;
  return t;
}

void UnlinkAndFree(TTexture* texture, bool deleteName) {
  if (deleteName && texture->ID != 0) glDeleteTextures(1, &texture->ID);
  if (texture->Prev) texture->Prev->Next = texture->Next;
  if (texture->Next) texture->Next->Prev = texture->Prev;
  delete texture;
  if (g_tex.count > 0) --g_tex.count;
}

GLint InternalFormat(uint32_t flags) {
  bool rgb = (flags & TexRGB) != 0;
  if (flags & TexCompress) return rgb ? GL_COMPRESSED_RGB_ARB : GL_COMPRESSED_RGBA_ARB;
  switch (Screen().BPP) {
    case 32: return rgb ? GL_RGB : GL_RGBA;
    case 16: return rgb ? GL_RGB16 : GL_RGBA16;
    default: return rgb ? GL_RGB8 : GL_RGBA8;  // any other depth: 8 bits per channel
  }
}

// Gives the converted pixels a new GL texture name with the texture's wrapping and filtering.
void Upload(TTexture* texture, const std::vector<uint8_t>& pixels) {
  glEnable(GL_TEXTURE_2D);
  glGenTextures(1, &texture->ID);
  TextureSetFilter(texture, texture->Flags);
  glBindTexture(GL_TEXTURE_2D, texture->ID);

  GLenum format = (texture->Flags & TexRGB) ? GL_RGB : GL_RGBA;
  GLint internal = InternalFormat(texture->Flags);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  // NOTE: RGB rows are 3 bytes a pixel; GL's default 4-byte row alignment would read past the
  // end of each row and of the buffer.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (texture->Flags & TexMipmap) {
    gluBuild2DMipmaps(GL_TEXTURE_2D, internal, texture->Width, texture->Height, format,
                      GL_UNSIGNED_BYTE, pixels.data());
  } else {
    glTexImage2D(GL_TEXTURE_2D, 0, internal, texture->Width, texture->Height, 0, format,
                 GL_UNSIGNED_BYTE, pixels.data());
  }
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

TTexture* TextureLoadFromFile(const std::string& fileName, uint32_t transparentColour, uint32_t flags) {
  TTexture* placeholder = TextureCreateBlank(4, 4, 0xFFFFFFFF, InterfaceTextureFlags);
  TImage image;
  if (!TextureReadImage(fileName, &image)) return placeholder;

  TextureDelete(placeholder);
  LoadTimer timer("texture upload", fileName);
  TTexture* texture = AppendTexture(image.Width, image.Height, flags);
  try {
    if (!(flags & TexRGB)) ApplyColourKey(image.Pixels.data(), transparentColour, image.Width, image.Height);
    TextureCreate(texture, std::move(image.Pixels));
  } catch (const std::bad_alloc&) {
    // The conversions (power-of-two padding above all) need memory of their own.
    UnlinkAndFree(texture, true);
    TextureLogFailure("Not enough memory to convert " + fileName);
    g_tex.reason = "not enough memory to convert it";
    TextureLogFailure("Unable to load texture: " + fileName);
    return TextureCreateBlank(4, 4, 0xFFFFFFFF, InterfaceTextureFlags);
  }
  LogAdd("Successful loading of texture: " + fileName);
  return texture;
}

TTexture* TextureCreateBlank(uint16_t width, uint16_t height, uint32_t colour, uint32_t flags) {
  TTexture* texture = AppendTexture(width, height, flags);
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  uint8_t bytes[4] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                      static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 24)};
  for (size_t i = 0; i < pixels.size(); i += 4) std::memcpy(&pixels[i], bytes, 4);
  TextureCreate(texture, std::move(pixels));
  return texture;
}

void TextureCreate(TTexture* texture, std::vector<uint8_t> pixels) {
  // GL reads Width x Height pixels whatever the caller handed over.
  pixels.resize(static_cast<size_t>(texture->Width) * texture->Height * 4);
  TextureConvertPixels(texture, &pixels);
  if ((texture->Flags & TexCompress) && !GL().Caps.TextureCompression) texture->Flags &= ~TexCompress;

  // NOTE: the tools load the game's data without a window, and so without a GL context: there is
  // nothing to upload to, and GLU's mipmap builder would read the missing context's strings.
  if (platform::HasWindow()) Upload(texture, pixels);

  if (texture->Flags & TexPowerOfTwo) {
    texture->Width = static_cast<uint16_t>(std::lround(texture->Width * static_cast<double>(texture->U)));
    texture->Height = static_cast<uint16_t>(std::lround(texture->Height * static_cast<double>(texture->V)));
  }
}

void TextureDelete(TTexture* texture) {
  if (!texture) return;
  UnlinkAndFree(texture, true);
}

void TextureSetFilter(TTexture* texture, uint32_t flags) {
  texture->Flags = flags;
  glBindTexture(GL_TEXTURE_2D, texture->ID);
  if (flags & TexClamp) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  if (flags & TexRepeat) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  }

  auto set = [](GLint minFilter, GLint magFilter) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  };
  const uint32_t anyLinear = TexFilterLinear | TexFilterBilinear | TexFilterTrilinear | TexFilterAnisotropic;
  if (!(flags & TexMipmap)) {
    if (!(flags & TexFilterNearest) && (flags & anyLinear))
      set(GL_LINEAR, GL_LINEAR);
    else
      set(GL_NEAREST, GL_NEAREST);
  } else if (flags & TexFilterNearest) {
    set(GL_NEAREST, GL_NEAREST);
  } else if (flags & TexFilterLinear) {
    set(GL_LINEAR, GL_LINEAR);
  } else if (flags & TexFilterBilinear) {
    set(GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
  } else if (flags & TexFilterTrilinear) {
    set(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
  } else if (flags & TexFilterAnisotropic) {
    set(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    // A driver without the extension reports 0, and GL refuses levels below 1.
    if (GL().Caps.MaxAnisotropy >= 1.0f)
      glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, GL().Caps.MaxAnisotropy);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
}

namespace {
uint64_t g_imagePixelLimit = MaxImagePixels;
}  // namespace

void SetImagePixelLimit(uint64_t pixels) {
  g_imagePixelLimit = pixels == 0 || pixels > MaxImagePixels ? MaxImagePixels : pixels;
}

std::string ImageSizeProblem(uint64_t width, uint64_t height) {
  if (width <= MaxImageSide && height <= MaxImageSide && width * height <= g_imagePixelLimit) return {};
  return "Image too large: " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels (at most " + std::to_string(MaxImageSide) + " a side and " + std::to_string(g_imagePixelLimit) +
         " in all)";
}

uint32_t TextureCount() { return g_tex.count; }

void TexturesFreeAll() {
  while (g_tex.anchor.Next) UnlinkAndFree(g_tex.anchor.Next, true);
  g_tex.count = 0;
}

bool TextureReadImage(const std::string& fileName, TImage* image) {
  LoadTimer timer("texture decode", fileName);
  *image = TImage{};
  g_tex.failure.clear();
  g_tex.failureKept = false;
  g_tex.reason.clear();
  DataFileResult file = CheckDataFile(fileName, MaxDataFileBytes);
  if (file.Status != DataFileStatus::Ok) {
    // A missing file says only what it always said; anything stranger says why first.
    if (file.Status != DataFileStatus::Missing) TextureLogFailure(fileName + " " + file.Reason);
    TextureLogFailure("Cannot read " + fileName);
    g_tex.reason = file.Reason;
    return false;
  }
  std::string extension = ExtensionOf(fileName);
  bool tried = false;
  for (size_t i = g_tex.formats.size(); i-- > 0;) {
    const TTextureFormat& format = g_tex.formats[i];
    if (format.Extension != extension || !format.FileReader) continue;
    tried = true;
    TImage read;
    bool ok = RunReader(format.FileReader, fileName, &read) && !read.Pixels.empty() &&
              read.Pixels.size() == static_cast<size_t>(read.Width) * read.Height * 4;
    if (ok) {
      *image = std::move(read);
      return true;
    }
  }
  // The reader's own words, when it had any, are the reason.
  g_tex.reason = g_tex.failureKept ? g_tex.failure
                 : tried           ? "the image reader refused it"
                 : fileName.find('.', fileName.find_last_of("/\\") + 1) == std::string::npos
                     ? "no image reader for a file name without an extension"
                     : "no image reader for files ending in \"." + extension + "\"";
  TextureLogFailure("Unable to load texture: " + fileName);
  return false;
}

void TextureLogFailure(std::string_view text) {
  LogAdd(text);
  if (!g_tex.failureKept) {
    g_tex.failure = text;
    g_tex.failureKept = true;
  }
}

const std::string& TextureFailureMessage() { return g_tex.failure; }

const std::string& TextureFailureReason() { return g_tex.reason; }

void TextureConvertPixels(TTexture* texture, std::vector<uint8_t>* pixels) {
  uint32_t flags = texture->Flags;
  uint8_t* p = pixels->data();
  size_t size = pixels->size();
  if (flags & TexGrayscale) {
    for (size_t i = 0; i + 3 < size; i += 4) {
      // 0.3 R + 0.59 G + 0.11 B in whole hundredths, so the rounding is exact.
      unsigned grey = (30u * p[i] + 59u * p[i + 1] + 11u * p[i + 2] + 50u) / 100u;
      p[i] = p[i + 1] = p[i + 2] = static_cast<uint8_t>(grey);
    }
  }
  if (flags & TexInvert) {
    for (size_t i = 0; i + 3 < size; i += 4) {
      p[i] = static_cast<uint8_t>(255 - p[i]);
      p[i + 1] = static_cast<uint8_t>(255 - p[i + 1]);
      p[i + 2] = static_cast<uint8_t>(255 - p[i + 2]);
    }
  }
  if (flags & TexPowerOfTwo)
    ConvertToPowerOfTwo(pixels, &texture->Width, &texture->Height, &texture->U, &texture->V);
  if (flags & TexRGB) {
    uint8_t* q = pixels->data();
    size_t count = pixels->size() / 4;
    for (size_t i = 0; i < count; ++i) {
      q[i * 3] = q[i * 4];
      q[i * 3 + 1] = q[i * 4 + 1];
      q[i * 3 + 2] = q[i * 4 + 2];
    }
    pixels->resize(count * 3);
  }
}

void ApplyColourKey(uint8_t* pixels, uint32_t colour, uint16_t width, uint16_t height) {
  int64_t count = static_cast<int64_t>(width) * height;
  if (colour != NoColourKey) {
    auto r = static_cast<uint8_t>(colour >> 16);
    auto g = static_cast<uint8_t>(colour >> 8);
    auto b = static_cast<uint8_t>(colour);
    for (int64_t i = 0; i < count; ++i) {
      const uint8_t* p = pixels + i * 4;
      if (p[0] == r && p[1] == g && p[2] == b) FillTransparentPixel(pixels, i, width, height);
    }
  } else {
    for (int64_t i = 0; i < count; ++i)
      if (pixels[i * 4 + 3] == 0) FillTransparentPixel(pixels, i, width, height);
  }
}

void FillTransparentPixel(uint8_t* pixels, int64_t index, uint16_t width, uint16_t height) {
  int64_t w = width;
  int64_t count = w * height;
  if (index < 0 || index >= count) return;
  uint8_t* p = pixels + index * 4;
  std::memset(p, 0, 4);
  const int64_t neighbours[8] = {index + w,     index + 1,     index - 1,     index - w,
                                 index - w - 1, index - w + 1, index + w - 1, index + w + 1};
  for (int64_t n : neighbours) {
    if (n < 0 || n >= count) continue;
    const uint8_t* q = pixels + n * 4;
    if (q[3] != 0) std::memcpy(p, q, 3);
  }
}

void ConvertToPowerOfTwo(std::vector<uint8_t>* pixels, uint16_t* width, uint16_t* height, float* u,
                         float* v) {
  uint32_t w2 = NextPowerOfTwo(*width);
  uint32_t h2 = NextPowerOfTwo(*height);
  if (w2 > 0xFFFF || h2 > 0xFFFF) return;
  *u = w2 ? static_cast<float>(*width) / static_cast<float>(w2) : 1.0f;
  *v = h2 ? static_cast<float>(*height) / static_cast<float>(h2) : 1.0f;
  if (w2 == *width && h2 == *height) return;
  std::vector<uint8_t> padded(static_cast<size_t>(w2) * h2 * 4);
  size_t rowBytes = static_cast<size_t>(*width) * 4;
  for (size_t row = 0; row < *height; ++row)
    std::memcpy(&padded[row * w2 * 4], pixels->data() + row * rowBytes, rowBytes);
  *pixels = std::move(padded);
  *width = static_cast<uint16_t>(w2);
  *height = static_cast<uint16_t>(h2);
}

uint32_t NextPowerOfTwo(uint32_t n) {
  --n;
  n |= n >> 1;
  n |= n >> 2;
  n |= n >> 4;
  n |= n >> 8;
  n |= n >> 16;
  return n + 1;
}

void TextureRegisterExtension(const std::string& extension) {
  g_tex.pending.Extension = UpperAscii(extension);
}

void TextureRegisterFileReader(TextureFileReader reader) { g_tex.pending.FileReader = reader; }

void TextureRegisterMemoryReader(TextureMemoryReader reader) {
  g_tex.pending.MemoryReader = reader;
  g_tex.formats.push_back(std::move(g_tex.pending));
  g_tex.pending = TTextureFormat{};
}

uint32_t TextureFormatCount() { return static_cast<uint32_t>(g_tex.formats.size()); }

const TTextureFormat& TextureFormatAt(uint32_t index) { return g_tex.formats.at(index); }

void TexturesReset() {
  bool haveContext = platform::HasWindow();
  while (g_tex.anchor.Next) UnlinkAndFree(g_tex.anchor.Next, haveContext);
  g_tex.count = 0;
  g_tex.formats.clear();
  g_tex.pending = TTextureFormat{};
  g_tex.failure.clear();
  g_tex.failureKept = false;
  g_tex.reason.clear();
}

}  // namespace eng
