// Small single-precision vector and matrix helpers shared by picking, face
// moving and face drawing.
#pragma once

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// 16 doubles to 16 floats, element order kept.
void toFloatMatrix(const double in[16], float out[16]);
// out[i] = m[4i]*v[0] + m[4i+1]*v[1] + m[4i+2]*v[2] + m[4i+3]*v[3]: with m
// column-major, the transposed matrix applied to v.
void transposedTimes(const float m[16], const float v[4], float out[4]);
// Normalised (p2 - p1) x (p3 - p2), or (0, 0, 1) when that product is zero.
Vec3 unitNormal(Vec3 p1, Vec3 p2, Vec3 p3);

// Defined here so that the face pick, which runs them for every face of
// every frame, has them inlined.
inline float det2(float a, float b, float c, float d) {
    return a * d - b * c;
}

// Determinant of the rows (a, b, c), (d, e, f), (g, h, l).
inline float det3(Vec3 r1, Vec3 r2, Vec3 r3) {
    return r1.x * det2(r2.y, r2.z, r3.y, r3.z) - r2.x * det2(r1.y, r1.z, r3.y, r3.z) +
           r3.x * det2(r1.y, r1.z, r2.y, r2.z);
}

inline float dot3(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vec3 operator-(Vec3 a, Vec3 b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}

inline Vec3 operator*(float k, Vec3 v) {
    return Vec3{k * v.x, k * v.y, k * v.z};
}
