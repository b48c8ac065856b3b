// Cutting one large concave polygon into triangles, as an imported OBJ, PLY
// or OFF face of many corners is cut: a star (every other corner reflex) and
// a comb (long teeth, so that the cuts reach across the outline).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "exchange/reader/polygon_split.h"

namespace {

std::vector<Vec3> star(int corners) {
    std::vector<Vec3> p(static_cast<size_t>(corners));
    for (int k = 0; k < corners; ++k) {
        double angle = 2.0 * M_PI * k / corners, radius = k % 2 == 0 ? 1.0 : 0.6;
        p[static_cast<size_t>(k)] = {static_cast<float>(radius * std::cos(angle)),
                                     static_cast<float>(radius * std::sin(angle)), 0.0f};
    }
    return p;
}

// Teeth along x, each of four corners, closed by two corners underneath.
std::vector<Vec3> comb(int corners) {
    std::vector<Vec3> p;
    int teeth = (corners - 2) / 4;
    for (int t = 0; t < teeth; ++t) {
        float x = static_cast<float>(t);
        p.push_back({x, 0.0f, 0.0f});
        p.push_back({x + 0.1f, 10.0f, 0.0f});
        p.push_back({x + 0.5f, 10.0f, 0.0f});
        p.push_back({x + 0.6f, 0.0f, 0.0f});
    }
    p.push_back({static_cast<float>(teeth), -1.0f, 0.0f});
    p.push_back({0.0f, -1.0f, 0.0f});
    return p;
}

void splitStar(benchmark::State& state) {
    std::vector<Vec3> polygon = star(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(splitPolygon(polygon));
}

void splitComb(benchmark::State& state) {
    std::vector<Vec3> polygon = comb(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(splitPolygon(polygon));
}

}  // namespace

BENCHMARK(splitStar)->Arg(8000)->Arg(32000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(splitComb)->Arg(8000)->Arg(32000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
