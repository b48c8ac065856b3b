// Remodelling speed on big meshes: one Loop step against OpenMesh's LoopT on
// the same closed sphere, the triangulation of a million four-corner faces,
// the optimal bases of a million faces, and the plain reference scans at
// 10,000 faces for scale.
//
//   bench_remodel_openmesh [benchmark flags]      timings
//   bench_remodel_openmesh --peak=ours|openmesh   one Loop step on the
//       1,000,000-triangle sphere, printing the peak resident size (run each
//       side in its own process to compare them)
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <OpenMesh/Tools/Subdivider/Uniform/LoopT.hh>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sphere_mesh.h"
#include "mesh/mesh.h"
#include "remodel/remodel.h"
// The reference scans of the tests, for scale.
#include "support/literal_remodel.h"

namespace {

using OpenMeshTriangles = OpenMesh::TriMesh_ArrayKernelT<>;

void setFace(int32_t f, int32_t a, int32_t b, int32_t c, int32_t d) {
    mesh.faceA[f] = a, mesh.faceB[f] = b, mesh.faceC[f] = c, mesh.faceD[f] = d;
}

void allocateGlobalMesh(int32_t vertexCount, int32_t faceCount) {
    freeModel();
    newModel();
    if (!resizeVertexArrays(vertexCount) || !resizeFaceArrays(faceCount)) std::abort();
    mesh.vertexCount = vertexCount;
    mesh.faceCount = faceCount;
}

// Sphere sizes by triangle count: 100,000 and 1,000,000.
void buildSphereOf(int64_t triangles) {
    if (triangles == 100000) buildSphere(250, 201);
    else if (triangles == 1000000) buildSphere(1000, 501);
    else buildSphere(50, 101);  // 10,000
}

void buildQuadGrid(int32_t n) {
    allocateGlobalMesh((n + 1) * (n + 1), n * n);
    for (int32_t j = 0; j <= n; ++j) {
        for (int32_t i = 0; i <= n; ++i) {
            int32_t v = j * (n + 1) + i;
            mesh.vertexX[v] = 1.2f * i / n - 0.6f, mesh.vertexY[v] = 1.2f * j / n - 0.6f;
            mesh.vertexZ[v] = 0.1f * std::sin(0.05f * static_cast<float>(i + 2 * j));
        }
    }
    for (int32_t j = 0; j < n; ++j) {
        for (int32_t i = 0; i < n; ++i) {
            int32_t v = j * (n + 1) + i;
            setFace(j * n + i, v, v + 1, v + n + 2, v + n + 1);
        }
    }
}

// The global mesh's triangles, in the same order, as an OpenMesh mesh.
void copyToOpenMesh(OpenMeshTriangles& target) {
    target.clear();
    target.reserve(mesh.vertexCount, mesh.faceCount * 3 / 2, mesh.faceCount);
    std::vector<OpenMeshTriangles::VertexHandle> handles(mesh.vertexCount);
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        handles[v] = target.add_vertex({mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]});
    }
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
        target.add_face(handles[mesh.faceA[f]], handles[mesh.faceB[f]], handles[mesh.faceC[f]]);
    }
}

struct SavedMesh {
    std::vector<float> x, y, z;
    std::vector<int32_t> a, b, c, d;
};

SavedMesh saveGlobalMesh() {
    int32_t nv = mesh.vertexCount, nf = mesh.faceCount;
    return SavedMesh{{mesh.vertexX, mesh.vertexX + nv}, {mesh.vertexY, mesh.vertexY + nv},
                     {mesh.vertexZ, mesh.vertexZ + nv}, {mesh.faceA, mesh.faceA + nf},
                     {mesh.faceB, mesh.faceB + nf},     {mesh.faceC, mesh.faceC + nf},
                     {mesh.faceD, mesh.faceD + nf}};
}

template <typename T>
void copyInto(T* target, const std::vector<T>& source) {
    std::memcpy(target, source.data(), source.size() * sizeof(T));
}

void restoreGlobalMesh(const SavedMesh& saved) {
    allocateGlobalMesh(static_cast<int32_t>(saved.x.size()), static_cast<int32_t>(saved.a.size()));
    copyInto(mesh.vertexX, saved.x), copyInto(mesh.vertexY, saved.y), copyInto(mesh.vertexZ, saved.z);
    copyInto(mesh.faceA, saved.a), copyInto(mesh.faceB, saved.b);
    copyInto(mesh.faceC, saved.c), copyInto(mesh.faceD, saved.d);
}

// Times `command` on fresh copies of the global mesh built by `build`.
template <typename Build, typename Command>
void timeOnCopies(benchmark::State& state, Build build, Command command) {
    build();
    SavedMesh saved = saveGlobalMesh();
    for (auto _ : state) {
        state.PauseTiming();
        restoreGlobalMesh(saved);
        state.ResumeTiming();
        command();
    }
    state.counters["faces_out"] = mesh.faceCount;
    freeModel();
}

void ourLoop(benchmark::State& state) {
    timeOnCopies(state, [&] { buildSphereOf(state.range(0)); }, [] {
        if (loopSubdivide() != RemodelStatus::Done) std::abort();
    });
}

void openMeshLoop(benchmark::State& state) {
    buildSphereOf(state.range(0));
    OpenMeshTriangles source;
    copyToOpenMesh(source);
    freeModel();
    OpenMesh::Subdivider::Uniform::LoopT<OpenMeshTriangles> loop;
    size_t faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OpenMeshTriangles target = source;
        state.ResumeTiming();
        loop.attach(target);
        loop(1);
        loop.detach();
        faces = target.n_faces();
        state.PauseTiming();
        { OpenMeshTriangles released = std::move(target); }
        state.ResumeTiming();
    }
    state.counters["faces_out"] = static_cast<double>(faces);
}

void ourTriangulation(benchmark::State& state) {
    timeOnCopies(state, [] { buildQuadGrid(1000); }, [] {
        if (triangulateAll() != RemodelStatus::Done) std::abort();
    });
}

void ourBases(benchmark::State& state) {
    timeOnCopies(state, [] { buildQuadGrid(1000); }, [] {
        if (optimizeBases() != RemodelStatus::Done) std::abort();
    });
}

void literalLoop(benchmark::State& state) {
    timeOnCopies(state, [] { buildSphereOf(10000); }, [] { literal::loopSubdivide(); });
}

void ourLoopSmall(benchmark::State& state) {
    timeOnCopies(state, [] { buildSphereOf(10000); }, [] {
        if (loopSubdivide() != RemodelStatus::Done) std::abort();
    });
}

BENCHMARK(ourLoop)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openMeshLoop)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ourTriangulation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ourBases)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ourLoopSmall)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(literalLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int measurePeak(const std::string& side) {
    buildSphereOf(1000000);
    OpenMeshTriangles triangles;
    if (side == "openmesh") {
        copyToOpenMesh(triangles);
        freeModel();
    }
    long before = peakResidentKilobytes();
    if (side == "openmesh") {
        OpenMesh::Subdivider::Uniform::LoopT<OpenMeshTriangles> loop;
        loop.attach(triangles);
        loop(1);
        loop.detach();
    } else if (loopSubdivide() != RemodelStatus::Done) {
        return 1;
    }
    long after = peakResidentKilobytes();
    std::printf("%s: peak resident %ld kB before the step, %ld kB after\n", side.c_str(), before, after);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--peak=", 7) == 0) return measurePeak(argv[i] + 7);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
