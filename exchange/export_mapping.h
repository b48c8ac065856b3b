// The texture mapping an export gives each face: the one the window draws
// with the current options.
#pragma once

#include "mesh/face_mapping.h"

// The common base and texture size of the global options, the lengths of the
// global mesh as it is now.
MappingSettings exportMappingSettings();
