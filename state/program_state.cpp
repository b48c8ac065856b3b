#include "state/program_state.h"

ProgramState program;
