#include "state/program_state.h"

#include "state/view_state.h"

InputState input;
EditState edit;
DisplayState display;
ViewState view;
