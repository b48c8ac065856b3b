// The two 256 x 256 RGB texture images and their GL textures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "render/jpeg_texture.h"

extern TextureImage uniformImage;
extern TextureImage loadedImage;

// Sets linear filtering and repeat wrapping on the bound 2D texture.
void setTextureParameters();
// Fills the uniform image from options.uniformColor and uploads it into
// textureNames[0].
void buildUniformTexture();
// Decodes mesh.textureFileName into loadedImage (a copy of the uniform image
// when the name is empty) and uploads it into textureNames[1]. A file that
// cannot be used is a fatal error; one with corrupt data is shown as decoded,
// with a message.
void buildLoadedTexture();
// buildUniformTexture with texturing switched off meanwhile.
void rebuildUniformTexture();
// Open dialog for a new texture image. Returns the chosen file's bare name,
// or nothing when the user cancelled.
std::optional<std::string> chooseTextureFile();
// "Modifier / Texture": lets the user choose a new image and loads it. An
// unusable or corrupt image, or a name the model file could not hold, is
// reported and leaves the previous image and name in place.
void changeTexture();
