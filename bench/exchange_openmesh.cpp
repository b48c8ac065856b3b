// Import and export of a model of about a million triangles through the Open
// Asset Import Library (as kestrune-batch does it) against OpenMesh's reader
// and writer, for OBJ, binary PLY, binary STL and standard OFF.
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "sheet_mesh.h"
#include "exchange/import/contained_import.h"
#include "exchange/reader/model_import.h"
#include "exchange/export/model_output.h"

namespace {

using OpenMeshTriangles = OpenMesh::TriMesh_ArrayKernelT<>;

const char* const extensions[] = {"obj", "ply", "stl", "off"};

// The wavy sheet with every quad cut in two: 2 x 707^2 = 999,698 triangles.
void buildTriangleSheet() {
    buildSheet(707, 0.6f);
    int quads = 0;
    for (int f = 0; f < mesh.faceCount; ++f) quads += isTriangle(f) ? 0 : 1;
    int total = mesh.faceCount + quads;
    if (!resizeFaceArrays(total)) std::exit(1);
    for (int f = 0, next = mesh.faceCount; f < mesh.faceCount; ++f) {
        if (isTriangle(f)) continue;
        mesh.faceA[next] = mesh.faceA[f], mesh.faceB[next] = mesh.faceC[f], mesh.faceC[next] = mesh.faceD[f];
        mesh.faceD[next++] = -1;
        mesh.faceD[f] = -1;
    }
    mesh.faceCount = total;
    mesh.modelScale = 17.5f;
    mesh.modelCenter[0] = 120.25f;
}

struct Fixture {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrune-bench-exchange";
    OpenMeshTriangles peer;
    int faceCount = 0;
    Fixture() {
        std::filesystem::create_directories(folder);
        buildTriangleSheet();
        faceCount = mesh.faceCount;
        // Standard OFF through our writer; the other inputs through OpenMesh's
        // writer, so that building them costs little time and memory.
        std::ostringstream ignored;
        OutputPlan plan;
        std::string problem;
        planOutput(input("off"), true, false, plan, problem);
        writeModel(plan, MappingSettings{}, 0, std::nullopt, false, ignored);
        OpenMesh::IO::read_mesh(peer, input("off"));
        OpenMesh::IO::write_mesh(peer, input("obj"));
        OpenMesh::IO::write_mesh(peer, input("ply"), OpenMesh::IO::Options::Binary);
        OpenMesh::IO::write_mesh(peer, input("stl"), OpenMesh::IO::Options::Binary);
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
    std::string input(const std::string& extension) const { return (folder / ("in." + extension)).string(); }
    std::string output(const std::string& extension) const { return (folder / ("out." + extension)).string(); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// What kestrune-batch does with an input: the library's import, joining and
// the OFF text, then the program's own reader.
void assimpImport(benchmark::State& state) {
    std::string path = fixture().input(extensions[state.range(0)]);
    for (auto _ : state) {
        ImportedModel model;
        std::string failure;
        if (!importModel(path, model, failure) || !installImportedModel(model, mesh)) {
            state.SkipWithError("not imported");
        }
        if (mesh.faceCount != fixture().faceCount) state.SkipWithError("face count");
    }
    state.SetLabel(extensions[state.range(0)]);
}

void openMeshRead(benchmark::State& state) {
    std::string path = fixture().input(extensions[state.range(0)]);
    for (auto _ : state) {
        OpenMeshTriangles m;
        if (!OpenMesh::IO::read_mesh(m, path)) state.SkipWithError("OpenMesh did not read");
        if (m.n_faces() != static_cast<size_t>(fixture().faceCount)) state.SkipWithError("face count");
    }
    state.SetLabel(extensions[state.range(0)]);
}

// Export as kestrune-batch writes it (binary PLY and STL, standard OFF).
void assimpExport(benchmark::State& state) {
    fixture();
    std::string path = fixture().output(extensions[state.range(0)]);
    OutputPlan plan;
    std::string problem;
    planOutput(path, true, false, plan, problem);
    for (auto _ : state) {
        std::ostringstream messages;
        if (!writeModel(plan, MappingSettings{}, 0, std::nullopt, false, messages)) state.SkipWithError("not written");
    }
    state.SetLabel(extensions[state.range(0)]);
}

void openMeshWrite(benchmark::State& state) {
    std::string extension = extensions[state.range(0)];
    std::string path = fixture().output(extension);
    OpenMesh::IO::Options options;
    if (extension == "ply" || extension == "stl") options += OpenMesh::IO::Options::Binary;
    for (auto _ : state) {
        if (!OpenMesh::IO::write_mesh(fixture().peer, path, options)) state.SkipWithError("OpenMesh did not write");
    }
    state.SetLabel(extension);
}

}  // namespace

BENCHMARK(assimpImport)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(openMeshRead)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(assimpExport)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(openMeshWrite)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
