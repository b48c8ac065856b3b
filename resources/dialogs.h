// The six option dialogs, laid out in dialog units as the desktop toolkit
// converts them (a quarter of the average character width horizontally, an
// eighth of the character height vertically).
#pragma once

#include <string>

struct DialogBox {
    int x, y, width, height;
};

struct DialogRadioButton {
    int id;
    const char* label;
    int value;  // stored in the option when the button is marked on OK
    DialogBox box;
};

struct OptionDialog {
    const char* title;
    DialogBox box;
    int optionIndex;
    // Choice dialogs: seven question lines (some empty) and their buttons.
    const char* questionLines[7];
    DialogRadioButton buttons[3];
    int buttonCount;
    DialogBox okBox;
    // The text-field dialog: one prompt and a digits-only field.
    bool hasTextField;
    const char* prompt;
    DialogBox promptBox;
    DialogBox fieldBox;
};

// How the user closed an option dialog.
struct OptionDialogAnswer {
    bool accepted = false;    // OK rather than cancel
    int markedButtonId = -1;  // choice dialogs: the marked radio button, -1 none
    std::string editText;     // the text-field dialog: the field's content
};

inline constexpr int optionDialogCount = 6;
extern const OptionDialog optionDialogs[optionDialogCount];
