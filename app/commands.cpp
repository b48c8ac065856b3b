#include "app/commands.h"

#include <GL/gl.h>

#include "app/app_state.h"
#include "app/core/option_dialogs.h"
#include "app/core/install_paths.h"
#include "app/core/options.h"
#include "app/messages.h"
#include "app/model_files.h"
#include "app/window_proc.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "render/view.h"
#include "remodel/remodel.h"

namespace {

const char* const aboutText =
    "Kestrune v " KESTRUNE_VERSION "\n\n"
    "Modeleur de maillages polygonaux : ouvrez un fichier OFF, regardez-le en perspective ou dans les "
    "trois vues orthogonales, modifiez-le à la souris, texturez-le et sauvegardez-le.";

// Without a browser the page can still be opened by hand: show where it is.
void helpPageCommand() {
    std::string page = helpPagePath(executableDirectory());
    if (!openLocalPage(page)) showMessage("Impossible d'ouvrir le navigateur.\nOuvrez la page d'aide : " + page);
}

void newModelCommand() {
    freeModel();
    releaseGlContext();
    startingModel();
    forgetStaleReferences();
    createGlContext();
}

void openModelCommand() {
    freeModel();
    releaseGlContext();
    openModel();
    forgetStaleReferences();
    createGlContext();
}

// A whole-mesh operation: the mesh is either changed completely or left as
// it was, with a message saying why.
void remodelCommand(RemodelStatus (*operation)()) {
    setBusyCursor(true);
    RemodelStatus status = operation();
    setBusyCursor(false);
    if (status != RemodelStatus::Done) {
        reportError(remodelStatusText(status));
        return;
    }
    forgetStaleReferences();
}

void perspectiveCommand() {
    if (surfaceContextExists()) {
        loadPerspectiveProjection();
        glMatrixMode(GL_MODELVIEW);
    }
    view.viewKind = Perspective;
}

void orthographicCommand(ViewKind kind, const char* text) {
    setStatusText(text);
    view.viewKind = kind;
}

void toggleFaces() {
    display.showFaces = !display.showFaces;
    if (!surfaceContextExists()) return;
    if (display.showFaces) {
        glDisable(GL_ALPHA_TEST);
    } else {
        glEnable(GL_ALPHA_TEST);
    }
}

void toggleHiddenParts() {
    display.showHiddenParts = 1 - display.showHiddenParts;
    if (!surfaceContextExists()) return;
    if (display.showHiddenParts == 0) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

// The mode commands work only from the base mode.
bool modeChangeAllowed() {
    if (edit.editMode == Base) return true;
    refuseModeChange();
    return false;
}

void enterModeCommand(int id) {
    if (!modeChangeAllowed()) return;
    switch (id) {
        case 231:
            enterMode(CreateVertices);
            edit.modeStartVertexCount = mesh.vertexCount;
            break;
        case 232:
            enterMode(CreateFaces);
            edit.modeStartFaceCount = mesh.faceCount;
            edit.faceClickCount = 0;
            break;
        case 241:
            enterMode(MoveVertices);
            edit.selectedVertex = -1;
            break;
        case 242:
            edit.selectedFace = -1;
            enterMode(ModifyFaces);
            break;
        case 251:
            enterMode(DeleteVertices);
            break;
        case 252:
            edit.selectedFace = -1;
            enterMode(DeleteFaces);
            break;
    }
}

void optionDialogCommand(int index) {
    const OptionDialog& dialog = optionDialogs[index];
    OptionDialogAnswer answer = runOptionDialog(dialog, optionAt(dialog.optionIndex));
    applyOptionDialogAnswer(dialog, answer);
}

void uniformColorCommand() {
    std::optional<uint32_t> chosen = chooseColor(static_cast<uint32_t>(options.uniformColor));
    if (chosen) options.uniformColor = static_cast<long>(*chosen);
    // Even a cancelled choice switches the faces to the uniform texture.
    rebuildUniformTexture();
    display.textureSlot = 0;
}

}  // namespace

void runCommand(int id) {
    switch (id) {
        case 201: newModelCommand(); break;
        case 202: openModelCommand(); break;
        case 203: saveModel(); break;
        case 204: closeMainWindow(); break;
        case 211: perspectiveCommand(); break;
        case 212: orthographicCommand(ViewXOy, "Vue xOy."); break;
        case 213: orthographicCommand(ViewXOz, "Vue xOz."); break;
        case 214: orthographicCommand(ViewYOz, "Vue yOz."); break;
        case 221: display.showAxes = !display.showAxes; break;
        case 222: display.showGrid = !display.showGrid; break;
        case 223: display.showVertices = !display.showVertices; break;
        case 224: display.showEdges = !display.showEdges; break;
        case 225: toggleFaces(); break;
        case 226: display.textureSlot = 1 - display.textureSlot; break;
        case 227: toggleHiddenParts(); break;
        case 231: case 232: case 241: case 242: case 251: case 252: enterModeCommand(id); break;
        case 233: case 244: case 253: stopMode(); break;
        case 243: changeTexture(); break;
        case 261: remodelCommand(optimizeBases); break;
        case 262: remodelCommand(triangulateAll); break;
        case 263: remodelCommand(loopSubdivide); break;
        case 271: case 272: case 273: case 274: case 275: case 276: optionDialogCommand(id - 271); break;
        case 277: uniformColorCommand(); break;
        case 281: showMessage("L'aide est en html\nPour voir l'aide cliquez sur : Aide en html"); break;
        case 282: helpPageCommand(); break;
        case 283: showMessage(aboutText); break;
        default: break;
    }
}
