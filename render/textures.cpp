#include "render/textures.h"

#include <GL/gl.h>

#include <cstring>

#include "core/file_bytes.h"
#include "core/options.h"
#include "core/paths.h"
#include "state/messages.h"
#include "mesh/mesh.h"
#include "mesh/model_picture.h"
#include "mesh/off_reader.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/render_state.h"

namespace {

constexpr size_t nameFieldSize = sizeof(Mesh::textureFileName);

void uploadImage(GLuint name, const TextureImage& image) {
    glBindTexture(GL_TEXTURE_2D, name);
    setTextureParameters();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureImageSide, textureImageSide, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, image);
}

void storeTextureFileName(const std::string& name) {
    setTextureName(mesh, name);
}

// The model file keeps the name as one word of its header line: a name it
// could not hold whole is reported and refused.
bool nameFitsTheModel(const std::string& name) {
    if (name.size() >= nameFieldSize) {
        reportError("Nom de fichier de texture trop long (123 caractères au plus)");
        return false;
    }
    if (!isStorableTextureName(name)) {
        reportError("Nom de fichier de texture refusé : il ne doit contenir ni espace, ni tabulation, "
                    "ni fin de ligne, sans quoi le modèle sauvé ne pourrait pas être relu");
        return false;
    }
    return true;
}

// Reads a texture file whole (a regular file only) and decodes it into the
// scratch image; `bytes` keeps the file's contents.
TextureLoad decodeTextureFile(const char* name, std::string& bytes) {
    FileBytes file;
    if (!readWholeFile(name, file)) return TextureLoad::CannotOpen;
    bytes.assign(file.data, file.size);
    releaseFileBytes(file);
    return decodeJpegTextureBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                  render.textures.scratchImage);
}

}  // namespace

void setTextureParameters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void buildUniformTexture() {
    // 0x00BBGGRR: red in the low byte.
    auto colour = static_cast<unsigned long>(options.uniformColor);
    uint8_t red = colour & 0xFF;
    uint8_t green = (colour >> 8) & 0xFF;
    uint8_t blue = (colour >> 16) & 0xFF;
    for (auto& row : render.textures.uniformImage) {
        for (auto& pixel : row) {
            pixel[0] = red;
            pixel[1] = green;
            pixel[2] = blue;
        }
    }
    uploadImage(render.textures.names[0], render.textures.uniformImage);
}

void buildLoadedTexture() {
    if (mesh.textureFileName[0] == '\0') {
        modelPicture = ModelPicture();
        std::memcpy(render.textures.loadedImage, render.textures.uniformImage, sizeof(TextureImage));
    } else {
        const std::string& held = modelPicture.jpeg;
        TextureLoad result =
            held.empty() ? decodeTextureFile(mesh.textureFileName, modelPicture.jpeg)
                         : decodeJpegTextureBytes(reinterpret_cast<const uint8_t*>(held.data()), held.size(),
                                                  render.textures.scratchImage);
        if (result == TextureLoad::Corrupt) {
            // The model's own image is shown as decoded, as it always was,
            // but the user hears of the damage.
            showMessage(std::string("Les données de l'image de texture ") + mesh.textureFileName +
                        " sont endommagées : elle est affichée telle qu'elle a pu être décodée.");
        } else if (result != TextureLoad::Loaded) {
            fatalError(textureLoadMessage(result));
        }
        std::memcpy(render.textures.loadedImage, render.textures.scratchImage, sizeof(TextureImage));
    }
    uploadImage(render.textures.names[1], render.textures.loadedImage);
}

void rebuildUniformTexture() {
    glDisable(GL_TEXTURE_2D);
    buildUniformTexture();
    glEnable(GL_TEXTURE_2D);
}

std::optional<std::string> chooseTextureFile() {
    std::optional<std::string> path = sys::chooseFileToOpen(
        "Choisissez le fichier de nouvelle texture à appliquer.",
        {{"Jpg Files (*.jpg)", "*.jpg"}, {"All Files (*.*)", "*.*"}}, mesh.textureFileName);
    if (!path) return std::nullopt;
    // The name without its folder: the open dialog has made that folder the
    // current directory.
    return fileNameOf(*path);
}

void changeTexture() {
    glDisable(GL_TEXTURE_2D);
    std::optional<std::string> name = chooseTextureFile();
    if (name && !nameFitsTheModel(*name)) name.reset();
    if (name) {
        std::string bytes;
        TextureLoad result = decodeTextureFile(name->c_str(), bytes);
        if (result == TextureLoad::Loaded) {
            std::memcpy(render.textures.loadedImage, render.textures.scratchImage, sizeof(TextureImage));
            // A picture the user chose: its file stands where they chose it.
            modelPicture = ModelPicture{std::move(bytes), false, false};
            storeTextureFileName(*name);
            uploadImage(render.textures.names[1], render.textures.loadedImage);
        } else {
            reportError(textureLoadMessage(result));
        }
    }
    glEnable(GL_TEXTURE_2D);
}
