// What closing an option dialog does to its option.
#pragma once

#include <string>

#include "resources/dialogs.h"

// The text field read as an unsigned decimal: leading blanks skipped, digits
// up to the first other character; no digit or a value past 32 bits reads 0.
unsigned long textFieldNumber(const std::string& text);
// On OK, stores the marked button's value (choice dialogs) or the field's
// number, with 1 for anything that is 0 or less as a signed int; on cancel,
// changes nothing. Returns true when the dialog was closed with OK.
bool applyOptionDialogAnswer(const OptionDialog& dialog, const OptionDialogAnswer& answer);
