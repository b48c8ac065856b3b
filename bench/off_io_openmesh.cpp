// Reading and writing a closed triangle mesh of about a million faces: our
// OFF reader and writer against OpenMesh's OFF reader on the same file.
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/file_bytes.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "mesh/off_writer.h"

namespace {

// A torus of rings x segments quads, each cut into two triangles, in view
// coordinates with a file scale and offset of its own.
void buildTorus(Mesh& m, int rings, int segments) {
    std::swap(m, mesh);
    resizeVertexArrays(rings * segments);
    resizeFaceArrays(2 * rings * segments);
    std::swap(m, mesh);
    m.vertexCount = rings * segments;
    m.faceCount = 2 * rings * segments;
    const double pi = 3.14159265358979323846;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            double u = 2 * pi * r / rings, v = 2 * pi * s / segments;
            int i = r * segments + s;
            m.vertexX[i] = static_cast<float>((0.4 + 0.2 * std::cos(v)) * std::cos(u));
            m.vertexY[i] = static_cast<float>((0.4 + 0.2 * std::cos(v)) * std::sin(u));
            m.vertexZ[i] = static_cast<float>(0.2 * std::sin(v));
            int right = r * segments + (s + 1) % segments;
            int up = ((r + 1) % rings) * segments + s;
            int diagonal = ((r + 1) % rings) * segments + (s + 1) % segments;
            m.faceA[2 * i] = i, m.faceB[2 * i] = right, m.faceC[2 * i] = diagonal, m.faceD[2 * i] = -1;
            m.faceA[2 * i + 1] = i, m.faceB[2 * i + 1] = diagonal, m.faceC[2 * i + 1] = up;
            m.faceD[2 * i + 1] = -1;
        }
    }
    m.modelScale = 17.5f;
    m.modelCenter[0] = 120.25f;
    m.modelCenter[1] = -3.5f;
    m.modelCenter[2] = 0.001f;
}

void release(Mesh& m) {
    std::swap(m, mesh);
    freeModel();
    std::swap(m, mesh);
}

struct Fixture {
    Mesh torus;
    std::string text;
    std::string path;
    Fixture() {
        buildTorus(torus, 1000, 500);
        text = formatOffText(torus);
        char pattern[] = "/tmp/kestrune-bench-XXXXXX.off";
        int fd = mkstemps(pattern, 4);
        path = pattern;
        close(fd);
        std::ofstream(path, std::ios::binary) << text;
    }
    ~Fixture() {
        release(torus);
        std::remove(path.c_str());
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void ourRead(benchmark::State& state) {
    const std::string& text = fixture().text;
    for (auto _ : state) {
        Mesh m;
        if (!readOffText(text.data(), text.size(), m)) state.SkipWithError("not read");
        benchmark::DoNotOptimize(m.vertexX);
        release(m);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["faces"] = fixture().torus.faceCount;
}

void ourReadFromFile(benchmark::State& state) {
    const std::string& path = fixture().path;
    for (auto _ : state) {
        // As the program opens a model: the whole file in one block, then parsed.
        FileBytes text;
        if (!readWholeFile(path, text)) state.SkipWithError("file not read");
        Mesh m;
        if (!readOffText(text.data, text.size, m)) state.SkipWithError("not read");
        releaseFileBytes(text);
        release(m);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().text.size()));
}

void openMeshRead(benchmark::State& state) {
    const std::string& path = fixture().path;
    for (auto _ : state) {
        OpenMesh::TriMesh_ArrayKernelT<> m;
        if (!OpenMesh::IO::read_mesh(m, path)) state.SkipWithError("OpenMesh did not read");
        if (m.n_faces() != static_cast<size_t>(fixture().torus.faceCount)) state.SkipWithError("face count");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().text.size()));
}

void ourWrite(benchmark::State& state) {
    const Mesh& m = fixture().torus;
    size_t size = 0;
    for (auto _ : state) {
        std::string text = formatOffText(m);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// The same vertex lines through snprintf, for comparison with our fields.
void snprintfVertexLines(benchmark::State& state) {
    const Mesh& m = fixture().torus;
    size_t size = 0;
    for (auto _ : state) {
        std::string text;
        char line[96];
        for (int i = 0; i < m.vertexCount; ++i) {
            int length = std::snprintf(line, sizeof line, " %15.8g %15.8g %15.8g\n", static_cast<double>(m.vertexX[i]),
                                       static_cast<double>(m.vertexY[i]), static_cast<double>(m.vertexZ[i]));
            text.append(line, static_cast<size_t>(length));
        }
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

}  // namespace

BENCHMARK(ourRead)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ourReadFromFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(openMeshRead)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(ourWrite)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(snprintfVertexLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
