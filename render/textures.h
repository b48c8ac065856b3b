// The two 256 x 256 RGB texture images and their GL textures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/jpeg_decode.h"

// The texture images and their GL names.
struct TextureState {
    // GL texture names: 0 the uniform internal texture, 1 the loaded image.
    unsigned int names[2] = {0, 0};
    TextureImage uniformImage = {};
    TextureImage loadedImage = {};
    // Where a new image is decoded first, so that a failure never leaves half
    // a picture in loadedImage.
    TextureImage scratchImage = {};
};

// Sets linear filtering and repeat wrapping on the bound 2D texture.
void setTextureParameters();
// Fills the uniform image from options.uniformColor and uploads it into
// render.textures.names[0].
void buildUniformTexture();
// Decodes mesh.textureFileName (or modelPicture.jpeg when it holds bytes, as
// an imported model's picture does; otherwise the file's bytes are kept there)
// into the loaded image (a copy of the uniform image when the name is empty)
// and uploads it into render.textures.names[1]. A file that cannot be used is a
// fatal error; one with corrupt data is shown as decoded, with a message.
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
