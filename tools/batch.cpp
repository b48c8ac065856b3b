#include "tools/batch.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "app/core/file_bytes.h"
#include "app/core/off_file.h"
#include "kestrune_version.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "remodel/remodel.h"

namespace {

const char* const usageText =
    "usage : kestrune-batch ENTRÉE.off SORTIE.off [ÉTAPE ...]\n"
    "        kestrune-batch --help | --version\n"
    "Lit le modèle ENTRÉE.off, lui applique les étapes dans l'ordre donné et\n"
    "écrit le résultat dans SORTIE.off comme le fait \"Sauver\".\n"
    "Étapes :\n"
    "  bases      Bases optimales\n"
    "  triangles  Tout en triangles\n"
    "  loop       une subdivision de Loop (peut se répéter)\n"
    "Sans étape, le modèle est lu puis réécrit.\n"
    "Code de sortie : 0 réussi, 1 échec de lecture, d'étape ou d'écriture,\n"
    "2 erreur d'usage.\n";

using Step = RemodelStatus (*)();

std::optional<Step> stepNamed(const std::string& name) {
    if (name == "bases") return optimizeBases;
    if (name == "triangles") return triangulateAll;
    if (name == "loop") return loopSubdivide;
    return std::nullopt;
}

int usageError(std::ostream& err, const std::string& problem) {
    err << "kestrune-batch : " << problem << "\n" << usageText;
    return 2;
}

// Reads, remodels and writes; the global mesh holds the model meanwhile.
int remodelFile(const std::string& input, const std::string& output, const std::vector<Step>& steps,
                std::ostream& err) {
    FileBytes text;
    errno = 0;
    if (!readWholeFile(input, text)) {
        err << "kestrune-batch : lecture impossible de « " << input << " »"
            << (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string()) << "\n";
        return 1;
    }
    bool read = readOffText(text.data, text.size, mesh);
    releaseFileBytes(text);
    if (!read) {
        err << "fichier modèle erroné\n";
        return 1;
    }
    for (Step step : steps) {
        RemodelStatus status = step();
        if (status != RemodelStatus::Done) {
            err << "kestrune-batch : " << remodelStatusText(status) << "\n";
            return 1;
        }
    }
    errno = 0;
    if (saveOffFile(output, mesh) != OffSaveResult::Saved) {
        err << "kestrune-batch : écriture impossible de « " << output << " »"
            << (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string()) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << usageText;
            return 0;
        }
        if (arg == "--version") {
            out << "kestrune-batch " KESTRUNE_VERSION "\n";
            return 0;
        }
    }
    if (args.size() < 2) return usageError(err, "il faut un fichier d'entrée et un fichier de sortie");
    std::vector<Step> steps;
    for (size_t i = 2; i < args.size(); ++i) {
        std::optional<Step> step = stepNamed(args[i]);
        if (!step) return usageError(err, "étape inconnue « " + args[i] + " »");
        steps.push_back(*step);
    }
    int code = remodelFile(args[0], args[1], steps, err);
    freeModel();
    return code;
}
