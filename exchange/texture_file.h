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

// Reads the picture at `path` and checks it. False with `problem` set when it
// cannot be read or cannot be a texture.
bool readTextureFile(const std::string& path, TextureFile& into, std::string& problem);

// True when `name` can stand on an OFF header line: one word of 1 to 123
// characters, without a folder.
bool usableTextureName(const std::string& name);

// Puts the texture beside `modelPath` under its name, unless the same bytes
// are there already. A different file of that name is never replaced: false
// with `problem` set, as when the file cannot be written. With `write` false
// only checks that it could be placed.
bool placeTextureBeside(const std::string& modelPath, const TextureFile& texture, std::string& problem,
                        bool write = true);
