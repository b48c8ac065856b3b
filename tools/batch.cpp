#include "tools/batch.h"

#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <sys/stat.h>

#include "core/options.h"
#include "kestrune_version.h"
#include "mesh/face_mapping.h"
#include "mesh/mesh.h"
#include "remodel/remodel.h"
#include "tools/batch_options.h"
#include "tools/tool_inputs.h"
#include "exchange/contained_import.h"
#include "exchange/export_mapping.h"
#include "exchange/model_output.h"

namespace {

using Step = RemodelStep;

// The reason and a pointer to --help, as the usual command-line tools do; the
// whole usage would bury the reason.
int usageError(std::ostream& err, const std::string& problem) {
    err << "kestrune-batch : " << problem << "\n" << batchHelpHint;
    return 2;
}

// Reads a Kestrune OFF input with the window's own reader.
bool readKestruneOff(const std::string& input, const std::string& output, std::ostream& err) {
    bool headerWhole = true;
    OffLoad load = loadKestruneOff(input, mesh, err, &headerWhole);
    if (load == OffLoad::OutOfMemory) throw std::bad_alloc();
    if (load == OffLoad::Unreadable) return false;
    if (load == OffLoad::Malformed) {
        err << "fichier modèle erroné\n"
            << "kestrune-batch : pour un fichier OFF standard (commentaires, polygones, couleurs), "
               "essayer --import\n";
        return false;
    }
    if (!headerWhole) {
        err << "kestrune-batch : l'en-tête de « " << input
            << " » porte plus d'un mot après OFF : un nom de texture avec un blanc ne peut pas être "
               "réécrit, « "
            << output << " » n'est pas écrit\n";
        return false;
    }
    return true;
}

// Reads any other input through the library, in the import child.
bool importInput(const std::string& input, ImportedModel& imported, std::ostream& err) {
    struct stat status;
    uint64_t size = ::stat(input.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
    std::string failure;
    bool read = importContained(input, importLimitsFor(size, false), imported, failure);
    const std::string notes = imported.notes + imported.quietNotes;
    for (size_t start = 0, end; (end = notes.find('\n', start)) != std::string::npos; start = end + 1) {
        err << "kestrune-batch : " << notes.substr(start, end + 1 - start);
    }
    if (!read) err << "kestrune-batch : " << failure << "\n";
    return read;
}

// Whether the model was built from the imported numbers, as the window would
// read the OFF file made of them; says why not.
bool installImport(const std::string& input, bool installed, bool memoryExhausted, std::ostream& err) {
    if (memoryExhausted) throw std::bad_alloc();
    if (!installed) err << "kestrune-batch : « " << input << " » : coordonnées hors de portée d'un modèle Kestrune\n";
    return installed;
}

// An import written unchanged as Kestrune OFF: the file is made from the
// imported numbers while the model is built from them on another thread, and
// replaces the target only once the model is known to read.
int writeUnchangedImport(const std::string& input, const std::string& output, const ImportedModel& imported,
                         const std::optional<TextureFile>& texture, std::ostream& err) {
    bool installed = false, memoryExhausted = false;
    auto install = [&] { installed = installImportedModel(imported, mesh, &memoryExhausted); };
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
    bool written = writeImportedOff(output, imported, texture, err, modelReads);
    modelReads();
    return installImport(input, installed, memoryExhausted, err) && written ? 0 : 1;
}

// The window's options file from the current directory, or the one given
// (then it must be readable), with the flags over them.
bool loadOptions(const BatchOptions& batch, std::ostream& err) {
    return loadToolOptions(batch.optionsFile, true, batch.textureSize, batch.commonBase, err);
}

// Reads, remodels and writes; the global mesh holds the model meanwhile.
int remodelFile(const BatchOptions& batch, const OutputPlan& plan, const std::vector<Step>& steps,
                std::ostream& err) {
    bool kestruneInput = isOffPath(batch.input) && !batch.importThroughLibrary;
    ImportedModel imported;
    if (kestruneInput ? !readKestruneOff(batch.input, batch.output, err) : !importInput(batch.input, imported, err)) {
        return 1;
    }
    std::optional<TextureFile> texture = std::move(imported.texture);
    if (!kestruneInput && steps.empty() && plan.kind == OutputKind::KestruneOff) {
        return writeUnchangedImport(batch.input, plan.path, imported, texture, err);
    }
    if (!kestruneInput) {
        bool memoryExhausted = false;
        bool installed = installImportedModel(imported, mesh, &memoryExhausted);
        if (!installImport(batch.input, installed, memoryExhausted, err)) return 1;
        imported = ImportedModel();
    }
    if (!applySteps(steps, err)) return 1;
    if (kestruneInput && plan.kind == OutputKind::Export) {
        texture = textureBesideModel(batch.input, mesh.textureFileName, err);
    }
    return writeModel(plan, exportMappingSettings(), options.uniformColor, texture, kestruneInput, err) ? 0 : 1;
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
