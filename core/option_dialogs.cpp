#include "core/option_dialogs.h"

#include <cctype>

#include "core/options.h"

unsigned long textFieldNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    unsigned long long value = 0;
    bool anyDigit = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        anyDigit = true;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    return anyDigit ? static_cast<unsigned long>(value) : 0;
}

bool applyOptionDialogAnswer(const OptionDialog& dialog, const OptionDialogAnswer& answer) {
    if (!answer.accepted) return false;
    int& option = optionAt(dialog.optionIndex);
    if (dialog.hasTextField) {
        int value = static_cast<int>(static_cast<unsigned int>(textFieldNumber(answer.editText)));
        option = value <= 0 ? 1 : value;
        return true;
    }
    for (int i = 0; i < dialog.buttonCount; ++i) {
        if (dialog.buttons[i].id == answer.markedButtonId) option = dialog.buttons[i].value;
    }
    return true;
}
