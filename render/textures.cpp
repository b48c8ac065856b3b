#include "render/textures.h"

#include <GL/gl.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "app/core/options.h"
#include "app/core/paths.h"
#include "app/state/messages.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/gl_context.h"

TextureState textures;

namespace {

constexpr size_t nameFieldSize = sizeof(Mesh::textureFileName);

// Error manager that turns the decoder's fatal errors into a jump back to the
// caller instead of ending the process, and notes a premature end of the data.
struct JpegErrors {
    jpeg_error_mgr standard;
    jmp_buf recovery;
    bool truncated = false;
    void (*standardEmit)(j_common_ptr, int) = nullptr;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    std::longjmp(errors->recovery, 1);
}

void noteWarning(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) errors->truncated = true;
    errors->standardEmit(info, level);
}

// Header checks in the order the user hears of them: size, then colour.
TextureLoad checkHeader(const jpeg_decompress_struct& info) {
    if (info.image_width != textureImageSide || info.image_height != textureImageSide) {
        return TextureLoad::WrongSize;
    }
    // Only three-component pictures fit the image rows: grayscale has one,
    // CMYK and YCCK decode to four.
    if (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) {
        return TextureLoad::NotColour;
    }
    return TextureLoad::Loaded;
}

// Decodes an opened file; `file` is closed by the caller.
TextureLoad decodeOpenedFile(FILE* file, TextureImage& image) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = jumpBack;
    errors.standardEmit = errors.standard.emit_message;
    errors.standard.emit_message = noteWarning;
    jpeg_create_decompress(&info);
    // Nothing that lives across the jump is changed after this point except
    // through `info` and `errors`, which are not register-held.
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_decompress(&info);
        return TextureLoad::Damaged;
    }
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    TextureLoad header = checkHeader(info);
    if (header != TextureLoad::Loaded) {
        jpeg_destroy_decompress(&info);
        return header;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width != textureImageSide ||
        info.output_height != textureImageSide) {
        jpeg_destroy_decompress(&info);
        return TextureLoad::NotColour;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image[info.output_scanline][0];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return errors.truncated ? TextureLoad::Damaged : TextureLoad::Loaded;
}

void uploadImage(GLuint name, const TextureImage& image) {
    glBindTexture(GL_TEXTURE_2D, name);
    setTextureParameters();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureImageSide, textureImageSide, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, image);
}

void storeTextureFileName(const std::string& name) {
    std::memset(mesh.textureFileName, 0, nameFieldSize);
    std::memcpy(mesh.textureFileName, name.data(), name.size());
}

}  // namespace

const char* textureLoadMessage(TextureLoad result) {
    switch (result) {
        case TextureLoad::Loaded: return "";
        case TextureLoad::CannotOpen: return "Ouverture impossible de la texture";
        case TextureLoad::WrongSize: return "L'image de texture doit être de taille 256x256";
        case TextureLoad::NotColour: return "L'image doit être de type RGB";
        case TextureLoad::Damaged: return "Image de texture JPEG endommagée ou incomplète";
    }
    return "";
}

TextureLoad decodeJpegTexture(const char* name, TextureImage& image) {
    FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return TextureLoad::CannotOpen;
    TextureLoad result = decodeOpenedFile(file, image);
    std::fclose(file);
    return result;
}

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
    for (auto& row : textures.uniformImage) {
        for (auto& pixel : row) {
            pixel[0] = red;
            pixel[1] = green;
            pixel[2] = blue;
        }
    }
    uploadImage(textures.names[0], textures.uniformImage);
}

void buildLoadedTexture() {
    if (mesh.textureFileName[0] == '\0') {
        std::memcpy(textures.loadedImage, textures.uniformImage, sizeof(TextureImage));
    } else {
        TextureLoad result = decodeJpegTexture(mesh.textureFileName, textures.scratchImage);
        if (result != TextureLoad::Loaded) fatalError(textureLoadMessage(result));
        std::memcpy(textures.loadedImage, textures.scratchImage, sizeof(TextureImage));
    }
    uploadImage(textures.names[1], textures.loadedImage);
}

void rebuildUniformTexture() {
    glDisable(GL_TEXTURE_2D);
    buildUniformTexture();
    glEnable(GL_TEXTURE_2D);
}

std::optional<std::string> chooseTextureFile() {
    std::optional<std::string> path = chooseFileToOpen(
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
    if (name && name->size() >= nameFieldSize) {
        reportError("Nom de fichier de texture trop long (123 caractères au plus)");
        name.reset();
    }
    if (name) {
        TextureLoad result = decodeJpegTexture(name->c_str(), textures.scratchImage);
        if (result == TextureLoad::Loaded) {
            std::memcpy(textures.loadedImage, textures.scratchImage, sizeof(TextureImage));
            storeTextureFileName(*name);
            uploadImage(textures.names[1], textures.loadedImage);
        } else {
            reportError(textureLoadMessage(result));
        }
    }
    glEnable(GL_TEXTURE_2D);
}
