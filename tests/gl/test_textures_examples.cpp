// The example models open, name usable textures and show on the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "state/program_state.h"
#include "mesh/mesh.h"
#include "render/textures.h"
#include "support/program_fixture.h"
#include "render/render_state.h"

namespace {

using ExampleModels = ProgramTest;

TEST_F(ExampleModels, OpenWithTheirTexturesAndShow) {
    struct Example {
        const char* file;
        const char* texture;
        int vertices;
        int faces;
    };
    startProgram();
    for (Example example : {Example{"cube.off", "briques.jpg", 8, 6}, Example{"tetraedre.off", "", 4, 4},
                            Example{"tore.off", "damier.jpg", 384, 384}}) {
        scripted::queueOpenAnswer(std::string(KESTRUNE_EXAMPLES) + "/" + example.file);
        command(OpenModelCommand);
        ASSERT_TRUE(sys::surfaceContextExists()) << example.file;
        EXPECT_EQ(mesh.vertexCount, example.vertices);
        EXPECT_EQ(mesh.faceCount, example.faces);
        EXPECT_STREQ(mesh.textureFileName, example.texture);
        bool textured = example.texture[0] != '\0';
        const TextureState& textures = render.textures;
        EXPECT_EQ(std::memcmp(textures.loadedImage, textures.uniformImage, sizeof(TextureImage)) != 0, textured)
            << example.file;
        frame();
        scripted::Pixel centre = scripted::readPixel(scripted::drawingWidth / 2, scripted::drawingHeight / 2);
        scripted::Pixel side = scripted::readPixel(scripted::drawingWidth / 2 + 100, scripted::drawingHeight / 2);
        bool centreIsBackground = centre.r == 102 && centre.g == 102 && centre.b == 102;
        bool sideIsBackground = side.r == 102 && side.g == 102 && side.b == 102;
        EXPECT_FALSE(centreIsBackground && sideIsBackground) << example.file;
    }
    EXPECT_TRUE(scripted::shownBoxes().empty());
}

}  // namespace
