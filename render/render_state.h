// What the drawing keeps between frames, one record: the arrays the faces
// are drawn from, the textures uploaded and the cursor unprojected.
#pragma once

#include "render/faces.h"
#include "render/textures.h"
#include "render/unproject.h"

struct RenderState {
    DrawingCaches drawing;
    TextureState textures;
    CursorUnprojection unprojection;
};

extern RenderState render;
