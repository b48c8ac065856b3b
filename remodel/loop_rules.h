// The arithmetic of Loop's rules, with the roundings the program fixes:
// single precision except where a step says double.
#pragma once

#include <cstdint>

// Weights of an interior vertex around which `k` faces meet: its neighbours
// each weigh beta, the vertex itself 1 - k beta.
struct EvenWeights {
    float beta;
    float selfWeight;
};

EvenWeights interiorWeights(int32_t k);
// beta * ringSum / 2 + selfWeight * old, in single precision; ringSum holds
// each neighbour twice.
float interiorEvenCoordinate(EvenWeights weights, float ringSum, float old);
// (u0 + 6 v + u1) / 8 in double, stored as float.
float boundaryEvenCoordinate(float u0, float v, float u1);
// (lo + hi) / 2 in single precision.
float boundaryOddCoordinate(float lo, float hi);
// (o1 + (lo + hi) * 3 + o2) / 8 in double, stored as float.
float interiorOddCoordinate(float lo, float hi, float o1, float o2);

// Moves every entry of ring[0 .. count) whose value occurs exactly once in it
// to the front, keeping their relative order: each one is exchanged with the
// first entry not yet holding such a value. `occurrences[value]` gives how
// many times each value occurs. Returns the number of such entries.
int32_t moveSingletonsFirst(int32_t* ring, int32_t count, const int32_t* occurrences);
