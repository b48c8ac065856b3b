#include "core/command_line.h"

#include <cstring>
#include <string_view>

#include "kestrune_version.h"

const char* const kestruneHelpText =
    "usage : kestrune [--help | --version] [FICHIER]\n"
    "Modeleur de maillages polygonaux. Au démarrage, le programme demande le\n"
    "fichier du modèle à ouvrir : le dialogue s'ouvre sur FICHIER, déjà choisi,\n"
    "ou sur les exemples installés. Un fichier OFF est lu par Kestrune, les\n"
    "autres formats (OBJ, PLY, STL, glTF...) sont importés.\n"
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

namespace {

// Options of the window system (Qt, X11) followed by a value.
bool takesWindowSystemValue(std::string_view arg) {
    static const std::string_view withValue[] = {
        "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry", "-qwindowicon",
        "-qwindowtitle", "-session", "-style", "-stylesheet", "-display", "-geometry", "-title", "-name",
        "-visual", "-im", "-inputstyle", "-fn", "-font", "-bg", "-fg", "-btn", "-button", "-ncols"};
    for (std::string_view option : withValue) {
        if (arg == option) return true;
    }
    return false;
}

}  // namespace

std::string modelArgument(int argc, const char* const* argv) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (optionsEnded || arg.empty() || arg[0] != '-') {
            return std::string(arg);
        } else if (takesWindowSystemValue(arg)) {
            ++i;
        }
    }
    return {};
}
