#include "remodel/loop_rules.h"

#include <cmath>

#include "mesh/mesh.h"

namespace {

EvenWeights computeInteriorWeights(int32_t k) {
    const float twoPi = 2.0f * 3.14159265358979f;  // 6.2831855f
    float r = 1.0f / static_cast<float>(k);
    double t = std::cos(static_cast<double>(twoPi * r));
    float a = static_cast<float>(t * 0.25 + 0.375);
    float beta = r * (0.625f - a * a);
    float selfWeight = 1.0f - static_cast<float>(k) * beta;
    return EvenWeights{beta, selfWeight};
}

// Valences met on ordinary meshes, computed once.
constexpr int32_t cachedValences = 64;

struct WeightCache {
    EvenWeights weights[cachedValences];
    WeightCache() {
        for (int32_t k = 1; k < cachedValences; ++k) weights[k] = computeInteriorWeights(k);
    }
};

}  // namespace

EvenWeights interiorWeights(int32_t k) {
    static const WeightCache cache;
    if (k >= 1 && k < cachedValences) return cache.weights[k];
    return computeInteriorWeights(k);
}

float interiorEvenCoordinate(EvenWeights weights, float ringSum, float old) {
    float spread = weights.beta * ringSum / 2.0f;
    float kept = weights.selfWeight * old;
    return spread + kept;
}

float boundaryEvenCoordinate(float u0, float v, float u1) {
    double sum = static_cast<double>(u0) + 6.0 * static_cast<double>(v) + static_cast<double>(u1);
    return static_cast<float>(sum / 8.0);
}

float boundaryOddCoordinate(float lo, float hi) { return (lo + hi) / 2.0f; }

float interiorOddCoordinate(float lo, float hi, float o1, float o2) {
    double ends = static_cast<double>(lo) + static_cast<double>(hi);
    double sum = static_cast<double>(o1) + ends * 3.0 + static_cast<double>(o2);
    return static_cast<float>(sum / 8.0);
}

int32_t moveSingletonsFirst(int32_t* ring, int32_t count, const int32_t* occurrences) {
    int32_t singletons = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (occurrences[ring[i]] != 1) continue;
        swapInts(&ring[i], &ring[singletons]);
        ++singletons;
    }
    return singletons;
}
