// Menu commands: modes, stops, views, toggles, dialogs, help, closing.
#include <GL/gl.h>

#include <fstream>
#include <sstream>

#include "kestrune_version.h"
#include "core/install_paths.h"
#include "core/options.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "app/program_files.h"
#include "app/window_proc.h"
#include "mesh/mesh.h"
#include "resources/menu.h"
#include "support/program_fixture.h"

class Commands : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        startProgram();
    }
};

TEST_F(Commands, ModeCommandsWorkOnlyFromTheBaseMode) {
    command(CreateFacesCommand);
    EXPECT_EQ(program.edit.editMode, CreateFaces);
    program.edit.faceClickCount = 2;
    for (int id : {CreateVerticesCommand, CreateFacesCommand, MoveVerticesCommand, ModifyFacesCommand, DeleteVerticesCommand, DeleteFacesCommand}) command(id);
    EXPECT_EQ(program.edit.editMode, CreateFaces);
    EXPECT_EQ(program.edit.faceClickCount, 2);
    ASSERT_EQ(scripted::shownBoxes().size(), 6u);
    EXPECT_EQ(scripted::shownBoxes()[0].text, "Pour entrer dans ce mode il faut revenir dans le mode de base");
    EXPECT_FALSE(scripted::shownBoxes()[0].informationIcon);
}

TEST_F(Commands, AnyStopEndsAnyMode) {
    for (int mode : {CreateVerticesCommand, CreateFacesCommand, MoveVerticesCommand, ModifyFacesCommand, DeleteVerticesCommand, DeleteFacesCommand}) {
        for (int stop : {CreateStopCommand, ModifyStopCommand, DeleteStopCommand}) {
            command(mode);
            command(stop);
            EXPECT_EQ(program.edit.editMode, Base) << mode << " " << stop;
        }
    }
}

TEST_F(Commands, ModeSetUp) {
    command(CreateFacesCommand);
    EXPECT_EQ(program.edit.modeStartFaceCount, 1);
    EXPECT_EQ(program.edit.faceClickCount, 0);
    command(CreateStopCommand);
    command(CreateVerticesCommand);
    EXPECT_EQ(program.edit.modeStartVertexCount, 1);
    command(CreateStopCommand);
    program.edit.selectedVertex = 0;
    command(MoveVerticesCommand);
    EXPECT_EQ(program.edit.selectedVertex, -1);
    command(ModifyStopCommand);
    program.edit.selectedFace = 0;
    command(DeleteFacesCommand);
    EXPECT_EQ(program.edit.selectedFace, -1);
}

TEST_F(Commands, ViewsSetTheKindAndSayIt) {
    command(ViewXOzCommand);
    EXPECT_EQ(program.view.viewKind, ViewXOz);
    EXPECT_EQ(scripted::lastStatusText(), "Vue xOz.");
    frame();
    command(PerspectiveCommand);
    EXPECT_EQ(program.view.viewKind, Perspective);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(Commands, FacesAndHiddenPartsTogglesDriveGlState) {
    command(ShowFacesCommand);
    EXPECT_FALSE(program.display.showFaces);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    command(ShowHiddenPartsCommand);
    EXPECT_EQ(program.display.showHiddenParts, 1);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    // A new model brings a fresh scene whatever the toggles hold.
    command(NewModelCommand);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(program.display.showFaces);
    command(ShowFacesCommand);
    EXPECT_TRUE(program.display.showFaces);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    command(ShowFacesCommand);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(Commands, SimpleTogglesFlip) {
    command(ShowAxesCommand);
    command(ShowGridCommand);
    command(ShowVerticesCommand);
    command(ShowEdgesCommand);
    const DisplayState& display = program.display;
    EXPECT_TRUE(display.showAxes && display.showGrid && display.showVertices && display.showEdges);
    int slot = program.display.textureSlot;
    command(ShowTextureCommand);
    EXPECT_EQ(program.display.textureSlot, 1 - slot);
}

TEST_F(Commands, NewModelKeepsModeAndViewButDropsSelections) {
    command(ViewXOyCommand);
    command(ModifyFacesCommand);
    program.edit.selectedFace = 0;
    program.input.validatePending = true;
    command(NewModelCommand);
    EXPECT_EQ(program.edit.editMode, ModifyFaces);
    EXPECT_EQ(program.view.viewKind, ViewXOy);
    EXPECT_EQ(program.edit.selectedFace, -1);
    EXPECT_FALSE(program.input.validatePending);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(program.display.textureSlot, 0);
    EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION);
}

TEST_F(Commands, ChoiceDialogStoresTheMarkedButtonOnlyOnOk) {
    scripted::queueOptionDialogAnswer({false, 106, ""});
    command(CommonBaseOptionCommand);
    EXPECT_EQ(options.commonBase, 3);
    options.commonBase = 3;
    scripted::queueOptionDialogAnswer({true, 104, ""});
    command(CommonBaseOptionCommand);
    EXPECT_EQ(options.commonBase, 1);
    scripted::queueOptionDialogAnswer({true, -1, ""});
    command(CommonBaseOptionCommand);
    EXPECT_EQ(options.commonBase, 1);
    scripted::queueOptionDialogAnswer({true, 110, ""});
    command(AnimationOptionCommand);
    EXPECT_EQ(options.animation, 2);
}

TEST_F(Commands, TextureSizeDialogRules) {
    struct Case {
        const char* typed;
        int expected;
    } cases[] = {{"512", 512}, {"0", 1}, {"", 1}, {"2147483647", 2147483647}, {"2147483648", 1},
                 {"99999999999", 1}, {"  64", 64}};
    for (const Case& c : cases) {
        scripted::queueOptionDialogAnswer({true, -1, c.typed});
        command(TextureSizeOptionCommand);
        EXPECT_EQ(options.textureSize, c.expected) << c.typed;
    }
    options.textureSize = 300;
    scripted::queueOptionDialogAnswer({false, -1, "7"});
    command(TextureSizeOptionCommand);
    EXPECT_EQ(options.textureSize, 300);
}

TEST_F(Commands, ColourCommandAlwaysSelectsTheUniformTexture) {
    options.uniformColor = 0x123456;
    program.display.textureSlot = 1;
    command(UniformColorCommand);  // cancelled
    EXPECT_EQ(scripted::colorDialogInitial(), 0x123456);
    EXPECT_EQ(options.uniformColor, 0x123456);
    EXPECT_EQ(program.display.textureSlot, 0);
    scripted::queueColorAnswer(0x0000FF);
    command(UniformColorCommand);
    EXPECT_EQ(options.uniformColor, 0x0000FF);
}

TEST_F(Commands, HelpAndAbout) {
    command(HelpHowCommand);
    ASSERT_EQ(scripted::shownBoxes().size(), 1u);
    EXPECT_EQ(scripted::shownBoxes()[0].text, "L'aide est en html\nPour voir l'aide cliquez sur : Aide en html");
    command(HelpPageCommand);
    ASSERT_EQ(scripted::openedPages().size(), 1u);
    EXPECT_EQ(scripted::openedPages()[0], helpPagePath(executableDirectory()));
    EXPECT_EQ(scripted::shownBoxes().size(), 1u);
    // Without a browser the page's full path is shown instead.
    scripted::queueBrowserAnswer(false);
    command(HelpPageCommand);
    ASSERT_EQ(scripted::shownBoxes().size(), 2u);
    EXPECT_EQ(scripted::shownBoxes()[1].text,
              "Impossible d'ouvrir le navigateur.\nOuvrez la page d'aide : " + scripted::openedPages()[1]);
    command(AboutCommand);
    ASSERT_EQ(scripted::shownBoxes().size(), 3u);
    EXPECT_EQ(scripted::shownBoxes()[2].text.rfind(std::string(sys::programTitle) + "\n", 0), 0u);
}

TEST_F(Commands, MenuHelpTexts) {
    onMenuTitleHighlight(6);
    EXPECT_EQ(scripted::lastStatusText(), "Menu remodéliser");
    onMenuItemHighlight(LoopSubdivisionCommand);
    EXPECT_EQ(scripted::lastStatusText(), "Pour faire une itération de subdivision suivant Charles Loop.");
    onMenuItemHighlight(Separator);
    EXPECT_EQ(scripted::lastStatusText(), "Pour faire une itération de subdivision suivant Charles Loop.");
    onMenuExit();
    EXPECT_EQ(scripted::lastStatusText(), "Ici votre guidage ...");
}

TEST(MenuTable, NinePopupsWithEveryCommandOnce) {
    ASSERT_EQ(menuPopupCount, 9);
    const char* labels[] = {"Fichier", "Vues", "Afficher", "Créer", "Modifier",
                            "Effacer", "Remodéliser", "Options", "Aide"};
    int commandCount = 0;
    for (int p = 0; p < menuPopupCount; ++p) {
        EXPECT_STREQ(menuBar[p].label, labels[p]);
        for (int i = 0; i < menuBar[p].itemCount; ++i) {
            int id = menuBar[p].items[i].id;
            if (id == 0) continue;
            ++commandCount;
            EXPECT_EQ(id / 10, 20 + p) << id;
        }
    }
    EXPECT_EQ(commandCount, 4 + 4 + 7 + 3 + 4 + 3 + 3 + 7 + 3);
}

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST_F(Commands, EscapeAndCloseWriteTheOptionsBesideTheExecutable) {
    std::string written = executableDirectory() + "/optionsKestrune.txt";
    std::remove(written.c_str());
    command(CreateVerticesCommand);
    frame();
    onEscape();
    EXPECT_TRUE(scripted::quitPosted());
    EXPECT_EQ(fileText(written),
              "option 0 = 2 \r\noption 1 = 256 \r\noption 2 = 3 \r\noption 3 = 1 \r\noption 4 = 1 \r\n"
              "option 5 = 1 \r\ntexture = 0 \r\n");
    std::remove(written.c_str());
    command(ExitCommand);
    EXPECT_TRUE(scripted::closeRequested());
    onClose();
    EXPECT_FALSE(fileText(written).empty());
    std::remove(written.c_str());
}

TEST_F(Commands, FatalErrorEndsWithCodeOneAndWritesNoOptions) {
    std::string written = executableDirectory() + "/optionsKestrune.txt";
    std::remove(written.c_str());
    EXPECT_EXIT(fatalError("fichier modèle erroné"), ::testing::ExitedWithCode(1), "");
    EXPECT_TRUE(fileText(written).empty());
}
