// The menu bar: nine popups, their items with ids, labels and help texts.
#pragma once

// The menu commands. The numbers are the items' ids in the menu bar.
enum CommandId : int {
    Separator = 0,
    NewModelCommand = 201,
    OpenModelCommand = 202,
    SaveModelCommand = 203,
    ExitCommand = 204,
    PerspectiveCommand = 211,
    ViewXOyCommand = 212,
    ViewXOzCommand = 213,
    ViewYOzCommand = 214,
    ShowAxesCommand = 221,
    ShowGridCommand = 222,
    ShowVerticesCommand = 223,
    ShowEdgesCommand = 224,
    ShowFacesCommand = 225,
    ShowTextureCommand = 226,
    ShowHiddenPartsCommand = 227,
    CreateVerticesCommand = 231,
    CreateFacesCommand = 232,
    CreateStopCommand = 233,
    MoveVerticesCommand = 241,
    ModifyFacesCommand = 242,
    ChangeTextureCommand = 243,
    ModifyStopCommand = 244,
    DeleteVerticesCommand = 251,
    DeleteFacesCommand = 252,
    DeleteStopCommand = 253,
    OptimizeBasesCommand = 261,
    TriangulateCommand = 262,
    LoopSubdivisionCommand = 263,
    VertexCreationOptionCommand = 271,
    TextureSizeOptionCommand = 272,
    CommonBaseOptionCommand = 273,
    FaceModificationOptionCommand = 274,
    AnimationOptionCommand = 275,
    TransparencyOptionCommand = 276,
    UniformColorCommand = 277,
    HelpHowCommand = 281,
    HelpPageCommand = 282,
    AboutCommand = 283,
};

struct MenuItem {
    CommandId id;  // Separator for a separator
    const char* label;
    const char* helpText;
};

struct MenuPopup {
    const char* label;
    const char* helpText;  // shown while the popup's title is highlighted
    const MenuItem* items;
    int itemCount;
};

extern const MenuPopup menuBar[];
extern const int menuPopupCount;

// Help text of a command id, or nullptr for a separator or an unknown id.
const char* commandHelpText(int id);
