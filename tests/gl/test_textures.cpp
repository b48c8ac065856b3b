// The uniform and loaded textures: colour layout, JPEG checks and the
// texture change command, against a real offscreen GL context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>

#include "core/options.h"
#include "app/model_files.h"
#include "state/program_state.h"
#include "mesh/mesh.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "support/program_fixture.h"
#include "render/render_state.h"

namespace {

struct Rgb {
    int r, g, b;
};

using PixelSource = std::function<Rgb(int row, int column)>;

// Writes a JPEG file with libjpeg's compressor. `space` is the colour space
// of the input rows; CMYK and YCCK files are written from four components.
void writeJpeg(const std::string& path, int width, int height, J_COLOR_SPACE space,
               const PixelSource& pixel, int quality = 100) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    bool fourComponents = space == JCS_CMYK || space == JCS_YCCK;
    info.input_components = space == JCS_GRAYSCALE ? 1 : fourComponents ? 4 : 3;
    info.in_color_space = space == JCS_YCCK ? JCS_CMYK : space;
    jpeg_set_defaults(&info);
    if (space == JCS_YCCK) jpeg_set_colorspace(&info, JCS_YCCK);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            Rgb colour = pixel(y, x);
            JSAMPLE* out = &row[static_cast<size_t>(x) * info.input_components];
            out[0] = static_cast<JSAMPLE>(colour.r);
            if (info.input_components >= 3) {
                out[1] = static_cast<JSAMPLE>(colour.g);
                out[2] = static_cast<JSAMPLE>(colour.b);
            }
            if (info.input_components == 4) out[3] = 0;
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
Rgb quadrants(int row, int column) {
    bool top = row < 128;
    bool left = column < 128;
    if (top && left) return {255, 0, 0};
    if (top) return {0, 255, 0};
    if (left) return {0, 0, 255};
    return {255, 255, 255};
}

Rgb plain(int, int) {
    return {200, 120, 40};
}

void expectNear(const uint8_t* pixel, Rgb expected) {
    EXPECT_NEAR(pixel[0], expected.r, 8);
    EXPECT_NEAR(pixel[1], expected.g, 8);
    EXPECT_NEAR(pixel[2], expected.b, 8);
}

void truncateFile(const std::string& path, size_t keep) {
    std::filesystem::resize_file(path, keep);
}

// Puts bytes that are not picture data before the final EOI marker: libjpeg
// decodes the whole picture but warns of corrupt data.
void insertGarbageBeforeEnd(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    bytes.insert(bytes.size() - 2, std::string(64, 'A'));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<uint8_t> boundTextureBytes(GLuint name) {
    std::vector<uint8_t> bytes(sizeof(TextureImage));
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

bool sameBytes(const std::vector<uint8_t>& bytes, const TextureImage& image) {
    return std::memcmp(bytes.data(), image, bytes.size()) == 0;
}

std::string lastBoxText() {
    return scripted::shownBoxes().empty() ? "" : scripted::shownBoxes().back().text;
}

TextureImage decoded;

using Textures = ProgramTest;

TEST_F(Textures, UniformColourTakesRedFromTheLowByte) {
    startProgram();
    options.uniformColor = 0x0000FF;
    buildUniformTexture();
    EXPECT_EQ(render.textures.uniformImage[0][0][0], 255);
    EXPECT_EQ(render.textures.uniformImage[0][0][1], 0);
    EXPECT_EQ(render.textures.uniformImage[255][255][2], 0);
    options.uniformColor = 0xFF0000;
    rebuildUniformTexture();
    for (int row : {0, 77, 255}) {
        EXPECT_EQ(render.textures.uniformImage[row][row][0], 0);
        EXPECT_EQ(render.textures.uniformImage[row][row][1], 0);
        EXPECT_EQ(render.textures.uniformImage[row][row][2], 255);
    }
    EXPECT_TRUE(sameBytes(boundTextureBytes(render.textures.names[0]), render.textures.uniformImage));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(Textures, EmptyNameLoadsACopyOfTheUniformImage) {
    options.uniformColor = 0x336699;
    startProgram();
    ASSERT_EQ(mesh.textureFileName[0], '\0');
    EXPECT_EQ(std::memcmp(render.textures.loadedImage, render.textures.uniformImage, sizeof(TextureImage)), 0);
    EXPECT_TRUE(sameBytes(boundTextureBytes(render.textures.names[1]), render.textures.uniformImage));
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
}

TEST_F(Textures, UnsuitableFilesAreNamedInTheCheckOrder) {
    writeJpeg("narrow.jpg", 255, 256, JCS_RGB, plain);
    writeJpeg("tall.jpg", 256, 512, JCS_RGB, plain);
    writeJpeg("gray.jpg", 256, 256, JCS_GRAYSCALE, plain);
    writeJpeg("gray_small.jpg", 64, 64, JCS_GRAYSCALE, plain);
    writeJpeg("cmyk.jpg", 256, 256, JCS_CMYK, plain);
    writeJpeg("ycck.jpg", 256, 256, JCS_YCCK, plain);
    EXPECT_EQ(decodeJpegTexture("missing.jpg", decoded), TextureLoad::CannotOpen);
    EXPECT_EQ(decodeJpegTexture("narrow.jpg", decoded), TextureLoad::WrongSize);
    EXPECT_EQ(decodeJpegTexture("tall.jpg", decoded), TextureLoad::WrongSize);
    EXPECT_EQ(decodeJpegTexture("gray.jpg", decoded), TextureLoad::NotColour);
    // Size is checked before colour.
    EXPECT_EQ(decodeJpegTexture("gray_small.jpg", decoded), TextureLoad::WrongSize);
    EXPECT_EQ(decodeJpegTexture("cmyk.jpg", decoded), TextureLoad::NotColour);
    EXPECT_EQ(decodeJpegTexture("ycck.jpg", decoded), TextureLoad::NotColour);
    // Only regular files are opened: a FIFO would block, a directory is no image.
    ASSERT_EQ(mkfifo("pipe.jpg", 0600), 0);
    std::filesystem::create_directory("folder.jpg");
    alarm(10);
    EXPECT_EQ(decodeJpegTexture("pipe.jpg", decoded), TextureLoad::CannotOpen);
    alarm(0);
    EXPECT_EQ(decodeJpegTexture("folder.jpg", decoded), TextureLoad::CannotOpen);
    EXPECT_STREQ(textureLoadMessage(TextureLoad::CannotOpen), "Ouverture impossible de la texture");
    EXPECT_STREQ(textureLoadMessage(TextureLoad::WrongSize),
                 "L'image de texture doit être de taille 256x256");
    EXPECT_STREQ(textureLoadMessage(TextureLoad::NotColour), "L'image doit être de type RGB");
}

// The decoder's own fatal errors come back as a failure instead of ending
// the process; a file cut short is refused too.
TEST_F(Textures, DamagedDataIsRefusedWithoutEndingTheProcess) {
    auto noise = [](int row, int column) {
        return Rgb{(row * 7 + column * 13) & 255, (row * column) & 255, (row ^ column) & 255};
    };
    writeJpeg("half.jpg", 256, 256, JCS_RGB, noise);
    truncateFile("half.jpg", std::filesystem::file_size("half.jpg") / 2);
    writeJpeg("header_only.jpg", 256, 256, JCS_RGB, noise);
    truncateFile("header_only.jpg", 120);
    std::FILE* text = std::fopen("text.jpg", "wb");
    std::fputs("not a picture at all\n", text);
    std::fclose(text);
    std::fclose(std::fopen("empty.jpg", "wb"));
    for (const char* name : {"half.jpg", "header_only.jpg", "text.jpg", "empty.jpg"}) {
        EXPECT_EQ(decodeJpegTexture(name, decoded), TextureLoad::Damaged) << name;
    }
    // The decoder is still usable afterwards.
    writeJpeg("good.jpg", 256, 256, JCS_RGB, quadrants);
    EXPECT_EQ(decodeJpegTexture("good.jpg", decoded), TextureLoad::Loaded);
}

TEST_F(Textures, ModelNamingAGoodImageShowsItTopRowFirst) {
    writeJpeg("quad.jpg", 256, 256, JCS_RGB, quadrants);
    startProgram();
    std::strcpy(mesh.textureFileName, "quad.jpg");
    buildLoadedTexture();
    // Row 0 is the top of the picture, in red, green, blue order.
    expectNear(render.textures.loadedImage[0][0], {255, 0, 0});
    expectNear(render.textures.loadedImage[0][255], {0, 255, 0});
    expectNear(render.textures.loadedImage[255][0], {0, 0, 255});
    expectNear(render.textures.loadedImage[255][255], {255, 255, 255});
    EXPECT_TRUE(sameBytes(boundTextureBytes(render.textures.names[1]), render.textures.loadedImage));
}

TEST_F(Textures, ModelNamingACorruptImageShowsItWithOneMessage) {
    writeJpeg("garbled.jpg", 256, 256, JCS_RGB, quadrants);
    insertGarbageBeforeEnd("garbled.jpg");
    EXPECT_EQ(decodeJpegTexture("garbled.jpg", decoded), TextureLoad::Corrupt);
    startProgram();
    std::strcpy(mesh.textureFileName, "garbled.jpg");
    buildLoadedTexture();
    ASSERT_EQ(scripted::shownBoxes().size(), 1u);
    EXPECT_NE(lastBoxText().find("garbled.jpg sont endommagées"), std::string::npos) << lastBoxText();
    expectNear(render.textures.loadedImage[255][0], {0, 0, 255});
}

TEST_F(Textures, ModelNamingAWrongSizedImageIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    writeJpeg("tall.jpg", 256, 512, JCS_RGB, plain);
    EXPECT_EXIT(
        {
            startProgram();
            std::strcpy(mesh.textureFileName, "tall.jpg");
            std::atexit([] { std::fprintf(stderr, "[%s]", lastBoxText().c_str()); });
            buildLoadedTexture();
        },
        ::testing::ExitedWithCode(1), "doit .*tre de taille 256x256\\]");
}

class TextureChange : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        writeJpeg("first.jpg", 256, 256, JCS_RGB, quadrants);
        startProgram();
        scripted::queueOpenAnswer((scratch / "first.jpg").string());
        command(ChangeTextureCommand);
        ASSERT_STREQ(mesh.textureFileName, "first.jpg");
        ASSERT_TRUE(scripted::shownBoxes().empty());
        std::memcpy(before, render.textures.loadedImage, sizeof(TextureImage));
    }

    // Nothing of the previous texture is lost.
    void expectPreviousTextureKept() {
        EXPECT_STREQ(mesh.textureFileName, "first.jpg");
        EXPECT_EQ(std::memcmp(render.textures.loadedImage, before, sizeof(TextureImage)), 0);
        EXPECT_TRUE(sameBytes(boundTextureBytes(render.textures.names[1]), before));
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(program.display.textureSlot, 0);
    }

    TextureImage before;
};

TEST_F(TextureChange, ChosenImageIsLoadedAndItsBareNameKept) {
    EXPECT_EQ(scripted::dialogLog().back(),
              "open: Choisissez le fichier de nouvelle texture à appliquer.");
    expectNear(render.textures.loadedImage[255][0], {0, 0, 255});
    EXPECT_TRUE(sameBytes(boundTextureBytes(render.textures.names[1]), render.textures.loadedImage));
    // The uniform texture stays on the faces until the texture toggle.
    EXPECT_EQ(program.display.textureSlot, 0);

    std::filesystem::create_directory(scratch / "sub");
    writeJpeg((scratch / "sub" / "second.jpg").string(), 256, 256, JCS_RGB, plain);
    scripted::queueOpenAnswer((scratch / "sub" / "second.jpg").string());
    command(ChangeTextureCommand);
    // The dialog opens on the name of the texture being replaced.
    EXPECT_EQ(scripted::openDialogInitialName(), "first.jpg");
    EXPECT_STREQ(mesh.textureFileName, "second.jpg");
    expectNear(render.textures.loadedImage[0][0], plain(0, 0));
    EXPECT_TRUE(scripted::shownBoxes().empty());
}

TEST_F(TextureChange, UnusableChoiceIsReportedAndChangesNothing) {
    writeJpeg("gray.jpg", 256, 256, JCS_GRAYSCALE, plain);
    writeJpeg("small.jpg", 128, 128, JCS_RGB, plain);
    // Cut in the middle of the picture data: the rows before the cut decode.
    writeJpeg("cut.jpg", 256, 256, JCS_RGB, [](int row, int column) {
        return Rgb{(row * 5) & 255, (column * 3) & 255, (row + column) & 255};
    });
    truncateFile("cut.jpg", std::filesystem::file_size("cut.jpg") / 2);
    writeJpeg("garbled.jpg", 256, 256, JCS_RGB, plain);
    insertGarbageBeforeEnd("garbled.jpg");
    struct Case {
        const char* file;
        const char* message;
    };
    for (Case item : {Case{"gray.jpg", "L'image doit être de type RGB"},
                      Case{"small.jpg", "L'image de texture doit être de taille 256x256"},
                      Case{"gone.jpg", "Ouverture impossible de la texture"},
                      Case{"cut.jpg", "endommagée"},
                      Case{"garbled.jpg", "endommagée ou incomplète"}}) {
        size_t boxes = scripted::shownBoxes().size();
        scripted::queueOpenAnswer((scratch / item.file).string());
        command(ChangeTextureCommand);
        ASSERT_EQ(scripted::shownBoxes().size(), boxes + 1) << item.file;
        EXPECT_NE(lastBoxText().find("ERREUR"), std::string::npos);
        EXPECT_NE(lastBoxText().find(item.message), std::string::npos) << lastBoxText();
        expectPreviousTextureKept();
    }
}

// The model file keeps the texture name as one word of its header: a name
// with a blank is refused, and the names taken read back after a save.
TEST_F(TextureChange, NamesTakenReadBackAndOthersAreRefused) {
    writeJpeg("my tex.jpg", 256, 256, JCS_RGB, plain);
    scripted::queueOpenAnswer((scratch / "my tex.jpg").string());
    command(ChangeTextureCommand);
    ASSERT_EQ(scripted::shownBoxes().size(), 1u);
    EXPECT_NE(lastBoxText().find("ni espace"), std::string::npos) << lastBoxText();
    expectPreviousTextureKept();

    const std::string odd = "brique-é_(2)*.jpeg";
    writeJpeg(odd, 256, 256, JCS_RGB, plain);
    scripted::queueOpenAnswer((scratch / odd).string());
    command(ChangeTextureCommand);
    ASSERT_STREQ(mesh.textureFileName, odd.c_str());
    scripted::queueSaveAnswer((scratch / "m.off").string());
    saveModel();
    std::memset(mesh.textureFileName, 0, sizeof mesh.textureFileName);
    scripted::queueOpenAnswer((scratch / "m.off").string());
    openModel();
    EXPECT_STREQ(mesh.textureFileName, odd.c_str());
    EXPECT_EQ(scripted::shownBoxes().size(), 1u);
}

TEST_F(TextureChange, CancelledChoiceChangesNothing) {
    std::filesystem::remove("first.jpg");  // decoding it again would fail
    command(ChangeTextureCommand);
    EXPECT_TRUE(scripted::shownBoxes().empty());
    expectPreviousTextureKept();
}

TEST_F(TextureChange, NameTooLongForTheModelIsRefused) {
    std::string longName(130, 'n');
    longName += ".jpg";
    writeJpeg(longName, 256, 256, JCS_RGB, plain);
    scripted::queueOpenAnswer((scratch / longName).string());
    command(ChangeTextureCommand);
    ASSERT_EQ(scripted::shownBoxes().size(), 1u);
    EXPECT_NE(lastBoxText().find("trop long"), std::string::npos);
    expectPreviousTextureKept();
}

}  // namespace
