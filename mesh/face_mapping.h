// Planar texture mapping of one face, worked out from its edge lengths alone:
// corner A at the origin, the s axis along A-B, the t axis across it inside
// the face, one reference length spanning `textureSize` texels.
#pragma once

#include "mesh/mesh.h"

struct TexturePoint {
    float s = 0.0f;
    float t = 0.0f;
};

// Texels spanned by one reference length, as a fraction of the 256-texel image.
float textureRepeatScale(int textureSize);

// Reference length of every face: the length read with the model (commonBase
// 1), the longest current A-B edge (2) or the face's own A-B edge (3); an
// exact 0 becomes 1.
float referenceLength(int commonBase, float commonBaseLength, float longestBaseEdge, float dAB);

// Coordinates of a corner X placed by the law of cosines from its distances
// to A and B. Degenerate faces (A = B, or rounding that makes the height's
// square negative) still get finite coordinates.
TexturePoint cornerTexturePoint(float dAB, float dAX, float dBX, float reference, float scale);

// What every face of one drawing shares: the option values and the lengths
// measured over the whole mesh.
struct MappingSettings {
    int commonBase = 3;
    float commonBaseLength = 1.0f;
    float longestBaseEdge = 0.0f;
    float scale = 1.0f;  // textureRepeatScale
};

// The three or four texture points of mesh face f, whose corners are stored
// (corner D only when the face has one). Returns the number of corners.
int faceTextureCoordinates(int f, const MappingSettings& settings, TexturePoint out[4]);

// Longest A-B edge over all faces of m (faces with a corner outside the
// arrays left out), 0 without faces; a later face replaces the longest only
// when strictly longer.
float measureLongestBaseEdge(const Mesh& m);
