#include "app/commands.h"

#include "core/option_dialogs.h"
#include "core/install_paths.h"
#include "core/options.h"
#include "app/model_files.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "app/window_proc.h"
#include "edit/mesh_edits.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "remodel/remodel.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "resources/menu.h"

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
        usePerspectiveProjection();
    }
    view.viewKind = Perspective;
}

void orthographicCommand(ViewKind kind, const char* text) {
    setStatusText(text);
    view.viewKind = kind;
}

void toggleFaces() {
    display.showFaces = !display.showFaces;
    if (surfaceContextExists()) applyFacesShown(display.showFaces);
}

void toggleHiddenParts() {
    display.showHiddenParts = 1 - display.showHiddenParts;
    if (surfaceContextExists()) applyHiddenPartsShown(display.showHiddenParts != 0);
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
        case CreateVerticesCommand:
            enterMode(CreateVertices);
            edit.modeStartVertexCount = mesh.vertexCount;
            break;
        case CreateFacesCommand:
            enterMode(CreateFaces);
            edit.modeStartFaceCount = mesh.faceCount;
            edit.faceClickCount = 0;
            break;
        case MoveVerticesCommand:
            enterMode(MoveVertices);
            edit.selectedVertex = -1;
            break;
        case ModifyFacesCommand:
            edit.selectedFace = -1;
            enterMode(ModifyFaces);
            break;
        case DeleteVerticesCommand:
            enterMode(DeleteVertices);
            break;
        case DeleteFacesCommand:
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
        case NewModelCommand: newModelCommand(); break;
        case OpenModelCommand: openModelCommand(); break;
        case SaveModelCommand: saveModel(); break;
        case ExitCommand: closeMainWindow(); break;
        case PerspectiveCommand: perspectiveCommand(); break;
        case ViewXOyCommand: orthographicCommand(ViewXOy, "Vue xOy."); break;
        case ViewXOzCommand: orthographicCommand(ViewXOz, "Vue xOz."); break;
        case ViewYOzCommand: orthographicCommand(ViewYOz, "Vue yOz."); break;
        case ShowAxesCommand: display.showAxes = !display.showAxes; break;
        case ShowGridCommand: display.showGrid = !display.showGrid; break;
        case ShowVerticesCommand: display.showVertices = !display.showVertices; break;
        case ShowEdgesCommand: display.showEdges = !display.showEdges; break;
        case ShowFacesCommand: toggleFaces(); break;
        case ShowTextureCommand: display.textureSlot = 1 - display.textureSlot; break;
        case ShowHiddenPartsCommand: toggleHiddenParts(); break;
        case CreateVerticesCommand:
        case CreateFacesCommand:
        case MoveVerticesCommand:
        case ModifyFacesCommand:
        case DeleteVerticesCommand:
        case DeleteFacesCommand: enterModeCommand(id); break;
        case CreateStopCommand:
        case ModifyStopCommand:
        case DeleteStopCommand: stopMode(); break;
        case ChangeTextureCommand: changeTexture(); break;
        case OptimizeBasesCommand: remodelCommand(optimizeBases); break;
        case TriangulateCommand: remodelCommand(triangulateAll); break;
        case LoopSubdivisionCommand: remodelCommand(loopSubdivide); break;
        case VertexCreationOptionCommand:
        case TextureSizeOptionCommand:
        case CommonBaseOptionCommand:
        case FaceModificationOptionCommand:
        case AnimationOptionCommand:
        case TransparencyOptionCommand: optionDialogCommand(id - VertexCreationOptionCommand); break;
        case UniformColorCommand: uniformColorCommand(); break;
        case HelpHowCommand: showMessage("L'aide est en html\nPour voir l'aide cliquez sur : Aide en html"); break;
        case HelpPageCommand: helpPageCommand(); break;
        case AboutCommand: showMessage(aboutText); break;
        default: break;
    }
}
