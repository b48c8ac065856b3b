// Optimal texture bases: every face turns its corner list so that its longest
// edge becomes the base A to B; shape, corners and winding stay the same.
#include "mesh/mesh.h"
#include "remodel/remodel.h"

namespace {

// Index (0 = AB, 1 = BC, 2 = CD or CA, 3 = DA) of the face's longest edge;
// ties keep the earlier edge.
int longestEdge(const int32_t* corners, int cornerCount) {
    int best = 0;
    float bestLength = vertexDistance(corners[0], corners[1]);
    for (int k = 1; k < cornerCount; ++k) {
        float length = vertexDistance(corners[k], corners[(k + 1) % cornerCount]);
        if (length > bestLength) {
            best = k;
            bestLength = length;
        }
    }
    return best;
}

void rotateFaceToBase(int32_t f) {
    int32_t corners[4] = {mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]};
    int cornerCount = corners[3] < 0 ? 3 : 4;
    int first = longestEdge(corners, cornerCount);
    if (first == 0) return;
    int32_t d = cornerCount == 4 ? corners[(first + 3) % 4] : corners[3];
    setFaceCorners(f, corners[first], corners[(first + 1) % cornerCount], corners[(first + 2) % cornerCount], d);
}

}  // namespace

RemodelStatus optimizeBases() {
    if (!meshIsConsistent(mesh)) return RemodelStatus::ImpossibleModel;
    for (int32_t f = 0; f < mesh.faceCount; ++f) rotateFaceToBase(f);
    return RemodelStatus::Done;
}

const char* remodelStatusText(RemodelStatus status) {
    switch (status) {
        case RemodelStatus::ImpossibleModel: return "modèle impossible";
        case RemodelStatus::OutOfMemory: return "mémoire insuffisante";
        case RemodelStatus::Done: break;
    }
    return "";
}
