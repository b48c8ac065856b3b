// The lit faces look the same from the first frame on: colour material has
// taken the current white as ambient and diffuse as soon as the scene is set.
#include <GL/gl.h>

#include "support/program_fixture.h"

using SceneLighting = ProgramTest;

TEST_F(SceneLighting, MaterialFollowsWhiteFromTheStart) {
    startProgram();
    float ambient[4];
    float diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ambient[i], 1.0f);
        EXPECT_EQ(diffuse[i], 1.0f);
    }
    float specular[4];
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    EXPECT_FLOAT_EQ(specular[0], 0.9f);
}
