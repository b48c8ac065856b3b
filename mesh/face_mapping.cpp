#include "mesh/face_mapping.h"

#include <cassert>
#include <cmath>

float textureRepeatScale(int textureSize) {
    return static_cast<float>(textureSize / 256.0);
}

float referenceLength(int commonBase, float commonBaseLength, float longestBaseEdge, float dAB) {
    float reference = commonBaseLength;
    if (commonBase == 2) reference = longestBaseEdge;
    if (commonBase == 3) reference = dAB;
    if (reference == 0.0f) reference = 1.0f;
    return reference;
}

// Each coordinate is a length divided by the reference length, then scaled.
static float toTexture(float length, float reference, float scale) {
    float repeats = length / reference;
    return repeats * scale;
}

TexturePoint cornerTexturePoint(float dAB, float dAX, float dBX, float reference, float scale) {
    float s = 0.0f;
    float t = 0.0f;
    if (dAB == 0.0f) {
        // No base direction: put X straight across from A at its distance.
        t = dAX;
    } else {
        s = (dAX * dAX + dAB * dAB - dBX * dBX) / (2.0f * dAB);
        float offset = s - dAB;
        float heightSquared = dBX * dBX - offset * offset;
        // Nearly collinear corners can round the square below zero.
        t = heightSquared > 0.0f ? std::sqrt(heightSquared) : 0.0f;
    }
    TexturePoint point{toTexture(s, reference, scale), toTexture(t, reference, scale)};
    if (!std::isfinite(point.s)) point.s = 0.0f;
    if (!std::isfinite(point.t)) point.t = 0.0f;
    return point;
}

int faceTextureCoordinates(int f, const MappingSettings& settings, TexturePoint out[4]) {
    assert(faceCornersStored(mesh, f));
    int a = mesh.faceA[f];
    int b = mesh.faceB[f];
    int c = mesh.faceC[f];
    int d = mesh.faceD[f];
    float dAB = vertexDistance(a, b);
    float reference = referenceLength(settings.commonBase, settings.commonBaseLength,
                                      settings.longestBaseEdge, dAB);
    float scale = settings.scale;
    out[0] = TexturePoint{0.0f, 0.0f};
    out[1] = TexturePoint{toTexture(dAB, reference, scale), 0.0f};
    if (!std::isfinite(out[1].s)) out[1].s = 0.0f;
    out[2] = cornerTexturePoint(dAB, vertexDistance(a, c), vertexDistance(b, c), reference, scale);
    if (d < 0) return 3;
    out[3] = cornerTexturePoint(dAB, vertexDistance(a, d), vertexDistance(b, d), reference, scale);
    return 4;
}

float measureLongestBaseEdge(const Mesh& m) {
    float longest = 0.0f;
    for (int f = 0; f < m.faceCount; ++f) {
        if (!faceCornersStored(m, f)) continue;
        float length = distanceBetween(m, m.faceA[f], m.faceB[f]);
        if (length > longest) longest = length;
    }
    return longest;
}
