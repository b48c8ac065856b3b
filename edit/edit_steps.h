// One step per editing mode, run once per frame.
#pragma once

#include "mesh/vector_math.h"

void createVerticesStep();
void deleteVerticesStep();
void moveVerticesStep();
void createFacesStep();
void deleteFacesStep();
void modifyFacesStep();
