#include "tools/batch.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <sys/stat.h>

#include "core/file_bytes.h"
#include "core/options.h"
#include "kestrune_version.h"
#include "mesh/face_mapping.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "core/text_scan.h"
#include "remodel/remodel.h"
#include "tools/batch_options.h"
#include "exchange/contained_import.h"
#include "exchange/export_mapping.h"
#include "exchange/model_output.h"

std::optional<RemodelStep> remodelStepNamed(const std::string& name) {
    if (name == "bases") return optimizeBases;
    if (name == "triangles") return triangulateAll;
    if (name == "loop") return loopSubdivide;
    return std::nullopt;
}

namespace {

using Step = RemodelStep;

// The whole file as text; errno says why when it cannot be read.
bool readText(const std::string& path, std::string& contents) {
    FileBytes bytes;
    if (!readWholeFile(path, bytes)) return false;
    contents.assign(bytes.data, bytes.size);
    releaseFileBytes(bytes);
    return true;
}

int usageError(std::ostream& err, const std::string& problem) {
    err << "kestrune-batch : " << problem << "\n" << batchUsageText;
    return 2;
}

// Whether the header line of a text the reader took holds nothing after the
// texture name: the reader keeps the first word only, so "OFF my tex.jpg"
// would be written back as "OFF  my".
bool headerCarriedWhole(const char* data, size_t size) {
    std::string_view rest(data, strnlen(data, size));
    std::string_view line;
    while (takeLine(rest, line, offHeaderLineLimit) == LineTaken) {
        if (!isBlankLine(line) && !isCommentLine(line)) break;
    }
    int words = 0;
    for (size_t k = 0; k < line.size(); ++k) {
        if (!isScanSpace(line[k]) && (k == 0 || isScanSpace(line[k - 1]))) ++words;
    }
    return words <= 2;
}

// Reads a Kestrune OFF input with the window's own reader.
bool readKestruneOff(const std::string& input, const std::string& output, std::ostream& err) {
    FileBytes text;
    errno = 0;
    if (!readWholeFile(input, text)) {
        if (errno == ENOMEM) throw std::bad_alloc();
        err << "kestrune-batch : lecture impossible de « " << input << " »"
            << (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string()) << "\n";
        return false;
    }
    bool memoryExhausted = false;
    bool read = readOffText(text.data, text.size, mesh, &memoryExhausted);
    bool headerWhole = !read || headerCarriedWhole(text.data, text.size);
    releaseFileBytes(text);
    if (!read && memoryExhausted) throw std::bad_alloc();
    if (!read) {
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
    for (size_t start = 0, end; (end = imported.notes.find('\n', start)) != std::string::npos; start = end + 1) {
        err << "kestrune-batch : " << imported.notes.substr(start, end + 1 - start);
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
    if (batch.optionsFile.empty()) {
        readOptions();
    } else {
        std::string text;
        errno = 0;
        if (!readText(batch.optionsFile, text)) {
            err << "kestrune-batch : lecture impossible de « " << batch.optionsFile << " »"
                << (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string()) << "\n";
            return false;
        }
        options = parseOptionsText(text);
        clampOptions();
    }
    if (batch.textureSize > 0) options.textureSize = batch.textureSize;
    if (batch.commonBase > 0) options.commonBase = batch.commonBase;
    return true;
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
    for (Step step : steps) {
        RemodelStatus status = step();
        if (status != RemodelStatus::Done) {
            err << "kestrune-batch : " << remodelStatusText(status) << "\n";
            return 1;
        }
    }
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
    for (const std::string& name : batch.steps) {
        std::optional<Step> step = remodelStepNamed(name);
        if (!step) return usageError(err, "étape inconnue « " + name + " »");
        steps.push_back(*step);
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
