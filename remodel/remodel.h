// Whole-model remodelling commands of the "Remodéliser" menu. Each works on
// the global mesh in one call and either changes it completely or leaves it
// exactly as it was; the caller shows the message that goes with a failure.
#pragma once

#include <cstdint>

// Largest face count a mesh may reach: every corner index of the remodelling
// tables (3 per face) and the Loop result (4 per face) must fit an int32.
constexpr int64_t maxRemodelFaces = INT32_MAX / 4;

enum class RemodelStatus {
    Done,
    ImpossibleModel,  // "modèle impossible": the mesh breaks its own invariants
    OutOfMemory,      // "mémoire insuffisante"
};

// Turns every face's corner list so that its longest edge runs from A to B.
RemodelStatus optimizeBases();
// Splits every four-corner face into four triangles around its centre.
RemodelStatus triangulateAll();
// One step of Loop subdivision (four-corner faces are triangulated first).
RemodelStatus loopSubdivide();

// The user's text for a failure status; empty for Done.
const char* remodelStatusText(RemodelStatus status);
