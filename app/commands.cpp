#include "app/commands.h"

#include "core/option_dialogs.h"
#include "core/install_paths.h"
#include "core/options.h"
#include "app/model_files.h"
#include "app/pending_import.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "app/modes.h"
#include "app/program_files.h"
#include "edit/mesh_edits.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "remodel/remodel.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "resources/menu.h"
#include "render/render_state.h"

namespace {

const char* const aboutText =
    "Kestrune v " KESTRUNE_VERSION "\n\n"
    "Modeleur de maillages polygonaux : ouvrez un fichier OFF, regardez-le en perspective ou dans les "
    "trois vues orthogonales, modifiez-le à la souris, texturez-le et sauvegardez-le.";

// Without a browser the page can still be opened by hand: show where it is.
void helpPageCommand() {
    std::string page = helpPagePath(executableDirectory());
    if (!sys::openLocalPage(page)) showMessage("Impossible d'ouvrir le navigateur.\nOuvrez la page d'aide : " + page);
}

void newModelCommand() {
    freeModel();
    releaseGlContext();
    startingModel();
    forgetStaleReferences();
    createGlContext();
}

// A Kestrune OFF file replaces the model at once; any other format is
// imported while the current model stays drawn (app/pending_import.h).
void openModelCommand() {
    std::optional<std::string> chosen = chooseModelFile();
    if (chosen && !readsAsKestruneOff(*chosen)) {
        beginImport(*chosen);
        return;
    }
    freeModel();
    releaseGlContext();
    readChosenModel(chosen);
    forgetStaleReferences();
    createGlContext();
}

// While a model is being imported only what leaves the model alone runs:
// the views, what is shown, the help and quitting.
bool allowedDuringImport(int id) {
    switch (id) {
        case ExitCommand:
        case PerspectiveCommand:
        case ViewXOyCommand:
        case ViewXOzCommand:
        case ViewYOzCommand:
        case ShowAxesCommand:
        case ShowGridCommand:
        case ShowVerticesCommand:
        case ShowEdgesCommand:
        case ShowFacesCommand:
        case ShowTextureCommand:
        case ShowHiddenPartsCommand:
        case HelpHowCommand:
        case HelpPageCommand:
        case AboutCommand: return true;
        default: return false;
    }
}

// A whole-mesh operation: the mesh is either changed completely or left as
// it was, with a message saying why.
void remodelCommand(RemodelStatus (*operation)()) {
    sys::setBusyCursor(true);
    RemodelStatus status = operation();
    sys::setBusyCursor(false);
    if (status != RemodelStatus::Done) {
        reportError(remodelStatusText(status));
        return;
    }
    forgetStaleReferences();
}

void perspectiveCommand() {
    if (sys::surfaceContextExists()) {
        usePerspectiveProjection();
    }
    program.view.viewKind = Perspective;
}

void orthographicCommand(ViewKind kind, const char* text) {
    setStatusText(text);
    program.view.viewKind = kind;
}

void toggleFaces() {
    program.display.showFaces = !program.display.showFaces;
    if (sys::surfaceContextExists()) applyFacesShown(program.display.showFaces);
}

void toggleHiddenParts() {
    program.display.showHiddenParts = 1 - program.display.showHiddenParts;
    if (sys::surfaceContextExists()) applyHiddenPartsShown(program.display.showHiddenParts != 0);
}

// The mode commands work only from the base mode.
bool modeChangeAllowed() {
    if (program.edit.editMode == Base) return true;
    refuseModeChange();
    return false;
}

void enterModeCommand(int id) {
    if (!modeChangeAllowed()) return;
    switch (id) {
        case CreateVerticesCommand:
            enterMode(CreateVertices);
            program.edit.modeStartVertexCount = mesh.vertexCount;
            break;
        case CreateFacesCommand:
            enterMode(CreateFaces);
            program.edit.modeStartFaceCount = mesh.faceCount;
            program.edit.faceClickCount = 0;
            break;
        case MoveVerticesCommand:
            enterMode(MoveVertices);
            program.edit.selectedVertex = -1;
            break;
        case ModifyFacesCommand:
            program.edit.selectedFace = -1;
            enterMode(ModifyFaces);
            break;
        case DeleteVerticesCommand:
            enterMode(DeleteVertices);
            break;
        case DeleteFacesCommand:
            program.edit.selectedFace = -1;
            enterMode(DeleteFaces);
            break;
    }
}

void optionDialogCommand(int index) {
    const OptionDialog& dialog = optionDialogs[index];
    OptionDialogAnswer answer = sys::runOptionDialog(dialog, optionAt(dialog.optionIndex));
    applyOptionDialogAnswer(dialog, answer);
}

void uniformColorCommand() {
    std::optional<uint32_t> chosen = sys::chooseColor(static_cast<uint32_t>(options.uniformColor));
    if (chosen) options.uniformColor = static_cast<long>(*chosen);
    // Even a cancelled choice switches the faces to the uniform texture.
    rebuildUniformTexture();
    program.display.textureSlot = 0;
}

}  // namespace

void runCommand(int id) {
    if (importRunning() && !allowedDuringImport(id)) return;
    switch (id) {
        case NewModelCommand: newModelCommand(); break;
        case OpenModelCommand: openModelCommand(); break;
        case SaveModelCommand: saveModel(); break;
        case ExitCommand: sys::closeMainWindow(); break;
        case PerspectiveCommand: perspectiveCommand(); break;
        case ViewXOyCommand: orthographicCommand(ViewXOy, "Vue xOy."); break;
        case ViewXOzCommand: orthographicCommand(ViewXOz, "Vue xOz."); break;
        case ViewYOzCommand: orthographicCommand(ViewYOz, "Vue yOz."); break;
        case ShowAxesCommand: program.display.showAxes = !program.display.showAxes; break;
        case ShowGridCommand: program.display.showGrid = !program.display.showGrid; break;
        case ShowVerticesCommand: program.display.showVertices = !program.display.showVertices; break;
        case ShowEdgesCommand: program.display.showEdges = !program.display.showEdges; break;
        case ShowFacesCommand: toggleFaces(); break;
        case ShowTextureCommand: program.display.textureSlot = 1 - program.display.textureSlot; break;
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
