#include "app/pending_import.h"

#include <cstdio>

#include "app/model_files.h"
#include "app/modes.h"
#include "core/paths.h"
#include "edit/mesh_edits.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "state/messages.h"
#include "state/program_state.h"

PendingImport pendingImport;

namespace {

const char* const modelTitle = " - votre modèle : ";

// The box that tells why the model did not come.
std::string failureText(ModelRead read, const IncomingModel& incoming) {
    if (read == ModelRead::OutOfMemory) {
        return "mémoire insuffisante : le fichier " + fileNameOf(incoming.path) + " n'est pas ouvert";
    }
    return incoming.failure;
}

// What the import left out or changed, told once, after the first frame.
void tellImportNotes(const IncomingModel& incoming, const std::string& name) {
    std::fprintf(stderr, "kestrune : %s importé : %d sommets, %d faces\n", name.c_str(), mesh.vertexCount,
                 mesh.faceCount);
    // A file that names no texture only gets a line on the standard error.
    std::fputs((incoming.notes + incoming.quietNotes).c_str(), stderr);
    if (incoming.notes.empty()) return;
    program.opened.pendingNotes = "Importation de " + name + " :\n" + incoming.notes;
}

// Replaces the model by what the child found, as opening its Kestrune OFF
// file would: the previous model and its drawing go first.
void landImport(ModelRead read) {
    IncomingModel incoming = std::move(pendingImport.incoming);
    pendingImport = PendingImport();
    bool drawing = sys::surfaceContextExists();
    freeModel();
    if (drawing) releaseGlContext();
    if (read == ModelRead::Read) read = installIncoming(incoming, mesh);
    if (read != ModelRead::Read) {
        reportError(failureText(read, incoming));
        startingModel();
    } else {
        std::string name = fileNameOf(incoming.path);
        forgetModelTexture();
        useImportedPicture(incoming);
        sys::setWindowTitle(std::string(sys::programTitle) + modelTitle + name);
        program.display.textureSlot = 1;
        tellImportNotes(incoming, name);
    }
    forgetStaleReferences();
    if (drawing) createGlContext();
}

}  // namespace

bool importRunning() { return importStarted(pendingImport.job); }

void beginImport(const std::string& path) {
    cancelPendingImport();
    // Nothing is edited meanwhile: the model is about to be replaced.
    stopMode();
    if (startModelImport(path, ModelRequest{}, pendingImport.job, pendingImport.incoming)) return;
    landImport(ModelRead::ImportFailed);
}

void advancePendingImport(int waitMilliseconds) {
    if (!importRunning() || !advanceImport(pendingImport.job, waitMilliseconds)) return;
    landImport(finishModelImport(pendingImport.job, pendingImport.incoming));
}

void finishPendingImport() {
    while (importRunning()) advancePendingImport(1000);
}

void cancelPendingImport() {
    cancelImport(pendingImport.job);
    pendingImport = PendingImport();
}

void showImportStatus() {
    setStatusText("Importation de " + fileNameOf(pendingImport.incoming.path) + "… " +
                  std::to_string(importSeconds(pendingImport.job)) + " s");
}
