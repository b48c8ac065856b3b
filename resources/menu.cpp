#include "resources/menu.h"

#include <iterator>

namespace {

const MenuItem fileItems[] = {
    {NewModelCommand, "Nouveau", "Créer un nouveau modèle."},
    {OpenModelCommand, "Ouvrir", "Ouvrir un nouveau modèle."},
    {SaveModelCommand, "Sauver", "Sauvegarder le modèle actuel."},
    {Separator, nullptr, nullptr},
    {ExitCommand, "Exit", "Quitter l'application."},
};

const MenuItem viewItems[] = {
    {PerspectiveCommand, "Perspective", "Vue en perspective."},
    {ViewXOyCommand, "xOy", "Vue xOy."},
    {ViewXOzCommand, "xOz", "Vue xOz."},
    {ViewYOzCommand, "yOz", "Vue yOz."},
};

const MenuItem displayItems[] = {
    {ShowAxesCommand, "Axes", "Affichage des axes."},
    {ShowGridCommand, "Grille", "Affichage d'une grille."},
    {ShowVerticesCommand, "Sommets", "Affichage des sommets."},
    {ShowEdgesCommand, "Arêtes", "Affichage des arêtes."},
    {ShowFacesCommand, "Faces", "Affichage des faces."},
    {ShowTextureCommand, "Texture", "Affichage de la texture."},
    {Separator, nullptr, nullptr},
    {ShowHiddenPartsCommand, "Parties cachées", "Affichage des parties cachées."},
};

const MenuItem createItems[] = {
    {CreateVerticesCommand, "Sommets",
     "Création de sommets et pour finir : le menu Créer/Stop, le bouton droit ou la touche fin."},
    {CreateFacesCommand, "Faces", "Création de faces et pour finir : le menu Créer/Stop, le bouton droit ou la touche fin."},
    {Separator, nullptr, nullptr},
    {CreateStopCommand, "Stop", "Stopper la création d'entités."},
};

const MenuItem modifyItems[] = {
    {MoveVerticesCommand, "Sommets", "Déplacement de sommets, les faces jointes sont modifiées."},
    {ModifyFacesCommand, "Faces", "Déplacement de faces, les sommets suivent et les faces voisines sont modifiées."},
    {ChangeTextureCommand, "Texture", "Changement de la texture actuelle."},
    {Separator, nullptr, nullptr},
    {ModifyStopCommand, "Stop", "Stopper la modification d'entités."},
};

const MenuItem eraseItems[] = {
    {DeleteVerticesCommand, "Sommets",
     "Effacement de sommets et des faces jointes et pour finir : le menu Effacer/Stop, le bouton droit ou la "
     "touche fin."},
    {DeleteFacesCommand, "Faces", "Effacement de faces et pour finir : le menu Effacer/Stop, le bouton droit ou la touche fin."},
    {Separator, nullptr, nullptr},
    {DeleteStopCommand, "Stop", "Stopper l'effacement d'entités."},
};

const MenuItem remodelItems[] = {
    {OptimizeBasesCommand, "Bases optimales", "Pour redéfinir la base optimale de chaque face."},
    {TriangulateCommand, "Tout en triangles", "Pour remodéliser en triangles uniquement."},
    {LoopSubdivisionCommand, "Subdivision C. Loop", "Pour faire une itération de subdivision suivant Charles Loop."},
};

const MenuItem optionItems[] = {
    {VertexCreationOptionCommand, "Création de sommets", "Pour choisir où créer des sommets."},
    {TextureSizeOptionCommand, "Taille de texture", "Pour choisir la taille de texture à utiliser."},
    {CommonBaseOptionCommand, "Base commune de texture", "Pour choisir une base commune de texture."},
    {FaceModificationOptionCommand, "Modification des faces", "Pour choisir comment modifier les faces."},
    {AnimationOptionCommand, "Perspective avec animation", "Pour utiliser la vue en perspective avec animation."},
    {TransparencyOptionCommand, "Perspective avec transparence", "Pour utiliser la vue en perspective avec transparence."},
    {UniformColorCommand, "Texture interne unie", "Pour choisir la couleur unie de la texture interne."},
};

const MenuItem helpItems[] = {
    {HelpHowCommand, "Pour l'aide", "Comment voir l'aide."},
    {HelpPageCommand, "Aide en html", "Voir l'aide html en ligne."},
    {Separator, nullptr, nullptr},
    {AboutCommand, "A propos", "A propos ..."},
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
    if (id == Separator) return nullptr;
    for (const MenuPopup& popup : menuBar) {
        for (int i = 0; i < popup.itemCount; ++i) {
            if (popup.items[i].id == id) return popup.items[i].helpText;
        }
    }
    return nullptr;
}
