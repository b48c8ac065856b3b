#include "app/core/command_line.h"

#include <cstring>

#include "kestrune_version.h"

const char* const kestruneHelpText =
    "usage : kestrune [--help | --version]\n"
    "Modeleur de maillages polygonaux. Au démarrage, le programme demande le\n"
    "fichier OFF à ouvrir (le dialogue s'ouvre sur les exemples installés).\n"
    "Les options sont gardées dans optionsKestrune.txt, à côté de l'exécutable,\n"
    "ou dans $XDG_CONFIG_HOME/kestrune/ (~/.config/kestrune/ par défaut) quand\n"
    "le dossier de l'exécutable n'est pas modifiable. Au démarrage, un fichier\n"
    "optionsKestrune.txt du dossier courant passe en premier.\n"
    "  --help     affiche cette aide\n"
    "  --version  affiche la version\n";

bool answerInfoOption(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            out << kestruneHelpText;
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            out << "kestrune " KESTRUNE_VERSION "\n";
            return true;
        }
    }
    return false;
}
