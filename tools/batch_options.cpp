#include "tools/batch_options.h"

#include <charconv>

const char* const batchUsageText =
    "usage : kestrune-batch [OPTIONS] ENTRÉE SORTIE [ÉTAPE ...]\n"
    "        kestrune-batch --help | --version\n"
    "Lit le modèle ENTRÉE, lui applique les étapes dans l'ordre donné et écrit le\n"
    "résultat dans SORTIE. L'extension de chaque fichier choisit son format :\n"
    "  .off         OFF de Kestrune, écrit comme le fait \"Sauver\"\n"
    "  .obj (+.mtl), .ply, .stl, .gltf (+.bin), .glb : en sortie, ces formats\n"
    "               seulement ; en entrée, ceux de la bibliothèque Assimp\n"
    "Étapes :\n"
    "  bases      Bases optimales\n"
    "  triangles  Tout en triangles\n"
    "  loop       une subdivision de Loop (peut se répéter)\n"
    "Sans étape, le modèle est lu puis réécrit.\n"
    "Options :\n"
    "  --import           lit ENTRÉE par Assimp même si c'est un .off (OFF standard :\n"
    "                     commentaires, polygones, couleurs, longues lignes)\n"
    "  --standard-off     écrit un .off en OFF standard (ligne \"V F 0\", sans texture)\n"
    "  --ascii            PLY et STL en texte (binaires sinon)\n"
    "  --texture-size N   taille de texture pour les coordonnées de texture exportées\n"
    "  --common-base N    base commune de texture (1, 2 ou 3)\n"
    "  --options FICHIER  fichier d'options à lire au lieu de optionsKestrune.txt\n"
    "                     du dossier courant\n"
    "  --help             cette aide\n"
    "  --version          la version du programme\n"
    "Code de sortie : 0 réussi, 1 échec de lecture, d'étape ou d'écriture,\n"
    "2 erreur d'usage.\n";

const char* const batchHelpHint = "Essayez « kestrune-batch --help » pour en savoir plus.\n";

namespace {

bool parsePositive(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto parsed = std::from_chars(text.data(), end, value);
    return parsed.ec == std::errc() && parsed.ptr == end && value > 0;
}

// Options taking a value; returns false with `problem` set on a bad one.
bool takeValueOption(const std::string& name, const std::string& value, BatchOptions& into,
                     std::string& problem) {
    if (name == "--options") {
        into.optionsFile = value;
        return true;
    }
    int number = 0;
    if (name == "--texture-size" && parsePositive(value, number)) {
        into.textureSize = number;
        return true;
    }
    if (name == "--common-base" && parsePositive(value, number) && number <= 3) {
        into.commonBase = number;
        return true;
    }
    problem = "valeur « " + value + " » refusée pour " + name;
    return false;
}

}  // namespace

ArgumentsResult parseBatchArguments(const std::vector<std::string>& args, BatchOptions& into,
                                    std::string& problem) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return ArgumentsResult::Help;
        if (arg == "--version") return ArgumentsResult::Version;
    }
    size_t i = 0;
    for (; i < args.size() && args[i].size() > 2 && args[i].compare(0, 2, "--") == 0; ++i) {
        const std::string& arg = args[i];
        if (arg == "--import") {
            into.importThroughLibrary = true;
        } else if (arg == "--standard-off") {
            into.standardOff = true;
        } else if (arg == "--ascii") {
            into.ascii = true;
        } else if (arg == "--texture-size" || arg == "--common-base" || arg == "--options") {
            if (i + 1 >= args.size()) {
                problem = "il manque la valeur de " + arg;
                return ArgumentsResult::UsageError;
            }
            if (!takeValueOption(arg, args[i + 1], into, problem)) return ArgumentsResult::UsageError;
            ++i;
        } else {
            problem = "option inconnue « " + arg + " »";
            return ArgumentsResult::UsageError;
        }
    }
    if (args.size() < i + 2) {
        problem = "il faut un fichier d'entrée et un fichier de sortie";
        return ArgumentsResult::UsageError;
    }
    for (size_t k = i + 2; k < args.size(); ++k) {
        if (args[k].compare(0, 2, "--") == 0) {
            problem = "l'option « " + args[k] + " » doit précéder les fichiers";
            return ArgumentsResult::UsageError;
        }
    }
    into.input = args[i];
    into.output = args[i + 1];
    into.steps.assign(args.begin() + static_cast<long>(i) + 2, args.end());
    return ArgumentsResult::Run;
}
