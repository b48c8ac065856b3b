#include "remodel/triangulate.h"

#include <cstring>

#include "mesh/mesh.h"

namespace {

// (A + B + C + D) / 4 summed in that order in double, stored as float.
float faceCentre(const float* axis, int32_t a, int32_t b, int32_t c, int32_t d) {
    double sum = static_cast<double>(axis[a]) + axis[b] + axis[c] + axis[d];
    return static_cast<float>(sum / 4.0);
}

void setFace(Mesh& arrays, int32_t f, int32_t a, int32_t b, int32_t c, int32_t d) {
    arrays.faceA[f] = a;
    arrays.faceB[f] = b;
    arrays.faceC[f] = c;
    arrays.faceD[f] = d;
}

void copyPrefix(void* target, const void* source, int32_t count, size_t entrySize) {
    if (count > 0) std::memcpy(target, source, static_cast<size_t>(count) * entrySize);
}

}  // namespace

int32_t countFourCornerFaces(const Mesh& source) {
    int32_t count = 0;
    for (int32_t f = 0; f < source.faceCount; ++f) count += source.faceD[f] >= 0;
    return count;
}

RemodelStatus triangulateInto(const Mesh& source, int32_t fourCornerFaces,
                              Mesh& result) {
    int64_t vertexTotal = static_cast<int64_t>(source.vertexCount) + fourCornerFaces;
    int64_t faceTotal = static_cast<int64_t>(source.faceCount) + 3 * int64_t{fourCornerFaces};
    if (vertexTotal > INT32_MAX || faceTotal > INT32_MAX) return RemodelStatus::OutOfMemory;
    if (!allocateMeshArrays(result, static_cast<int32_t>(vertexTotal),
                            static_cast<int32_t>(faceTotal), ArrayFill::Uninitialised)) {
        return RemodelStatus::OutOfMemory;
    }
    int32_t vertexCount = source.vertexCount;
    copyPrefix(result.vertexX, source.vertexX, vertexCount, sizeof(float));
    copyPrefix(result.vertexY, source.vertexY, vertexCount, sizeof(float));
    copyPrefix(result.vertexZ, source.vertexZ, vertexCount, sizeof(float));

    int32_t nextVertex = vertexCount;
    int32_t nextFace = source.faceCount;
    for (int32_t f = 0; f < source.faceCount; ++f) {
        int32_t a = source.faceA[f], b = source.faceB[f];
        int32_t c = source.faceC[f], d = source.faceD[f];
        if (d < 0) {
            setFace(result, f, a, b, c, d);
            continue;
        }
        int32_t centre = nextVertex++;
        result.vertexX[centre] = faceCentre(source.vertexX, a, b, c, d);
        result.vertexY[centre] = faceCentre(source.vertexY, a, b, c, d);
        result.vertexZ[centre] = faceCentre(source.vertexZ, a, b, c, d);
        setFace(result, nextFace++, b, c, centre, -1);
        setFace(result, nextFace++, c, d, centre, -1);
        setFace(result, nextFace++, d, a, centre, -1);
        setFace(result, f, a, b, centre, -1);
    }
    return RemodelStatus::Done;
}

RemodelStatus triangulateAll() {
    if (!meshIsConsistent(mesh)) return RemodelStatus::ImpossibleModel;
    const Mesh& source = mesh;
    int32_t fourCornerFaces = countFourCornerFaces(source);
    if (fourCornerFaces == 0) return RemodelStatus::Done;
    Mesh result;
    RemodelStatus status = triangulateInto(source, fourCornerFaces, result);
    if (status == RemodelStatus::Done) installMeshArrays(result);
    return status;
}
