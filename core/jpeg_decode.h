// Decoding of 256 x 256 colour JPEG texture images with libjpeg, from a file
// or from bytes in memory, with the same checks on both paths. No GL: the
// window uploads the decoded pixels (render/textures), the exchange checks
// the pictures it carries with the same header test.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int textureImageSide = 256;

using TextureImage = uint8_t[textureImageSide][textureImageSide][3];

// Outcome of decoding a texture file. Corrupt: the whole picture was decoded
// but libjpeg warned about corrupt data on the way (extraneous bytes, a bad
// code...), so the image holds what the decoder made of it.
enum class TextureLoad { Loaded, CannotOpen, WrongSize, NotColour, Damaged, Corrupt };

// The user's text for a failed load ("" for Loaded).
const char* textureLoadMessage(TextureLoad result);

// Decodes the 256 x 256 colour JPEG file `name` into `image`; only a regular
// file is opened (a FIFO or a device cannot be opened). On failure the image
// may hold part of the picture; callers decode into a scratch image.
TextureLoad decodeJpegTexture(const char* name, TextureImage& image);
// The same for a JPEG held in memory.
TextureLoad decodeJpegTextureBytes(const uint8_t* data, size_t size, TextureImage& image);
// The header checks of the decoders alone, on a JPEG held in memory: Loaded,
// WrongSize, NotColour, or Damaged when the header cannot be read. `width`
// and `height` are the picture's, 0 when the header was not read.
TextureLoad checkJpegTextureHeader(const uint8_t* data, size_t size, unsigned& width, unsigned& height);
