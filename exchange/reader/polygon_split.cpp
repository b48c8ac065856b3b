#include "exchange/reader/polygon_split.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <set>

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
std::vector<Point2> projected(const std::vector<Vec3>& p) {
    double normal[3] = {0.0, 0.0, 0.0};
    size_t n = p.size();
    for (size_t i = 0; i < n; ++i) {
        const Vec3& a = p[i];
        const Vec3& b = p[(i + 1) % n];
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

// The remaining outline: a ring of corner numbers, with each corner's
// standing. A "reflex" corner turns against the polygon or not at all: only
// such a corner can lie in an ear's triangle of a simple outline.
struct Outline {
    std::vector<unsigned> prev, next;
    std::vector<char> reflex;
    std::set<unsigned> ears;  // ordered: the lowest corner number is cut first
};

// All corners in a tree of boxes (a k-d tree, each box halved across its
// longer side), each box counting the reflex corners it holds: a search
// skips the boxes without one and those that lie clear of the triangle, so
// that even long thin triangles meet few boxes.
struct CornerTree {
    struct Box {
        double minU, minV, maxU, maxV;
        unsigned first, last;  // its corners: order[first, last)
        unsigned low = 0, high = 0;  // children, 0 for a leaf
        unsigned parent = 0;
        unsigned reflex = 0;
    };
    std::vector<Box> boxes;
    std::vector<unsigned> order;
    std::vector<unsigned> leafOf;
    double margin = 0.0;
};

constexpr unsigned leafCorners = 8;

unsigned buildBox(CornerTree& tree, const std::vector<Point2>& q, unsigned first, unsigned last, unsigned parent) {
    CornerTree::Box box{q[tree.order[first]].u, q[tree.order[first]].v, q[tree.order[first]].u,
                        q[tree.order[first]].v, first, last};
    box.parent = parent;
    for (unsigned k = first; k < last; ++k) {
        const Point2& p = q[tree.order[k]];
        box.minU = std::min(box.minU, p.u), box.maxU = std::max(box.maxU, p.u);
        box.minV = std::min(box.minV, p.v), box.maxV = std::max(box.maxV, p.v);
    }
    const auto self = static_cast<unsigned>(tree.boxes.size());
    tree.boxes.push_back(box);
    if (last - first <= leafCorners) {
        for (unsigned k = first; k < last; ++k) tree.leafOf[tree.order[k]] = self;
        return self;
    }
    const bool acrossU = box.maxU - box.minU >= box.maxV - box.minV;
    const unsigned middle = first + (last - first) / 2;
    std::nth_element(tree.order.begin() + first, tree.order.begin() + middle, tree.order.begin() + last,
                     [&](unsigned a, unsigned b) { return acrossU ? q[a].u < q[b].u : q[a].v < q[b].v; });
    const unsigned low = buildBox(tree, q, first, middle, self);
    const unsigned high = buildBox(tree, q, middle, last, self);
    tree.boxes[self].low = low, tree.boxes[self].high = high;
    return self;
}

CornerTree treeOver(const std::vector<Point2>& q) {
    CornerTree tree;
    tree.order.resize(q.size());
    for (unsigned k = 0; k < q.size(); ++k) tree.order[k] = k;
    tree.leafOf.resize(q.size());
    tree.boxes.reserve(4 * q.size() / leafCorners + 1);
    buildBox(tree, q, 0, static_cast<unsigned>(q.size()), 0);
    const CornerTree::Box& all = tree.boxes[0];
    // Rounding in the containment test may count a point a hair outside a
    // triangle as on it: the search reaches that far past each triangle.
    tree.margin = 1e-9 * std::max(all.maxU - all.minU, all.maxV - all.minV);
    return tree;
}

void countReflex(CornerTree& tree, unsigned corner, bool reflex) {
    for (unsigned box = tree.leafOf[corner];; box = tree.boxes[box].parent) {
        tree.boxes[box].reflex += reflex ? 1u : ~0u;  // unsigned -1
        if (box == 0) return;
    }
}

// Whether the box may hold a point that insideOrOn counts in triangle t:
// its bounds meet, and no edge of t has the whole box on its outer side.
bool boxMeets(const CornerTree::Box& box, const Point2 (&t)[3], double margin) {
    if (box.minU > std::max({t[0].u, t[1].u, t[2].u}) + margin) return false;
    if (box.maxU < std::min({t[0].u, t[1].u, t[2].u}) - margin) return false;
    if (box.minV > std::max({t[0].v, t[1].v, t[2].v}) + margin) return false;
    if (box.maxV < std::min({t[0].v, t[1].v, t[2].v}) - margin) return false;
    for (int k = 0; k < 3; ++k) {
        const Point2 &a = t[k], &b = t[(k + 1) % 3];
        const double du = b.u - a.u, dv = b.v - a.v;
        const Point2 nearest{dv < 0.0 ? box.maxU : box.minU, du > 0.0 ? box.maxV : box.minV};
        if (cross(a, b, nearest) < -margin * (std::fabs(du) + std::fabs(dv))) return false;
    }
    return true;
}

// Whether a reflex corner other than a, b and c lies in or on triangle abc.
bool reflexInside(const CornerTree& tree, const std::vector<Point2>& q, const std::vector<char>& reflex,
                  unsigned a, unsigned b, unsigned c) {
    const Point2 t[3] = {q[a], q[b], q[c]};
    unsigned pending[64];  // one box per level of the tree, and one more
    int count = 0;
    pending[count++] = 0;
    while (count > 0) {
        const CornerTree::Box& box = tree.boxes[pending[--count]];
        if (box.reflex == 0 || !boxMeets(box, t, tree.margin)) continue;
        if (box.low != 0) {
            pending[count++] = box.low;
            pending[count++] = box.high;
            continue;
        }
        for (unsigned k = box.first; k < box.last; ++k) {
            unsigned other = tree.order[k];
            if (!reflex[other] || other == a || other == b || other == c) continue;
            if (insideOrOn(q[other], t[0], t[1], t[2])) return true;
        }
    }
    return false;
}

// Corner `b` of the remaining outline is an ear: it turns the polygon's way
// and no other remaining corner lies in its triangle (in a simple outline,
// if one does, a reflex one does).
bool isEar(const std::vector<Point2>& q, const Outline& outline, const CornerTree& tree, unsigned b) {
    unsigned a = outline.prev[b], c = outline.next[b];
    if (cross(q[a], q[b], q[c]) <= 0.0) return false;
    return !reflexInside(tree, q, outline.reflex, a, b, c);
}

bool turnsBack(const std::vector<Point2>& q, const Outline& outline, unsigned corner) {
    return cross(q[outline.prev[corner]], q[corner], q[outline.next[corner]]) <= 0.0;
}

void updateReflex(const std::vector<Point2>& q, Outline& outline, CornerTree& tree, unsigned corner) {
    const bool reflex = turnsBack(q, outline, corner);
    if (reflex == (outline.reflex[corner] != 0)) return;
    outline.reflex[corner] = reflex ? 1 : 0;
    countReflex(tree, corner, reflex);
}

void updateEar(const std::vector<Point2>& q, Outline& outline, const CornerTree& tree, unsigned corner) {
    if (isEar(q, outline, tree, corner)) outline.ears.insert(corner);
    else outline.ears.erase(corner);
}

Outline ringOf(size_t n) {
    Outline outline;
    outline.prev.resize(n), outline.next.resize(n), outline.reflex.assign(n, 0);
    for (size_t k = 0; k < n; ++k) {
        outline.prev[k] = static_cast<unsigned>((k + n - 1) % n);
        outline.next[k] = static_cast<unsigned>((k + 1) % n);
    }
    return outline;
}

// Cuts, round after round, the ear of lowest corner number. A cut changes
// only its two neighbours: a corner that is not an ear has a reflex corner
// in its triangle, which stays reflex until it becomes a neighbour of a cut.
// What is left when no ear remains (a self-crossing outline) is fanned.
std::vector<std::array<unsigned, 3>> clipEars(const std::vector<Point2>& q) {
    const size_t n = q.size();
    Outline outline = ringOf(n);
    CornerTree tree = treeOver(q);
    for (unsigned k = 0; k < n; ++k) updateReflex(q, outline, tree, k);
    for (unsigned k = 0; k < n; ++k) {
        if (isEar(q, outline, tree, k)) outline.ears.insert(outline.ears.end(), k);
    }
    std::vector<std::array<unsigned, 3>> triangles;
    triangles.reserve(n - 2);
    std::vector<char> cut(n, 0);
    for (size_t left = n; left > 3 && !outline.ears.empty(); --left) {
        unsigned b = *outline.ears.begin(), a = outline.prev[b], c = outline.next[b];
        triangles.push_back({a, b, c});
        outline.ears.erase(outline.ears.begin());
        cut[b] = 1;
        outline.next[a] = c, outline.prev[c] = a;
        updateReflex(q, outline, tree, a);
        updateReflex(q, outline, tree, c);
        updateEar(q, outline, tree, a);
        updateEar(q, outline, tree, c);
    }
    unsigned first = 0;
    while (cut[first]) ++first;
    for (unsigned k = outline.next[first]; outline.next[k] != first; k = outline.next[k]) {
        triangles.push_back({first, k, outline.next[k]});
    }
    return triangles;
}

}  // namespace

std::vector<std::array<unsigned, 3>> splitPolygon(const std::vector<Vec3>& corners) {
    std::vector<Point2> q = projected(corners);
    if (q.empty() || isConvex(q)) return fan(corners.size());
    return clipEars(q);
}
