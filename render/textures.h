// The two 256 x 256 RGB texture images and their GL textures.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int textureImageSide = 256;

extern uint8_t uniformImage[textureImageSide][textureImageSide][3];
extern uint8_t loadedImage[textureImageSide][textureImageSide][3];

// Fills the uniform image from options.uniformColor and uploads it into
// textureNames[0].
void buildUniformTexture();
// Decodes mesh.textureFileName into loadedImage (a copy of the uniform image
// when the name is empty) and uploads it into textureNames[1]. A file that
// cannot be used is a fatal error.
void buildLoadedTexture();
void rebuildUniformTexture();
// "Modifier / Texture": lets the user choose a new image and loads it.
void changeTexture();
