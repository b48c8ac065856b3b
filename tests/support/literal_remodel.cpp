#include "support/literal_remodel.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "mesh/mesh.h"

namespace literal {

namespace {

void rotateFace(int f, int corners[4], int cornerCount, int best) {
    int32_t* targets[4] = {&mesh.faceA[f], &mesh.faceB[f], &mesh.faceC[f], &mesh.faceD[f]};
    for (int k = 0; k < cornerCount; ++k) *targets[k] = corners[(best + k) % cornerCount];
}

}  // namespace

void optimizeBases() {
    for (int f = 0; f < mesh.faceCount; ++f) {
        int corners[4] = {mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]};
        int cornerCount = mesh.faceD[f] < 0 ? 3 : 4;
        int best = 0;
        float bestLength = vertexDistance(corners[0], corners[1]);
        for (int k = 1; k < cornerCount; ++k) {
            float length = vertexDistance(corners[k], corners[(k + 1) % cornerCount]);
            if (length > bestLength) best = k, bestLength = length;
        }
        rotateFace(f, corners, cornerCount, best);
    }
}

void triangulateAll() {
    for (int f = 0; f < mesh.faceCount; ++f) {
        if (mesh.faceD[f] < 0) continue;
        int a = mesh.faceA[f], b = mesh.faceB[f], c = mesh.faceC[f], d = mesh.faceD[f];
        int m = mesh.vertexCount;
        mesh.vertexCount += 1;
        if (!resizeVertexArrays(mesh.vertexCount)) std::abort();
        mesh.faceCount += 3;
        if (!resizeFaceArrays(mesh.faceCount)) std::abort();
        float* axes[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
        for (float* p : axes) p[m] = (float)(((double)p[a] + (double)p[b] + (double)p[c] + (double)p[d]) / 4);
        int n = mesh.faceCount;
        mesh.faceA[n - 3] = b, mesh.faceB[n - 3] = c, mesh.faceC[n - 3] = m, mesh.faceD[n - 3] = -1;
        mesh.faceA[n - 2] = c, mesh.faceB[n - 2] = d, mesh.faceC[n - 2] = m, mesh.faceD[n - 2] = -1;
        mesh.faceA[n - 1] = d, mesh.faceB[n - 1] = a, mesh.faceC[n - 1] = m, mesh.faceD[n - 1] = -1;
        mesh.faceA[f] = a, mesh.faceB[f] = b, mesh.faceC[f] = m, mesh.faceD[f] = -1;
    }
}

namespace {

std::vector<float> oldX, oldY, oldZ;
std::vector<int> ringList;
std::vector<int> edgeLow, edgeHigh, edgeVertex;
int edgeCount = 0;
int facesBeforeSplit = 0;

void addRingPair(int a, int b) {
    ringList.push_back(a);
    ringList.push_back(b);
}

int moveSingletonsFirst() {
    int n = 0;
    for (size_t i = 0; i < ringList.size(); ++i) {
        int occurrences = 0;
        for (int value : ringList) occurrences += value == ringList[i];
        if (occurrences == 1) {
            swapInts(&ringList[i], &ringList[n]);
            n++;
        }
    }
    return n;
}

bool edgeMatches(int a, int b, int e) {
    int lo = a < b ? a : b, hi = a < b ? b : a;
    return edgeLow[e] == lo && edgeHigh[e] == hi;
}

void addEdge(int a, int b) {
    for (int e = 0; e < edgeCount; ++e) {
        if (edgeMatches(a, b, e)) return;
    }
    edgeLow.push_back(a < b ? a : b);
    edgeHigh.push_back(a < b ? b : a);
    edgeVertex.push_back(-1);
    edgeCount++;
}

int findEdge(int a, int b) {
    for (int e = 0; e < edgeCount; ++e) {
        if (edgeMatches(a, b, e)) return e;
    }
    std::abort();
}

void buildRing(int v) {
    ringList.clear();
    for (int f = 0; f < mesh.faceCount; ++f) {
        int a = mesh.faceA[f], b = mesh.faceB[f], c = mesh.faceC[f];
        if (a == v) addRingPair(b, c);
        if (b == v) addRingPair(c, a);
        if (c == v) addRingPair(a, b);
    }
}

void moveVertex(int v) {
    buildRing(v);
    if (ringList.empty()) return;
    int n = moveSingletonsFirst();
    std::vector<float>* old[3] = {&oldX, &oldY, &oldZ};
    float* target[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
    if (n == 2) {
        for (int axis = 0; axis < 3; ++axis) {
            std::vector<float>& p = *old[axis];
            target[axis][v] = (float)(((double)p[ringList[0]] + 6 * (double)p[v] + (double)p[ringList[1]]) / 8);
        }
        return;
    }
    int m = (int)ringList.size();
    int k = m / 2;
    float r = 1.0f / (float)k;
    double t = std::cos((double)(6.2831855f * r));
    float a = (float)(t * 0.25 + 0.375);
    float beta = r * (0.625f - a * a);
    float w = 1.0f - (float)k * beta;
    for (int axis = 0; axis < 3; ++axis) {
        std::vector<float>& p = *old[axis];
        float s = 0.0f;
        for (int i = 0; i < m; ++i) s = s + p[ringList[i]];
        target[axis][v] = beta * s / 2.0f + w * p[v];
    }
}

int makeEdgeVertex(int e) {
    int lo = edgeLow[e], hi = edgeHigh[e];
    int opposite[2] = {-1, -1};
    int found = 0;
    for (int p = 0; p < facesBeforeSplit && found < 2; ++p) {
        int a = mesh.faceA[p], b = mesh.faceB[p], c = mesh.faceC[p];
        if (found < 2 && edgeMatches(a, b, e)) opposite[found++] = c;
        if (found < 2 && edgeMatches(b, c, e)) opposite[found++] = a;
        if (found < 2 && edgeMatches(c, a, e)) opposite[found++] = b;
    }
    int v = mesh.vertexCount;
    std::vector<float>* old[3] = {&oldX, &oldY, &oldZ};
    float* target[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
    for (int axis = 0; axis < 3; ++axis) {
        std::vector<float>& q = *old[axis];
        if (found == 1) {
            target[axis][v] = (q[lo] + q[hi]) / 2;
        } else {
            target[axis][v] = (float)(((double)q[opposite[0]] + ((double)q[lo] + (double)q[hi]) * 3 +
                                       (double)q[opposite[1]]) / 8);
        }
    }
    edgeVertex[e] = v;
    mesh.vertexCount++;
    return v;
}

int edgeVertexOf(int a, int b) {
    int e = findEdge(a, b);
    return edgeVertex[e] == -1 ? makeEdgeVertex(e) : edgeVertex[e];
}

}  // namespace

void loopSubdivide() {
    triangulateAll();
    int vertexCountBefore = mesh.vertexCount;
    oldX.assign(mesh.vertexX, mesh.vertexX + vertexCountBefore);
    oldY.assign(mesh.vertexY, mesh.vertexY + vertexCountBefore);
    oldZ.assign(mesh.vertexZ, mesh.vertexZ + vertexCountBefore);
    for (int v = 0; v < vertexCountBefore; ++v) moveVertex(v);
    edgeCount = 0;
    edgeLow.clear(), edgeHigh.clear(), edgeVertex.clear();
    for (int f = 0; f < mesh.faceCount; ++f) {
        addEdge(mesh.faceA[f], mesh.faceB[f]);
        addEdge(mesh.faceB[f], mesh.faceC[f]);
        addEdge(mesh.faceC[f], mesh.faceA[f]);
    }
    if (!resizeVertexArrays(vertexCountBefore + edgeCount)) std::abort();
    if (!resizeFaceArrays(4 * mesh.faceCount)) std::abort();
    facesBeforeSplit = mesh.faceCount;
    for (int f = 0; f < facesBeforeSplit; ++f) {
        int a = mesh.faceA[f], b = mesh.faceB[f], c = mesh.faceC[f];
        int bc = edgeVertexOf(b, c);
        int ca = edgeVertexOf(c, a);
        int ab = edgeVertexOf(a, b);
        mesh.faceCount += 3;
        int n = mesh.faceCount;
        mesh.faceA[n - 3] = a, mesh.faceB[n - 3] = ab, mesh.faceC[n - 3] = ca, mesh.faceD[n - 3] = -1;
        mesh.faceA[n - 2] = b, mesh.faceB[n - 2] = bc, mesh.faceC[n - 2] = ab, mesh.faceD[n - 2] = -1;
        mesh.faceA[n - 1] = c, mesh.faceB[n - 1] = ca, mesh.faceC[n - 1] = bc, mesh.faceD[n - 1] = -1;
        mesh.faceA[f] = bc, mesh.faceB[f] = ca, mesh.faceC[f] = ab;
    }
    oldX.clear(), oldY.clear(), oldZ.clear();
    edgeLow.clear(), edgeHigh.clear(), edgeVertex.clear();
}

}  // namespace literal
