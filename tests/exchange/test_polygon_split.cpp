// Cutting concave polygons: the ear search keeps the triangles and their
// order of the plain ear clipping it replaced (kept here as the reference),
// and a polygon of many corners is cut quickly.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "exchange/reader/polygon_split.h"

namespace {

using Triangles = std::vector<std::array<unsigned, 3>>;

double cross2(const Vec3& a, const Vec3& b, const Vec3& c) {
    return (double{b.x} - a.x) * (double{c.y} - a.y) - (double{b.y} - a.y) * (double{c.x} - a.x);
}

// The plain ear clipping, for a counter-clockwise polygon in the plane z = 0:
// each round, the first ear in outline order, tested against every corner.
Triangles plainEarClipping(const std::vector<Vec3>& p) {
    const size_t n = p.size();
    bool convex = true;
    for (size_t i = 0; i < n; ++i) convex = convex && cross2(p[(i + n - 1) % n], p[i], p[(i + 1) % n]) >= 0.0;
    std::vector<unsigned> left;
    for (unsigned k = 0; k < n; ++k) left.push_back(k);
    Triangles triangles;
    while (!convex && left.size() > 3) {
        const size_t m = left.size();
        size_t at = 0;
        for (; at < m; ++at) {
            unsigned a = left[(at + m - 1) % m], b = left[at], c = left[(at + 1) % m];
            bool ear = cross2(p[a], p[b], p[c]) > 0.0;
            for (unsigned o : left) {
                if (ear && o != a && o != b && o != c)
                    ear = !(cross2(p[a], p[b], p[o]) >= 0.0 && cross2(p[b], p[c], p[o]) >= 0.0 &&
                            cross2(p[c], p[a], p[o]) >= 0.0);
            }
            if (ear) break;
        }
        if (at == m) break;
        triangles.push_back({left[(at + m - 1) % m], left[at], left[(at + 1) % m]});
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(at));
    }
    for (size_t k = 1; k + 1 < left.size(); ++k) triangles.push_back({left[0], left[k], left[k + 1]});
    return triangles;
}

// A star-shaped polygon: corners at rising angles, random distances from the
// middle.
std::vector<Vec3> randomStarShape(std::mt19937& random, int corners) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Vec3> p;
    for (int k = 0; k < corners; ++k) {
        double angle = 2.0 * M_PI * (k + 0.8 * unit(random)) / corners, radius = 0.1 + unit(random);
        p.push_back({static_cast<float>(radius * std::cos(angle)), static_cast<float>(radius * std::sin(angle)), 0});
    }
    return p;
}

// Bars of random heights standing on a line: many corners exactly in line.
std::vector<Vec3> randomBars(std::mt19937& random, int bars) {
    std::vector<Vec3> p = {{0, 0, 0}, {static_cast<float>(bars), 0, 0}};
    for (int k = bars; k-- > 0;) {
        const auto height = static_cast<float>(1 + random() % 4);
        for (float x : {k + 1.0f, static_cast<float>(k)}) {
            if (p.back().x != x || p.back().y != height) p.push_back({x, height, 0});
        }
    }
    return p;
}

}  // namespace

TEST(PolygonSplit, SameTrianglesAsPlainEarClipping) {
    std::mt19937 random(20240611);
    int concave = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<Vec3> polygon =
            round % 3 == 0 ? randomBars(random, 2 + round % 40) : randomStarShape(random, 5 + round % 120);
        Triangles expected = plainEarClipping(polygon);
        concave += expected.empty() ? 0 : 1;
        if (expected.empty()) {  // convex: fanned from the first corner
            for (unsigned k = 1; k + 1 < polygon.size(); ++k) expected.push_back({0u, k, k + 1});
        }
        ASSERT_EQ(splitPolygon(polygon), expected) << "round " << round << ", " << polygon.size() << " corners";
    }
    EXPECT_GT(concave, 2500);
}

TEST(PolygonSplit, StarOfManyCornersIsCutQuickly) {
    const int corners = 32000;
    std::vector<Vec3> star;
    for (int k = 0; k < corners; ++k) {
        double angle = 2.0 * M_PI * k / corners, radius = k % 2 == 0 ? 1.0 : 0.6;
        star.push_back({static_cast<float>(radius * std::cos(angle)), static_cast<float>(radius * std::sin(angle)), 0});
    }
    const auto start = std::chrono::steady_clock::now();
    const Triangles triangles = splitPolygon(star);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), 1.0);
    ASSERT_EQ(triangles.size(), static_cast<size_t>(corners - 2));
    for (const auto& t : triangles) ASSERT_GT(cross2(star[t[0]], star[t[1]], star[t[2]]), 0.0);
}
