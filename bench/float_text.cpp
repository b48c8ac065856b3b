// Shortest float text: ours against std::to_chars, over the coordinates of
// a model's vertices (floats in [-1, 1]) and over all magnitudes.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <charconv>
#include <cstdint>
#include <random>
#include <vector>

#include "core/float_text.h"

namespace {

std::vector<float> sampleFloats(bool allMagnitudes) {
    std::mt19937 random(3);
    std::vector<float> values(1 << 20);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    for (float& value : values) {
        if (!allMagnitudes) {
            value = coordinate(random);
            continue;
        }
        do {
            value = std::bit_cast<float>(static_cast<uint32_t>(random()));
        } while (!std::isfinite(value));
    }
    return values;
}

template <typename Format>
void formatAll(benchmark::State& state, Format format) {
    std::vector<float> values = sampleFloats(state.range(0) != 0);
    char text[32];
    for (auto _ : state) {
        for (float value : values) benchmark::DoNotOptimize(format(text, value));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}

void ours(benchmark::State& state) { formatAll(state, appendShortestFloat); }
void library(benchmark::State& state) {
    formatAll(state, [](char* text, float value) { return std::to_chars(text, text + 32, value).ptr; });
}

}  // namespace

BENCHMARK(ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(library)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
