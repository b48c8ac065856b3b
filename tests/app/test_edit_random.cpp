// Thousands of frames of random commands, modes, cursor moves, clicks, drags
// and key presses on random meshes: the mesh must stay whole and no
// selection may name an entry past the arrays.
#include <cstdlib>
#include <random>
#include <string>

#include "app/frame.h"
#include "render/faces.h"
#include "render/overlays.h"
#include "test_edit_fixture.h"
#include "state/program_state.h"
#include "edit/editing_state.h"
#include "render/render_state.h"

namespace {

// Every menu command but Exit; dialogs that would open are cancelled.
const int commandIds[] = {
    NewModelCommand, OpenModelCommand, SaveModelCommand, PerspectiveCommand, ViewXOyCommand,
    ViewXOzCommand, ViewYOzCommand, ShowAxesCommand, ShowGridCommand, ShowVerticesCommand,
    ShowEdgesCommand, ShowFacesCommand, ShowTextureCommand, ShowHiddenPartsCommand,
    CreateVerticesCommand, CreateFacesCommand, CreateStopCommand, MoveVerticesCommand,
    ModifyFacesCommand, ChangeTextureCommand, ModifyStopCommand, DeleteVerticesCommand,
    DeleteFacesCommand, DeleteStopCommand, OptimizeBasesCommand, TriangulateCommand,
    LoopSubdivisionCommand, VertexCreationOptionCommand, TextureSizeOptionCommand,
    CommonBaseOptionCommand, FaceModificationOptionCommand, AnimationOptionCommand,
    TransparencyOptionCommand, UniformColorCommand, HelpHowCommand, HelpPageCommand, AboutCommand,
};
const int modeCommands[] = {
    CreateVerticesCommand, CreateFacesCommand, MoveVerticesCommand, ModifyFacesCommand,
    DeleteVerticesCommand, DeleteFacesCommand,
};

int frameCount() {
    const char* text = std::getenv("KESTRUNE_RANDOM_FRAMES");
    return text != nullptr ? std::atoi(text) : 1000;
}

// KESTRUNE_RANDOM_SEED replays or varies the run; every failure names it.
unsigned seedFromEnvironment() {
    const char* text = std::getenv("KESTRUNE_RANDOM_SEED");
    return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 20261207u;
}

class RandomEditing : public EditTest {
protected:
    const unsigned seed = seedFromEnvironment();
    std::mt19937 random{seed};

    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    float coordinate() { return std::uniform_real_distribution<float>(-0.6f, 0.6f)(random); }

    // Vertices in the view cube, faces of three or four corners chosen among
    // them, some with repeated corners; sometimes coincident vertices.
    void randomMesh() {
        std::vector<Vec3> vertices;
        const int vertexCount = 1 + below(40);
        for (int v = 0; v < vertexCount; ++v) {
            if (v > 0 && below(8) == 0) {
                vertices.push_back(vertices[below(v)]);
            } else {
                vertices.push_back(Vec3{coordinate(), coordinate(), coordinate()});
            }
        }
        std::vector<Corners> faces;
        const int faceCount = below(50);
        for (int f = 0; f < faceCount; ++f) {
            faces.push_back(Corners{below(vertexCount), below(vertexCount), below(vertexCount),
                                    below(3) == 0 ? -1 : below(vertexCount)});
        }
        setMesh(vertices, faces);
    }

    void moveCursor() {
        if (mesh.vertexCount > 0 && below(3) != 0) {
            // Onto a vertex, or near one.
            sys::ScreenPoint pixel = pixelOf(position(below(mesh.vertexCount)));
            scripted::setCursorClient(pixel.x + below(5) - 2, pixel.y + below(5) - 2);
        } else {
            // Anywhere, now and then outside the drawing area.
            scripted::setCursorClient(below(700) - 30, below(640) - 30);
        }
    }

    void randomAction() {
        const int roll = below(100);
        if (roll < 2) {
            command(commandIds[below(static_cast<int>(std::size(commandIds)))]);
        } else if (roll < 5) {
            command(CreateStopCommand);
            command(modeCommands[below(6)]);
        } else if (roll < 7) {
            randomMesh();
        } else if (roll < 30) {
            moveCursor();
        } else if (roll < 60) {
            scripted::setKey(sys::Key::LeftButton, !sys::isKeyDown(sys::Key::LeftButton));
        } else if (roll < 72) {
            scripted::setKey(sys::Key::Delete, !sys::isKeyDown(sys::Key::Delete));
        } else if (roll < 78) {
            scripted::setKey(sys::Key::Return, !sys::isKeyDown(sys::Key::Return));
        } else if (roll < 80) {
            scripted::setKey(below(2) == 0 ? sys::Key::RightButton : sys::Key::End, below(4) == 0);
        } else if (roll < 83) {
            options.vertexCreation = 1 + below(2);
        } else if (roll < 86) {
            options.faceModification = 1 + below(2);
        } else if (roll < 88) {
            program.view.viewSign = -program.view.viewSign;
        }
    }

    // Every stretchLength frames a short scripted stretch: the keys are let go
    // and the next mode in turn is entered, then the button is pressed over a
    // vertex. So every mode runs and vertices are both created and deleted,
    // whatever the seed.
    static constexpr int stretchLength = 100;

    void scriptedStep(int frameIndex) {
        const int step = frameIndex % stretchLength;
        if (step == 0) {
            using sys::Key;
            for (Key key : {Key::LeftButton, Key::Delete, Key::Return, Key::RightButton, Key::End}) {
                scripted::setKey(key, false);
            }
            if (mesh.vertexCount == 0) randomMesh();
            command(CreateStopCommand);
            command(modeCommands[(frameIndex / stretchLength) % 6]);
        } else if (step == 1) {
            sys::ScreenPoint pixel = pixelOf(position(below(mesh.vertexCount)));
            scripted::setCursorClient(pixel.x, pixel.y);
            scripted::setKey(sys::Key::LeftButton, true);
        }
    }

    std::string problem() {
        if (!meshIsConsistent(mesh)) return "inconsistent mesh";
        for (int v = 0; v < mesh.vertexCount; ++v) {
            if (!std::isfinite(mesh.vertexX[v]) || !std::isfinite(mesh.vertexY[v]) ||
                !std::isfinite(mesh.vertexZ[v])) {
                return "vertex " + std::to_string(v) + " is not finite";
            }
        }
        const EditState& edit = program.edit;
        if (edit.selectedVertex < -1 || edit.selectedVertex >= mesh.vertexCount) return "selectedVertex";
        if (edit.selectedFace < -1 || edit.selectedFace >= mesh.faceCount) return "selectedFace";
        if (edit.faceClickCount < 0 || edit.faceClickCount > 3) return "faceClickCount";
        if (edit.editMode == CreateFaces) {
            for (int j = 0; j < edit.faceClickCount; ++j) {
                int clicked = editing.records.clickedVertices[j];
                if (clicked < 0 || clicked >= mesh.vertexCount) return "clickedVertices";
            }
        }
        const EditRecords& records = editing.records;
        if (mesh.vertexCount + records.undoVertexCount > mesh.vertexCapacity) return "vertex undo past the arrays";
        if (mesh.faceCount + records.undoFaceCount > mesh.faceCapacity) return "face undo past the arrays";
        return "";
    }

    // The faces and edges of this frame's view drawn again from the arrays
    // kept between frames, then from arrays built anew: the same pixels,
    // whatever the frames before changed in the mesh.
    std::string staleArrays() {
        auto picture = [] {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            drawFaces();
            drawEdges();
            std::vector<unsigned char> pixels(4 * scripted::drawingWidth * scripted::drawingHeight);
            glReadPixels(0, 0, scripted::drawingWidth, scripted::drawingHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                         pixels.data());
            return pixels;
        };
        std::vector<unsigned char> kept = picture();
        render.drawing = DrawingCaches{};
        return picture() == kept ? "" : "the arrays kept between frames are stale";
    }
};

}  // namespace

TEST_F(RandomEditing, MeshAndSelectionsStaySoundFrameAfterFrame) {
    SCOPED_TRACE("KESTRUNE_RANDOM_SEED=" + std::to_string(seed));
    randomMesh();
    const int frames = frameCount();
    int boxes = 0;
    int framesInMode[7] = {};
    int grown = 0;
    int shrunk = 0;
    for (int i = 0; i < frames; ++i) {
        if (i % stretchLength < 2) {
            scriptedStep(i);
        } else {
            const int actions = 1 + below(4);
            for (int a = 0; a < actions; ++a) randomAction();
        }
        const int before = mesh.vertexCount + mesh.faceCount;
        const EditMode mode = program.edit.editMode;
        frame();
        framesInMode[mode] += 1;
        const int after = mesh.vertexCount + mesh.faceCount;
        grown += after > before ? 1 : 0;
        shrunk += after < before ? 1 : 0;
        std::string found = problem();
        ASSERT_EQ(found, "") << "after frame " << i << " in mode " << program.edit.editMode;
        if (i % 3 == 0) {
            ASSERT_EQ(staleArrays(), "") << "after frame " << i << " in mode " << program.edit.editMode;
        }
        // Message boxes (mode refusals, about) are fine; GL errors are not.
        for (; boxes < static_cast<int>(scripted::shownBoxes().size()); ++boxes) {
            ASSERT_EQ(scripted::shownBoxes()[boxes].text.find("OpenGL"), std::string::npos);
        }
    }
    // A run long enough for a stretch in each mode did edit: every mode had
    // frames, and some frames added to the mesh and some took from it.
    if (frames < 6 * stretchLength) return;
    for (int mode = 1; mode <= 6; ++mode) EXPECT_GT(framesInMode[mode], 0) << "mode " << mode;
    EXPECT_GT(grown, 0);
    EXPECT_GT(shrunk, 0);
}
