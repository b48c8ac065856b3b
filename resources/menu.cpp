#include "resources/menu.h"

#include <iterator>

namespace {

const MenuItem fileItems[] = {
    {201, "Nouveau", "Créer un nouveau modèle."},
    {202, "Ouvrir", "Ouvrir un nouveau modèle."},
    {203, "Sauver", "Sauvegarder le modèle actuel."},
    {0, nullptr, nullptr},
    {204, "Exit", "Quitter l'application."},
};

const MenuItem viewItems[] = {
    {211, "Perspective", "Vue en perspective."},
    {212, "xOy", "Vue xOy."},
    {213, "xOz", "Vue xOz."},
    {214, "yOz", "Vue yOz."},
};

const MenuItem displayItems[] = {
    {221, "Axes", "Affichage des axes."},
    {222, "Grille", "Affichage d'une grille."},
    {223, "Sommets", "Affichage des sommets."},
    {224, "Arêtes", "Affichage des arêtes."},
    {225, "Faces", "Affichage des faces."},
    {226, "Texture", "Affichage de la texture."},
    {0, nullptr, nullptr},
    {227, "Parties cachées", "Affichage des parties cachées."},
};

const MenuItem createItems[] = {
    {231, "Sommets",
     "Création de sommets et pour finir : le menu Créer/Stop, le bouton droit ou la touche fin."},
    {232, "Faces", "Création de faces et pour finir : le menu Créer/Stop, le bouton droit ou la touche fin."},
    {0, nullptr, nullptr},
    {233, "Stop", "Stopper la création d'entités."},
};

const MenuItem modifyItems[] = {
    {241, "Sommets", "Déplacement de sommets, les faces jointes sont modifiées."},
    {242, "Faces", "Déplacement de faces, les sommets suivent et les faces voisines sont modifiées."},
    {243, "Texture", "Changement de la texture actuelle."},
    {0, nullptr, nullptr},
    {244, "Stop", "Stopper la modification d'entités."},
};

const MenuItem eraseItems[] = {
    {251, "Sommets",
     "Effacement de sommets et des faces jointes et pour finir : le menu Effacer/Stop, le bouton droit ou la "
     "touche fin."},
    {252, "Faces", "Effacement de faces et pour finir : le menu Effacer/Stop, le bouton droit ou la touche fin."},
    {0, nullptr, nullptr},
    {253, "Stop", "Stopper l'effacement d'entités."},
};

const MenuItem remodelItems[] = {
    {261, "Bases optimales", "Pour redéfinir la base optimale de chaque face."},
    {262, "Tout en triangles", "Pour remodéliser en triangles uniquement."},
    {263, "Subdivision C. Loop", "Pour faire une itération de subdivision suivant Charles Loop."},
};

const MenuItem optionItems[] = {
    {271, "Création de sommets", "Pour choisir où créer des sommets."},
    {272, "Taille de texture", "Pour choisir la taille de texture à utiliser."},
    {273, "Base commune de texture", "Pour choisir une base commune de texture."},
    {274, "Modification des faces", "Pour choisir comment modifier les faces."},
    {275, "Perspective avec animation", "Pour utiliser la vue en perspective avec animation."},
    {276, "Perspective avec transparence", "Pour utiliser la vue en perspective avec transparence."},
    {277, "Texture interne unie", "Pour choisir la couleur unie de la texture interne."},
};

const MenuItem helpItems[] = {
    {281, "Pour l'aide", "Comment voir l'aide."},
    {282, "Aide en html", "Voir l'aide html en ligne."},
    {0, nullptr, nullptr},
    {283, "A propos", "A propos ..."},
};

template <size_t N>
constexpr int countOf(const MenuItem (&)[N]) {
    return static_cast<int>(N);
}

}  // namespace

const MenuPopup menuBar[] = {
    {"Fichier", "Menu fichier", fileItems, countOf(fileItems)},
    {"Vues", "Menu vues", viewItems, countOf(viewItems)},
    {"Afficher", "Menu afficher", displayItems, countOf(displayItems)},
    {"Créer", "Menu créer", createItems, countOf(createItems)},
    {"Modifier", "Menu modifier", modifyItems, countOf(modifyItems)},
    {"Effacer", "Menu effacer", eraseItems, countOf(eraseItems)},
    {"Remodéliser", "Menu remodéliser", remodelItems, countOf(remodelItems)},
    {"Options", "Menu options", optionItems, countOf(optionItems)},
    {"Aide", "Menu aide", helpItems, countOf(helpItems)},
};

const int menuPopupCount = static_cast<int>(std::size(menuBar));

const char* commandHelpText(int id) {
    if (id == 0) return nullptr;
    for (const MenuPopup& popup : menuBar) {
        for (int i = 0; i < popup.itemCount; ++i) {
            if (popup.items[i].id == id) return popup.items[i].helpText;
        }
    }
    return nullptr;
}
