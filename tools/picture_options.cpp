#include "tools/picture_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <charconv>

#include "platform/scripted/scripted.h"

const char* const pictureUsageText =
    "\n"
    "Images :\n"
    "       kestrune-batch [OPTIONS D'IMAGE] ENTRÉE.off IMAGE.png [ÉTAPE ...]\n"
    "       kestrune-batch --thumbnail ENTRÉE.off IMAGE TAILLE\n"
    "Dessine le modèle (après les étapes) comme la fenêtre le montre et écrit\n"
    "l'image PNG, entière ou pas du tout. La texture est cherchée à côté du modèle.\n"
    "Options d'image (avant les fichiers) :\n"
    "  --view VUE          perspective (défaut), xoy, xoz ou yoz\n"
    "  --reversed          vues orthogonales de l'autre côté (« retournée »)\n"
    "  --turn Y,X          tourne la vue en perspective de Y degrés autour de y\n"
    "                      puis X autour de x, comme un glissé du bouton gauche\n"
    "  --size N | LxH      taille de l'image en pixels (défaut 632x572, 1 à 8192)\n"
    "  --faces, --no-faces les faces affichées (défaut) ou non\n"
    "  --edges             les arêtes\n"
    "  --points            les sommets\n"
    "  --axes              les axes\n"
    "  --grid              la grille\n"
    "  --uniform           la couleur unie au lieu de l'image de texture du modèle\n"
    "  --options FICHIER, --texture-size N, --common-base N\n"
    "                      comme pour une conversion, mais sans --options une image\n"
    "                      prend les options par défaut\n"
    "  --thumbnail         vignette carrée de TAILLE pixels pour un gestionnaire de\n"
    "                      fichiers ; abandonne au bout de 20 secondes\n"
    "Une image qui ne peut être faite (modèle erroné, texture illisible, pas de\n"
    "pilote OpenGL, écriture impossible) donne le code de sortie 1 sans fichier.\n";

namespace {

// The options a conversion takes too; the others ask for a picture.
bool sharedWithConversion(const std::string& option) {
    return option == "--options" || option == "--texture-size" || option == "--common-base";
}

bool takesValue(const std::string& option) {
    return option == "--view" || option == "--size" || option == "--turn" || sharedWithConversion(option);
}

bool endsInPng(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".png";
}

bool isOption(const std::string& arg) { return arg.size() > 2 && arg.compare(0, 2, "--") == 0; }

bool parsePositive(std::string_view text, int highest, int& value) {
    const char* end = text.data() + text.size();
    auto parsed = std::from_chars(text.data(), end, value);
    return parsed.ec == std::errc() && parsed.ptr == end && value >= 1 && value <= highest;
}

bool parseSide(std::string_view text, int& side) { return parsePositive(text, scripted::maxDrawingSide, side); }

// "N" for a square, or "WxH".
bool parseSize(const std::string& text, int& width, int& height) {
    size_t cross = text.find('x');
    if (cross == std::string::npos) {
        if (!parseSide(text, width)) return false;
        height = width;
        return true;
    }
    std::string_view all(text);
    return parseSide(all.substr(0, cross), width) && parseSide(all.substr(cross + 1), height);
}

// "Y,X" in degrees, each within one turn either way.
bool parseTurn(const std::string& text, float& turnY, float& turnX) {
    size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    const char* end = text.data() + text.size();
    auto first = std::from_chars(text.data(), text.data() + comma, turnY);
    auto second = std::from_chars(text.data() + comma + 1, end, turnX);
    return first.ec == std::errc() && first.ptr == text.data() + comma && second.ec == std::errc() &&
           second.ptr == end && std::abs(turnY) <= 360.0f && std::abs(turnX) <= 360.0f;
}

bool parseView(const std::string& text, ViewKind& view) {
    if (text == "perspective") view = Perspective;
    else if (text == "xoy") view = ViewXOy;
    else if (text == "xoz") view = ViewXOz;
    else if (text == "yoz") view = ViewYOz;
    else return false;
    return true;
}

bool takeValueOption(const std::string& name, const std::string& value, PictureRequest& into) {
    if (name == "--options") {
        into.optionsFile = value;
        return true;
    }
    if (name == "--texture-size") return parsePositive(value, 1 << 30, into.textureSize);
    if (name == "--common-base") return parsePositive(value, 3, into.commonBase);
    if (name == "--view") return parseView(value, into.view);
    if (name == "--turn") return parseTurn(value, into.turnY, into.turnX);
    return parseSize(value, into.width, into.height);
}

bool takeFlag(const std::string& name, PictureRequest& into) {
    if (name == "--reversed") into.reversed = true;
    else if (name == "--faces") into.faces = true;
    else if (name == "--no-faces") into.faces = false;
    else if (name == "--edges") into.edges = true;
    else if (name == "--points") into.points = true;
    else if (name == "--axes") into.axes = true;
    else if (name == "--grid") into.grid = true;
    else if (name == "--uniform") into.uniform = true;
    else if (name == "--thumbnail") into.thumbnail = true;
    else return false;
    return true;
}

// The file names and what follows them.
PictureArguments takeNames(const std::vector<std::string>& names, PictureRequest& into, std::string& problem) {
    for (const std::string& name : names) {
        if (isOption(name)) {
            problem = "l'option « " + name + " » doit précéder les fichiers";
            return PictureArguments::UsageError;
        }
    }
    if (names.size() < 2) {
        problem = "il faut un fichier d'entrée et un fichier de sortie";
        return PictureArguments::UsageError;
    }
    into.input = names[0];
    into.output = names[1];
    if (!into.thumbnail && !endsInPng(into.output)) {
        problem = "une image s'écrit dans un fichier .png";
        return PictureArguments::UsageError;
    }
    if (!into.thumbnail) {
        into.steps.assign(names.begin() + 2, names.end());
        return PictureArguments::Run;
    }
    if (names.size() != 3 || !parseSide(names[2], into.width)) {
        problem = "une vignette demande ENTRÉE, IMAGE et une TAILLE de 1 à 8192";
        return PictureArguments::UsageError;
    }
    into.height = into.width;
    return PictureArguments::Run;
}

}  // namespace

bool asksForPicture(const std::vector<std::string>& args) {
    size_t i = 0;
    for (; i < args.size() && isOption(args[i]); ++i) {
        // The options not shared with a conversion belong to the pictures.
        PictureRequest ignored;
        if (!sharedWithConversion(args[i]) && (takesValue(args[i]) || takeFlag(args[i], ignored))) return true;
        if (takesValue(args[i])) ++i;
    }
    return i + 1 < args.size() && endsInPng(args[i + 1]);
}

PictureArguments parsePictureArguments(const std::vector<std::string>& args, PictureRequest& into,
                                       std::string& problem) {
    size_t i = 0;
    for (; i < args.size() && isOption(args[i]); ++i) {
        const std::string& arg = args[i];
        if (takesValue(arg)) {
            if (i + 1 >= args.size()) {
                problem = "il manque la valeur de " + arg;
                return PictureArguments::UsageError;
            }
            if (!takeValueOption(arg, args[i + 1], into)) {
                problem = "valeur « " + args[i + 1] + " » refusée pour " + arg;
                return PictureArguments::UsageError;
            }
            ++i;
        } else if (!takeFlag(arg, into)) {
            problem = "option inconnue « " + arg + " »";
            return PictureArguments::UsageError;
        }
    }
    return takeNames({args.begin() + static_cast<long>(i), args.end()}, into, problem);
}
