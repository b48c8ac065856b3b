// The picture a model carries to and from other formats: a 256 x 256 colour
// JPEG, as the window loads it, held in memory with the name it goes by.
#pragma once

#include <string>

struct TextureFile {
    std::string name;   // file name without folder
    std::string bytes;  // the JPEG file's contents
};

// Empty when `bytes` are a JPEG the window takes as a texture (256 x 256,
// colour); otherwise why not, in French.
std::string textureProblem(const std::string& bytes);

// The largest picture file taken: a 256 x 256 JPEG is a few hundred
// kilobytes even at full quality; this leaves room for its metadata.
inline constexpr size_t textureFileLimit = size_t{4} << 20;

// Reads the picture at `path` (a name a model gives, joined to its folder)
// when it is a regular file in `folder` or below (openInsideFolder), no
// larger than textureFileLimit and starts as a JPEG does; only then is it
// read and checked. False with `problem` set otherwise.
bool readTextureInFolder(const std::string& folder, const std::string& path, TextureFile& into,
                         std::string& problem);

// Reads the picture a model names as `name` (backslashes taken as slashes, a
// relative name from `folder`), as readTextureInFolder does.
bool readModelTexture(const std::string& folder, std::string name, TextureFile& into, std::string& problem);


// True when `name` can stand on an OFF header line: one word of 1 to 123
// characters, without a folder.
bool usableTextureName(const std::string& name);

// Whether the texture can stand beside `modelPath` under its name: no file
// of that name is there, or one with the same bytes. A different file of
// that name is never replaced: false with `problem` set.
bool textureFitsBeside(const std::string& modelPath, const TextureFile& texture, std::string& problem);
