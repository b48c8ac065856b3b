#include "tools/batch.h"

#include <exception>
#include <new>
#include <sstream>
#include <optional>
#include <system_error>
#include <thread>

#include "core/options.h"
#include "kestrune_version.h"
#include "mesh/face_mapping.h"
#include "mesh/mesh.h"
#include "remodel/remodel.h"
#include "tools/batch_options.h"
#include "tools/tool_inputs.h"
#include "exchange/import/incoming_model.h"
#include "exchange/export/model_output.h"

namespace {

using Step = RemodelStep;

// The reason and a pointer to --help, as the usual command-line tools do; the
// whole usage would bury the reason.
int usageError(std::ostream& err, const std::string& problem) {
    err << "kestrune-batch : " << problem << "\n" << batchHelpHint;
    return 2;
}

// Reads the input as the window opens it (a Kestrune OFF file with the
// window's own reader; any other through the import child, its arrays left
// to install); false, said on `err`, when it does not come.
bool readInput(const BatchOptions& batch, IncomingModel& incoming, std::ostream& err) {
    ModelRequest request;
    request.throughLibrary = batch.importThroughLibrary;
    ModelRead read = receiveModel(batch.input, request, mesh, incoming);
    tellTagged(incoming.notes + incoming.quietNotes, err);
    switch (read) {
        case ModelRead::Read: break;
        case ModelRead::OutOfMemory: throw std::bad_alloc();
        case ModelRead::Malformed:
            err << "fichier modèle erroné\n"
                << "kestrune-batch : pour un fichier OFF standard (commentaires, polygones, couleurs), "
                   "essayer --import\n";
            return false;
        case ModelRead::Unreadable:
        case ModelRead::ImportFailed: err << "kestrune-batch : " << incoming.failure << "\n"; return false;
    }
    if (!incoming.headerWhole) {
        err << "kestrune-batch : l'en-tête de « " << batch.input
            << " » porte plus d'un mot après OFF : un nom de texture avec un blanc ne peut pas être "
               "réécrit, « "
            << batch.output << " » n'est pas écrit\n";
        return false;
    }
    return true;
}

// Builds the model from the imported numbers, as the window would read the
// OFF file made of them; says why not.
bool installImport(IncomingModel& incoming, bool keepScene, std::ostream& err) {
    ModelRead read = installIncoming(incoming, mesh, keepScene);
    if (read == ModelRead::OutOfMemory) throw std::bad_alloc();
    if (read != ModelRead::Read) err << "kestrune-batch : " << incoming.failure << "\n";
    return read == ModelRead::Read;
}

// An import written unchanged as Kestrune OFF: the file is made from the
// imported numbers while the model is built from them on another thread, and
// replaces the target only once the model is known to read.
int writeUnchangedImport(const std::string& output, IncomingModel& incoming,
                         const std::optional<TextureFile>& texture, std::ostream& err) {
    bool installed = false;
    std::ostringstream installErrors;
    std::exception_ptr failure;
    auto install = [&] {
        try {
            installed = installImport(incoming, true, installErrors);
        } catch (...) {
            failure = std::current_exception();
        }
    };
    std::thread building;
    try {
        building = std::thread(install);
    } catch (const std::system_error&) {
        install();
    }
    auto modelReads = [&] {
        if (building.joinable()) building.join();
        return installed;
    };
    std::ostringstream told;
    bool written = writeImportedOff(output, incoming.scene, texture, told, modelReads);
    tellTagged(told.str(), err);
    modelReads();
    if (failure) std::rethrow_exception(failure);
    err << installErrors.str();
    return installed && written ? 0 : 1;
}

// The window's options file from the current directory, or the one given
// (then it must be readable), with the flags over them.
bool loadOptions(const BatchOptions& batch, std::ostream& err) {
    return loadToolOptions(batch.optionsFile, true, batch.textureSize, batch.commonBase, err);
}

// Reads, remodels and writes; the global mesh holds the model meanwhile.
int remodelFile(const BatchOptions& batch, const OutputPlan& plan, const std::vector<Step>& steps,
                std::ostream& err) {
    IncomingModel incoming;
    if (!readInput(batch, incoming, err)) return 1;
    std::optional<TextureFile> texture;
    if (incoming.picture) texture = savedPicture(*incoming.picture);
    if (incoming.imported && steps.empty() && plan.kind == OutputKind::KestruneOff) {
        return writeUnchangedImport(plan.path, incoming, texture, err);
    }
    if (!installImport(incoming, false, err)) return 1;
    if (!applySteps(steps, err)) return 1;
    std::ostringstream told;
    if (!incoming.imported && plan.kind == OutputKind::Export) {
        texture = textureBesideModel(batch.input, mesh.textureFileName, told);
    }
    bool written = writeModel(plan, exportMappingSettings(), options.uniformColor, texture, !incoming.imported, told);
    tellTagged(told.str(), err);
    return written ? 0 : 1;
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    BatchOptions batch;
    std::string problem;
    switch (parseBatchArguments(args, batch, problem)) {
        case ArgumentsResult::Help: out << batchUsageText; return 0;
        case ArgumentsResult::Version: out << "kestrune-batch " KESTRUNE_VERSION "\n"; return 0;
        case ArgumentsResult::UsageError: return usageError(err, problem);
        case ArgumentsResult::Run: break;
    }
    std::vector<Step> steps;
    std::string unknown;
    if (!remodelStepsNamed(batch.steps, steps, unknown)) {
        return usageError(err, "étape inconnue « " + unknown + " »");
    }
    OutputPlan plan;
    // An output format not written is a usage error, found before anything is read or written.
    if (!planOutput(batch.output, batch.standardOff, batch.ascii, plan, problem)) {
        return usageError(err, "« " + batch.output + " » : " + problem);
    }
    int code = 1;
    try {
        if (loadOptions(batch, err)) code = remodelFile(batch, plan, steps, err);
    } catch (const std::bad_alloc&) {
        // Reading, a step, the text or the writing ran short: nothing is written.
        err << "kestrune-batch : mémoire insuffisante\n";
        code = 1;
    }
    freeModel();
    return code;
}
