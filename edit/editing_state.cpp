#include "edit/editing_state.h"

EditingState editing;
