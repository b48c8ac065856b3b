// Lit, textured drawing of every face.
#pragma once

void drawFaces();
