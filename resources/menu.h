// The menu bar: nine popups, their items with ids, labels and help texts.
#pragma once

struct MenuItem {
    int id;  // 0 for a separator
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
