#include "remodel/batch.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <unistd.h>

#include "app/core/regular_file.h"
#include "app/core/safe_file.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "mesh/off_writer.h"
#include "remodel/remodel.h"

namespace {

const char* const usageText =
    "usage : kestrune-batch ENTRÉE.off SORTIE.off [ÉTAPE ...]\n"
    "Lit le modèle ENTRÉE.off, lui applique les étapes dans l'ordre donné et\n"
    "écrit le résultat dans SORTIE.off comme le fait \"Sauver\".\n"
    "Étapes :\n"
    "  bases      Bases optimales\n"
    "  triangles  Tout en triangles\n"
    "  loop       une subdivision de Loop (peut se répéter)\n"
    "Sans étape, le modèle est lu puis réécrit.\n";

using Step = RemodelStatus (*)();

std::optional<Step> stepNamed(const std::string& name) {
    if (name == "bases") return optimizeBases;
    if (name == "triangles") return triangulateAll;
    if (name == "loop") return loopSubdivide;
    return std::nullopt;
}

bool readWholeFile(const std::string& path, std::string& contents) {
    int fd = openRegularFileForReading(path);
    if (fd < 0) return false;
    char buffer[1 << 16];
    ssize_t got;
    try {
        while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) break;
            contents.append(buffer, static_cast<size_t>(got));
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    int readErrno = errno;
    ::close(fd);
    errno = readErrno;
    return got == 0;
}

bool isScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whether the header line of a text the reader took holds nothing after the
// texture name: the reader keeps the first word only, so "OFF my tex.jpg"
// would be written back as "OFF  my".
bool headerCarriedWhole(const std::string& text) {
    std::string_view rest(text.data(), strnlen(text.data(), text.size()));
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

int usageError(std::ostream& err, const std::string& problem) {
    err << "kestrune-batch : " << problem << "\n" << usageText;
    return 2;
}

// Reads, remodels and writes; the global mesh holds the model meanwhile.
int remodelFile(const std::string& input, const std::string& output, const std::vector<Step>& steps,
                std::ostream& err) {
    std::string text;
    errno = 0;
    if (!readWholeFile(input, text)) {
        err << "kestrune-batch : lecture impossible de « " << input << " »"
            << (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string()) << "\n";
        return 1;
    }
    bool memoryExhausted = false;
    if (!readOffText(text.data(), text.size(), mesh, &memoryExhausted)) {
        err << (memoryExhausted ? "kestrune-batch : mémoire insuffisante\n" : "fichier modèle erroné\n");
        return 1;
    }
    if (!headerCarriedWhole(text)) {
        err << "kestrune-batch : l'en-tête de « " << input
            << " » porte plus d'un mot après OFF : un nom de texture avec un blanc ne peut pas être "
               "réécrit, « "
            << output << " » n'est pas écrit\n";
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
    if (!replaceFileContents(output, formatOffText(mesh))) {
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
    }
    if (args.size() < 2) return usageError(err, "il faut un fichier d'entrée et un fichier de sortie");
    std::vector<Step> steps;
    for (size_t i = 2; i < args.size(); ++i) {
        std::optional<Step> step = stepNamed(args[i]);
        if (!step) return usageError(err, "étape inconnue « " + args[i] + " »");
        steps.push_back(*step);
    }
    int code = 1;
    try {
        code = remodelFile(args[0], args[1], steps, err);
    } catch (const std::bad_alloc&) {
        // Reading, a step, the text or the writing ran short: nothing is written.
        err << "kestrune-batch : mémoire insuffisante\n";
    }
    freeModel();
    return code;
}
