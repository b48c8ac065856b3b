// What the editing modes keep between frames, one record: the aimed point
// and the records of the last changes (undo, clicked vertices, grabbed face).
#pragma once

#include "edit/aim.h"
#include "edit/mesh_edits.h"

struct EditingState {
    AimPoint aim;
    EditRecords records;
};

extern EditingState editing;
