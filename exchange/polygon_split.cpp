#include "exchange/polygon_split.h"

#include <cmath>
#include <cstddef>

namespace {

struct Point2 {
    double u = 0.0;
    double v = 0.0;
};

double cross(Point2 a, Point2 b, Point2 c) {
    return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u);
}

// The corners in the plane that drops the largest component of the
// polygon's Newell normal, mirrored where needed so that the polygon turns
// counter-clockwise. Empty when the polygon has no area.
std::vector<Point2> projected(const std::vector<PolygonPoint>& p) {
    double normal[3] = {0.0, 0.0, 0.0};
    size_t n = p.size();
    for (size_t i = 0; i < n; ++i) {
        const PolygonPoint& a = p[i];
        const PolygonPoint& b = p[(i + 1) % n];
        normal[0] += (double{a.y} - b.y) * (double{a.z} + b.z);
        normal[1] += (double{a.z} - b.z) * (double{a.x} + b.x);
        normal[2] += (double{a.x} - b.x) * (double{a.y} + b.y);
    }
    int drop = 0;
    for (int k = 1; k < 3; ++k) {
        if (std::fabs(normal[k]) > std::fabs(normal[drop])) drop = k;
    }
    if (normal[drop] == 0.0) return {};
    bool mirror = normal[drop] < 0.0;
    std::vector<Point2> out(n);
    for (size_t i = 0; i < n; ++i) {
        const double c[3] = {p[i].x, p[i].y, p[i].z};
        double u = c[(drop + 1) % 3];
        double v = c[(drop + 2) % 3];
        out[i] = Point2{u, mirror ? -v : v};
    }
    return out;
}

bool isConvex(const std::vector<Point2>& q) {
    size_t n = q.size();
    for (size_t i = 0; i < n; ++i) {
        if (cross(q[(i + n - 1) % n], q[i], q[(i + 1) % n]) < 0.0) return false;
    }
    return true;
}

std::vector<std::array<unsigned, 3>> fan(size_t n) {
    std::vector<std::array<unsigned, 3>> triangles;
    for (unsigned k = 1; k + 1 < n; ++k) triangles.push_back({0u, k, k + 1});
    return triangles;
}

bool insideOrOn(Point2 p, Point2 a, Point2 b, Point2 c) {
    return cross(a, b, p) >= 0.0 && cross(b, c, p) >= 0.0 && cross(c, a, p) >= 0.0;
}

// Corner `at` of the remaining outline is an ear: it turns the polygon's
// way and no other remaining corner lies in its triangle.
bool isEar(const std::vector<Point2>& q, const std::vector<unsigned>& left, size_t at) {
    size_t m = left.size();
    unsigned a = left[(at + m - 1) % m], b = left[at], c = left[(at + 1) % m];
    if (cross(q[a], q[b], q[c]) <= 0.0) return false;
    for (unsigned other : left) {
        if (other == a || other == b || other == c) continue;
        if (insideOrOn(q[other], q[a], q[b], q[c])) return false;
    }
    return true;
}

}  // namespace

std::vector<std::array<unsigned, 3>> splitPolygon(const std::vector<PolygonPoint>& corners) {
    std::vector<Point2> q = projected(corners);
    if (q.empty() || isConvex(q)) return fan(corners.size());
    std::vector<unsigned> left;
    for (unsigned k = 0; k < q.size(); ++k) left.push_back(k);
    std::vector<std::array<unsigned, 3>> triangles;
    while (left.size() > 3) {
        size_t m = left.size();
        size_t at = 0;
        while (at < m && !isEar(q, left, at)) ++at;
        if (at == m) break;  // self-crossing outline: what is left is fanned
        triangles.push_back({left[(at + m - 1) % m], left[at], left[(at + 1) % m]});
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(at));
    }
    for (size_t k = 1; k + 1 < left.size(); ++k) triangles.push_back({left[0], left[k], left[k + 1]});
    return triangles;
}
