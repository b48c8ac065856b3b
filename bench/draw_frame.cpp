// Time of one frame's mesh drawing (faces, edges, or both) on a large model,
// with one glBegin/glEnd per face and with vertex arrays, on the offscreen
// GL context of the scripted platform (Mesa's software renderer).
//
//   bench_draw_frame [--benchmark_filter=...]
//
// Real time includes the rasteriser's worker threads (glFinish ends every
// iteration); CPU time is that of the calling thread alone.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstdint>
#include <vector>

#include "core/options.h"
#include "state/view_state.h"
#include "sheet_mesh.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/faces.h"
#include "render/gl_context.h"
#include "render/overlays.h"
#include "render/textures.h"
#include "state/program_state.h"
#include "render/render_state.h"

namespace {

bool contextReady = false;

void prepareContext() {
    if (contextReady) return;
    setDefaultOptions();
    program.view.clientWidth = sys::surfaceWidth();
    program.view.clientHeight = sys::surfaceHeight();
    if (!sys::createSurfaceContext()) {
        std::fprintf(stderr, "no offscreen GL context\n");
        std::exit(1);
    }
    setupScene();
    contextReady = true;
}

// The perspective camera of a frame, turned so that every face is seen.
void cameraForFrame() {
    glBindTexture(GL_TEXTURE_2D, render.textures.names[1]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, program.view.cameraDistance, 0, 0, 0, 0, 1, 0);
    glRotatef(25.0f, 0, 1, 0);
    glRotatef(-35.0f, 1, 0, 0);
}

enum What { Faces = 0, Edges = 1, FacesAndEdges = 2 };

// One frame of the program's mesh drawing, finished.
void drawProgramFrame(What what) {
    cameraForFrame();
    if (what != Edges) drawFaces();
    if (what != Faces) drawEdges();
    glFinish();
}

// Arguments: cells per side, drawing path (0 immediate, 1 vertex arrays), what.
void drawFrame(benchmark::State& state) {
    prepareContext();
    buildSheet(static_cast<int>(state.range(0)), 0.9f);
    render.drawing.path = state.range(1) == 0 ? DrawingPath::Immediate : DrawingPath::VertexArrays;
    auto what = static_cast<What>(state.range(2));
    auto draw = [what] { drawProgramFrame(what); };
    // The arrays kept between frames are built by the first frame after a
    // change of the model: time the frames that follow, as the program
    // draws them while the model stays as it is.
    draw();
    for (auto _ : state) draw();
    state.counters["faces"] = mesh.faceCount;
    if (glGetError() != GL_NO_ERROR) state.SkipWithError("GL error");
}

void frameArguments(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"side", "arrays", "what"});
    for (int side : {116, 365}) {  // about 20 000 and 200 000 faces
        for (int what : {Faces, Edges, FacesAndEdges}) {
            for (int arrays : {0, 1}) bench->Args({side, arrays, what});
        }
    }
}

}  // namespace

BENCHMARK(drawFrame)->Apply(frameArguments)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The floor the frames are measured against: the plainest GL program drawing
// the same triangles and segments with the same state, from arrays of its
// own made once, with nothing else done per frame.
struct FloorArrays {
    std::vector<float> positions, normals, texturePoints, edgePositions;
    std::vector<uint32_t> indices, edgeIndices;
};

FloorArrays copiedArrays() {
    // One frame of the program makes the arrays; the floor copies them.
    render.drawing.path = DrawingPath::VertexArrays;
    cameraForFrame();
    drawFaces();
    drawEdges();
    const DrawingCaches& d = render.drawing;
    return {d.facePositions, d.faceNormals, d.faceTexturePoints, d.edgePositions, d.faceIndices, d.edgeIndices};
}

void drawFloorFaces(const FloorArrays& a) {
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, a.positions.data());
    glNormalPointer(GL_FLOAT, 0, a.normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, a.texturePoints.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(a.indices.size()), GL_UNSIGNED_INT, a.indices.data());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}

void drawFloorEdges(const FloorArrays& a) {
    glColor3f(0.8f, 0.8f, 0.8f);
    glLineWidth(0.6f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, a.edgePositions.data());
    glDrawElements(GL_LINES, static_cast<GLsizei>(a.edgeIndices.size()), GL_UNSIGNED_INT, a.edgeIndices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor3f(1.0f, 1.0f, 1.0f);
}

double secondsOf(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The program's frame and the floor's, one after the other in every
// iteration so that both see the same machine; the counters are the medians
// (ms, wall and calling thread) and their ratios. Arguments: cells per side, what.
void frameAgainstFloor(benchmark::State& state) {
    prepareContext();
    buildSheet(static_cast<int>(state.range(0)), 0.9f);
    FloorArrays arrays = copiedArrays();
    auto what = static_cast<What>(state.range(1));
    auto ours = [what] { drawProgramFrame(what); };
    auto floor = [&] {
        cameraForFrame();
        if (what != Edges) drawFloorFaces(arrays);
        if (what != Faces) drawFloorEdges(arrays);
        glFinish();
    };
    std::vector<double> wall[2], cpu[2];
    auto timed = [&](int k, const auto& draw) {
        double w = secondsOf(CLOCK_MONOTONIC), c = secondsOf(CLOCK_THREAD_CPUTIME_ID);
        draw();
        wall[k].push_back(1e3 * (secondsOf(CLOCK_MONOTONIC) - w));
        cpu[k].push_back(1e3 * (secondsOf(CLOCK_THREAD_CPUTIME_ID) - c));
    };
    ours();
    floor();
    for (auto _ : state) {
        timed(0, ours);
        timed(1, floor);
    }
    state.counters["frame_ms"] = median(wall[0]);
    state.counters["floor_ms"] = median(wall[1]);
    state.counters["ratio"] = median(wall[0]) / median(wall[1]);
    state.counters["cpu_ratio"] = median(cpu[0]) / median(cpu[1]);
    if (glGetError() != GL_NO_ERROR) state.SkipWithError("GL error");
}

void floorArguments(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"side", "what"});
    for (int side : {116, 365}) {
        for (int what : {Faces, Edges, FacesAndEdges}) bench->Args({side, what});
    }
}

BENCHMARK(frameAgainstFloor)->Apply(floorArguments)->Unit(benchmark::kMillisecond)->Iterations(9)->UseRealTime();

// The first frame after a change of the model, which rebuilds the arrays and
// the edge list.
void firstFrameAfterChange(benchmark::State& state) {
    prepareContext();
    render.drawing.path = DrawingPath::VertexArrays;
    int side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        // A sheet of another size each time: new corners and coordinates.
        state.PauseTiming();
        side = side == state.range(0) ? side - 1 : side + 1;
        buildSheet(side, 0.9f);
        state.ResumeTiming();
        cameraForFrame();
        drawFaces();
        drawEdges();
        glFinish();
    }
}
BENCHMARK(firstFrameAfterChange)->Arg(365)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
