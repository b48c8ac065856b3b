#include "core/jpeg_decode.h"

#include <csetjmp>
#include <cstdio>
#include <unistd.h>

// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "core/regular_file.h"

namespace {

// Error manager that turns the decoder's fatal errors into a jump back to the
// caller instead of ending the process, and counts its warnings (kept off
// standard error): a premature end of the data, or any other corrupt data.
struct JpegErrors {
    jpeg_error_mgr standard;
    jmp_buf recovery;
    bool truncated = false;
    int warnings = 0;
    void (*standardEmit)(j_common_ptr, int) = nullptr;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    std::longjmp(errors->recovery, 1);
}

void noteWarning(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    if (level >= 0) {
        errors->standardEmit(info, level);  // trace messages, silent by default
        return;
    }
    errors->warnings += 1;
    if (info->err->msg_code == JWRN_JPEG_EOF) errors->truncated = true;
}

// Where the compressed bytes come from: an open file or a block of memory.
struct JpegSource {
    FILE* file = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

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

// Sets up `info` to report through `errors`, without ending the process.
void createDecompress(jpeg_decompress_struct& info, JpegErrors& errors) {
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = jumpBack;
    errors.standardEmit = errors.standard.emit_message;
    errors.standard.emit_message = noteWarning;
    jpeg_create_decompress(&info);
}

TextureLoad decodeFrom(const JpegSource& source, TextureImage& image) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    createDecompress(info, errors);
    // Nothing that lives across the jump is changed after this point except
    // through `info` and `errors`, which are not register-held.
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_decompress(&info);
        return TextureLoad::Damaged;
    }
    if (source.file != nullptr) {
        jpeg_stdio_src(&info, source.file);
    } else {
        jpeg_mem_src(&info, const_cast<unsigned char*>(source.data), static_cast<unsigned long>(source.size));
    }
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
    if (errors.truncated) return TextureLoad::Damaged;
    return errors.warnings > 0 ? TextureLoad::Corrupt : TextureLoad::Loaded;
}

}  // namespace

const char* textureLoadMessage(TextureLoad result) {
    switch (result) {
        case TextureLoad::Loaded: return "";
        case TextureLoad::CannotOpen: return "Ouverture impossible de la texture";
        case TextureLoad::WrongSize: return "L'image de texture doit être de taille 256x256";
        case TextureLoad::NotColour: return "L'image doit être de type RGB";
        case TextureLoad::Damaged:
        case TextureLoad::Corrupt: return "Image de texture JPEG endommagée ou incomplète";
    }
    return "";
}

TextureLoad decodeJpegTexture(const char* name, TextureImage& image) {
    int fd = openRegularFileForReading(name);
    if (fd < 0) return TextureLoad::CannotOpen;
    FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return TextureLoad::CannotOpen;
    }
    TextureLoad result = decodeFrom(JpegSource{file, nullptr, 0}, image);
    std::fclose(file);
    return result;
}

TextureLoad decodeJpegTextureBytes(const uint8_t* data, size_t size, TextureImage& image) {
    return decodeFrom(JpegSource{nullptr, data, size}, image);
}

TextureLoad checkJpegTextureHeader(const uint8_t* data, size_t size, unsigned& width, unsigned& height) {
    width = 0;
    height = 0;
    jpeg_decompress_struct info;
    JpegErrors errors;
    createDecompress(info, errors);
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_decompress(&info);
        return TextureLoad::Damaged;
    }
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    width = info.image_width;
    height = info.image_height;
    TextureLoad header = checkHeader(info);
    jpeg_destroy_decompress(&info);
    return header;
}
