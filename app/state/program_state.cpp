#include "app/state/program_state.h"

#include "app/state/view_state.h"

InputState input;
EditState edit;
DisplayState display;
ViewState view;
