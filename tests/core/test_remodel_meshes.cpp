#include "test_remodel_meshes.h"

#include <cstring>
#include <sstream>

#include "mesh/mesh.h"

void MeshSnapshot::addVertex(float vx, float vy, float vz) {
    x.push_back(vx), y.push_back(vy), z.push_back(vz);
}

void MeshSnapshot::addTriangle(int32_t fa, int32_t fb, int32_t fc) { addQuad(fa, fb, fc, -1); }

void MeshSnapshot::addQuad(int32_t fa, int32_t fb, int32_t fc, int32_t fd) {
    a.push_back(fa), b.push_back(fb), c.push_back(fc), d.push_back(fd);
}

std::vector<int32_t> MeshSnapshot::face(int32_t f) const {
    if (d[f] < 0) return {a[f], b[f], c[f]};
    return {a[f], b[f], c[f], d[f]};
}

void loadMesh(const MeshSnapshot& snapshot) {
    freeModel();
    newModel();
    if (!resizeVertexArrays(snapshot.vertexCount()) || !resizeFaceArrays(snapshot.faceCount())) {
        throw std::bad_alloc();
    }
    mesh.vertexCount = snapshot.vertexCount();
    mesh.faceCount = snapshot.faceCount();
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        mesh.vertexX[v] = snapshot.x[v], mesh.vertexY[v] = snapshot.y[v], mesh.vertexZ[v] = snapshot.z[v];
    }
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
        mesh.faceA[f] = snapshot.a[f], mesh.faceB[f] = snapshot.b[f];
        mesh.faceC[f] = snapshot.c[f], mesh.faceD[f] = snapshot.d[f];
    }
}

MeshSnapshot takeSnapshot() {
    MeshSnapshot s;
    s.x.assign(mesh.vertexX, mesh.vertexX + mesh.vertexCount);
    s.y.assign(mesh.vertexY, mesh.vertexY + mesh.vertexCount);
    s.z.assign(mesh.vertexZ, mesh.vertexZ + mesh.vertexCount);
    s.a.assign(mesh.faceA, mesh.faceA + mesh.faceCount);
    s.b.assign(mesh.faceB, mesh.faceB + mesh.faceCount);
    s.c.assign(mesh.faceC, mesh.faceC + mesh.faceCount);
    s.d.assign(mesh.faceD, mesh.faceD + mesh.faceCount);
    return s;
}

namespace {

template <typename T>
bool sameArray(const std::vector<T>& left, const std::vector<T>& right) {
    return left.size() == right.size() &&
           (left.empty() || std::memcmp(left.data(), right.data(), left.size() * sizeof(T)) == 0);
}

}  // namespace

bool sameBits(const MeshSnapshot& left, const MeshSnapshot& right) {
    return sameArray(left.x, right.x) && sameArray(left.y, right.y) && sameArray(left.z, right.z) &&
           sameArray(left.a, right.a) && sameArray(left.b, right.b) && sameArray(left.c, right.c) &&
           sameArray(left.d, right.d);
}

std::string firstDifference(const MeshSnapshot& left, const MeshSnapshot& right) {
    std::ostringstream out;
    if (left.vertexCount() != right.vertexCount() || left.faceCount() != right.faceCount()) {
        out << "counts " << left.vertexCount() << "/" << left.faceCount() << " vs "
            << right.vertexCount() << "/" << right.faceCount();
        return out.str();
    }
    for (int32_t v = 0; v < left.vertexCount(); ++v) {
        float l[3] = {left.x[v], left.y[v], left.z[v]}, r[3] = {right.x[v], right.y[v], right.z[v]};
        if (std::memcmp(l, r, sizeof l) != 0) {
            out.precision(9);
            out << "vertex " << v << ": " << l[0] << " " << l[1] << " " << l[2] << " vs " << r[0]
                << " " << r[1] << " " << r[2];
            return out.str();
        }
    }
    for (int32_t f = 0; f < left.faceCount(); ++f) {
        if (left.face(f) != right.face(f) || left.d[f] != right.d[f]) {
            out << "face " << f << ": " << left.a[f] << " " << left.b[f] << " " << left.c[f] << " "
                << left.d[f] << " vs " << right.a[f] << " " << right.b[f] << " " << right.c[f] << " "
                << right.d[f];
            return out.str();
        }
    }
    return "none";
}

MeshSnapshot cubeMesh() {
    MeshSnapshot s;
    for (int v = 0; v < 8; ++v) {
        s.addVertex(v & 1 ? 0.5f : -0.5f, v & 2 ? 0.5f : -0.5f, v & 4 ? 0.5f : -0.5f);
    }
    s.addQuad(0, 2, 3, 1);  // z = -0.5
    s.addQuad(4, 5, 7, 6);  // z = +0.5
    s.addQuad(0, 1, 5, 4);  // y = -0.5
    s.addQuad(2, 6, 7, 3);  // y = +0.5
    s.addQuad(0, 4, 6, 2);  // x = -0.5
    s.addQuad(1, 3, 7, 5);  // x = +0.5
    return s;
}

MeshSnapshot tetrahedronMesh() {
    MeshSnapshot s;
    s.addVertex(0.5f, 0.5f, 0.5f);
    s.addVertex(0.5f, -0.5f, -0.5f);
    s.addVertex(-0.5f, 0.5f, -0.5f);
    s.addVertex(-0.5f, -0.5f, 0.5f);
    s.addTriangle(0, 1, 2);
    s.addTriangle(0, 3, 1);
    s.addTriangle(0, 2, 3);
    s.addTriangle(1, 3, 2);
    return s;
}

MeshSnapshot flatTriangleGrid(int n) {
    MeshSnapshot s;
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) s.addVertex(0.125f * i, 0.125f * j, 0.0f);
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            int v = j * (n + 1) + i;
            s.addTriangle(v, v + 1, v + n + 2);
            s.addTriangle(v, v + n + 2, v + n + 1);
        }
    }
    return s;
}
