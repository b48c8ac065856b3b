#include "app/modes.h"

#include "state/messages.h"
#include "state/program_state.h"

void enterMode(int mode) {
    program.edit.editMode = static_cast<EditMode>(mode);
}

void stopMode() {
    program.edit.editMode = Base;
}

void refuseModeChange() {
    showMessage("Pour entrer dans ce mode il faut revenir dans le mode de base");
}
