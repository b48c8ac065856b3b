// The whole batch job (read an OFF file, one Loop step, write an OFF file) as
// OpenMesh does it, to be timed as a process beside kestrune-batch
// (bench/batch_job.sh runs both).
//
//   bench_batch_openmesh sphere FILE     writes the 1,000,000-triangle sphere
//   bench_batch_openmesh job IN OUT      read_mesh, LoopT, write_mesh
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <OpenMesh/Tools/Subdivider/Uniform/LoopT.hh>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/core/off_file.h"
#include "mesh/mesh.h"

namespace {

// A closed latitude-longitude sphere of 2 x segments x (rings - 1) triangles,
// as bench_remodel_openmesh builds it.
void buildSphere(int32_t segments, int32_t rings) {
    freeModel();
    newModel();
    if (!resizeVertexArrays(segments * (rings - 1) + 2) || !resizeFaceArrays(2 * segments * (rings - 1))) {
        std::abort();
    }
    mesh.vertexCount = mesh.vertexCapacity;
    mesh.faceCount = mesh.faceCapacity;
    int32_t south = mesh.vertexCount - 2, north = mesh.vertexCount - 1;
    for (int32_t i = 1; i < rings; ++i) {
        double latitude = M_PI * i / rings - M_PI / 2;
        for (int32_t j = 0; j < segments; ++j) {
            double longitude = 2 * M_PI * j / segments;
            int32_t v = (i - 1) * segments + j;
            mesh.vertexX[v] = static_cast<float>(0.6 * std::cos(latitude) * std::cos(longitude));
            mesh.vertexY[v] = static_cast<float>(0.6 * std::cos(latitude) * std::sin(longitude));
            mesh.vertexZ[v] = static_cast<float>(0.6 * std::sin(latitude));
        }
    }
    mesh.vertexX[south] = mesh.vertexY[south] = mesh.vertexX[north] = mesh.vertexY[north] = 0;
    mesh.vertexZ[south] = -0.6f, mesh.vertexZ[north] = 0.6f;
    auto at = [&](int32_t ring, int32_t j) { return (ring - 1) * segments + j % segments; };
    int32_t f = 0;
    auto triangle = [&](int32_t a, int32_t b, int32_t c) {
        mesh.faceA[f] = a, mesh.faceB[f] = b, mesh.faceC[f] = c, mesh.faceD[f] = -1;
        ++f;
    };
    for (int32_t j = 0; j < segments; ++j) {
        triangle(south, at(1, j + 1), at(1, j));
        triangle(north, at(rings - 1, j), at(rings - 1, j + 1));
        for (int32_t i = 1; i + 1 < rings; ++i) {
            triangle(at(i, j), at(i, j + 1), at(i + 1, j + 1));
            triangle(at(i, j), at(i + 1, j + 1), at(i + 1, j));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "";
    if (what == "sphere" && argc == 3) {
        buildSphere(1000, 501);
        return saveOffFile(argv[2], mesh) == OffSaveResult::Saved ? 0 : 1;
    }
    if (what == "job" && argc == 4) {
        OpenMesh::TriMesh_ArrayKernelT<> m;
        if (!OpenMesh::IO::read_mesh(m, argv[2])) return 1;
        OpenMesh::Subdivider::Uniform::LoopT<OpenMesh::TriMesh_ArrayKernelT<>> loop;
        loop.attach(m);
        loop(1);
        loop.detach();
        return OpenMesh::IO::write_mesh(m, argv[3]) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: %s sphere FILE | job IN OUT\n", argv[0]);
    return 2;
}
