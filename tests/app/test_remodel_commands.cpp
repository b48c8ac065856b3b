// The "Remodéliser" commands on an opened model, as the user runs them.
#include <filesystem>
#include <fstream>

#include "state/program_state.h"
#include "mesh/mesh.h"
#include "support/program_fixture.h"

namespace {

const char* const cubeFile =
    "OFF\n8 6 12\n"
    "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n"
    "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n";

class RemodelCommands : public ProgramTest {
protected:
    void openCube() {
        std::ofstream(scratch / "cube.off") << cubeFile;
        scripted::queueOpenAnswer((scratch / "cube.off").string());
        startProgram();
    }
};

}  // namespace

TEST_F(RemodelCommands, CubeCountsAfterTrianglesAndSubdivision) {
    openCube();
    frame();
    EXPECT_EQ(scripted::lastStatusText(), " Il y a 8 sommets et 6 faces | Vue actuelle : perspective");
    command(TriangulateCommand);
    frame();
    EXPECT_EQ(scripted::lastStatusText(), " Il y a 14 sommets et 24 faces | Vue actuelle : perspective");
    command(LoopSubdivisionCommand);
    frame();
    EXPECT_EQ(scripted::lastStatusText(), " Il y a 50 sommets et 96 faces | Vue actuelle : perspective");
    EXPECT_TRUE(scripted::busyCursorShown());
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(RemodelCommands, SelectionsAreDroppedAfterARemodelling) {
    openCube();
    command(ModifyFacesCommand);
    program.edit.selectedFace = 5;
    command(OptimizeBasesCommand);
    EXPECT_EQ(program.edit.selectedFace, -1);
    EXPECT_EQ(program.edit.editMode, ModifyFaces);
}
