#include "mesh/vector_math.h"

#include <cmath>

void toFloatMatrix(const double in[16], float out[16]) {
    for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(in[i]);
}

void transposedTimes(const float m[16], const float v[4], float out[4]) {
    for (int i = 0; i < 4; ++i) {
        out[i] = m[4 * i] * v[0] + m[4 * i + 1] * v[1] + m[4 * i + 2] * v[2] + m[4 * i + 3] * v[3];
    }
}

Vec3 unitNormal(Vec3 p1, Vec3 p2, Vec3 p3) {
    Vec3 u = p2 - p1;
    Vec3 w = p3 - p2;
    Vec3 n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length == 0.0f) return Vec3{0.0f, 0.0f, 1.0f};
    return Vec3{n.x / length, n.y / length, n.z / length};
}

