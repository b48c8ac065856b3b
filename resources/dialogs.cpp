#include "resources/dialogs.h"

namespace {

constexpr DialogBox choiceBox{60, 70, 175, 100};
constexpr DialogBox firstButton{106, 20, 50, 15};
constexpr DialogBox secondButton{106, 35, 50, 15};
constexpr DialogBox thirdButton{106, 50, 50, 15};
constexpr DialogBox okHigh{96, 57, 42, 12};
constexpr DialogBox okLow{96, 77, 42, 12};
constexpr const char* choiceTitle = "Choisissez l'option :";

constexpr OptionDialog choiceDialog(int option, const char* const (&lines)[7],
                                    DialogRadioButton a, DialogRadioButton b, DialogRadioButton c,
                                    int buttonCount, DialogBox ok) {
    return OptionDialog{choiceTitle, choiceBox, option,
                        {lines[0], lines[1], lines[2], lines[3], lines[4], lines[5], lines[6]},
                        {a, b, c}, buttonCount, ok, false, nullptr, {}, {}};
}

constexpr DialogRadioButton none{0, nullptr, 0, {}};

constexpr const char* vertexLines[7] = {"Pour créer de nouveaux", "sommets, si vous visez", "l'objet dans la vue en",
                                         "perspective il faudra ", "les créer dans le plan", "de visée ou bien sur",
                                         "l'objet ?"};
constexpr const char* baseLines[7] = {"Faut-il utiliser ", "une base commune ", "de texture ? ",
                                       "Et si oui, calculée", "au départ de la session", "ou au moment",
                                       "de son utilisation ?"};
constexpr const char* faceLines[7] = {"Faut-il déplacer ", "les faces suivant ", "la normale de ",
                                       "chacune d'elles ", "ou suivant ", "le point visé ", "avec la souris ?"};
constexpr const char* animationLines[7] = {"", "Voulez vous ", "animer la vue ", "en perspective ? ", "", "", ""};
constexpr const char* transparencyLines[7] = {"", "Voulez vous de ", "la transparence ", "dans la vue ",
                                               "en perspective ? ", "", ""};

}  // namespace

const OptionDialog optionDialogs[optionDialogCount] = {
    choiceDialog(0, vertexLines, {101, "sur l'objet", 1, firstButton},
                 {102, "dans le plan", 2, secondButton}, none, 2, okHigh),
    OptionDialog{"Donnez la nouvelle taille de texture à utiliser", {60, 60, 180, 80}, 1,
                 {}, {none, none, none}, 0, {66, 55, 42, 12}, true,
                 "Entrez le nombre de pixels ( 256 par exemple ) :", {10, 15, 160, 10}, {55, 30, 60, 12}},
    choiceDialog(2, baseLines, {104, "au départ", 1, firstButton}, {105, "actualisée", 2, secondButton},
                 {106, "aucune", 3, thirdButton}, 3, okLow),
    choiceDialog(3, faceLines, {107, "la normale", 1, firstButton}, {108, "la souris", 2, secondButton},
                 none, 2, okLow),
    choiceDialog(4, animationLines, {109, "Non", 1, firstButton}, {110, "Oui", 2, secondButton}, none,
                 2, okLow),
    choiceDialog(5, transparencyLines, {111, "Non", 1, firstButton}, {112, "Oui", 2, secondButton},
                 none, 2, okLow),
};
