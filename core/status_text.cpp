#include "core/status_text.h"

#include <cstdio>

namespace {

const char* viewText(ViewKind kind, float viewSign) {
    static const char* const direct[] = {"Vue actuelle : perspective", "Vue actuelle : xOy directe",
                                         "Vue actuelle : xOz directe", "Vue actuelle : yOz directe"};
    static const char* const reversed[] = {"Vue actuelle : perspective", "Vue actuelle : xOy retournée",
                                           "Vue actuelle : xOz retournée", "Vue actuelle : yOz retournée"};
    int index = (kind >= Perspective && kind <= ViewYOz) ? kind : Perspective;
    return viewSign < 0 ? reversed[index] : direct[index];
}

}  // namespace

std::string baseStatusText(int vertexCount, int faceCount, ViewKind kind, float viewSign) {
    char buffer[160];
    int used = std::snprintf(buffer, sizeof buffer,
                             vertexCount > 1 ? " Il y a %d sommets et " : " Il y a %d sommet et ",
                             vertexCount);
    std::snprintf(buffer + used, sizeof buffer - used, faceCount > 1 ? "%d faces" : "%d face",
                  faceCount);
    return std::string(buffer) + " | " + viewText(kind, viewSign);
}

std::string reportErrorText(const std::string& text) {
    return "ERREUR  !!!\n\n" + text;
}

std::string fatalErrorText(const std::string& text) {
    return "Erreur irrémédiable\n\nL'application va se terminer\n\n" + text;
}
