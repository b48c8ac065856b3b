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

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

// Arguments: cells per side, drawing path (0 immediate, 1 vertex arrays), what.
void drawFrame(benchmark::State& state) {
    prepareContext();
    buildSheet(static_cast<int>(state.range(0)), 0.9f);
    render.drawing.path = state.range(1) == 0 ? DrawingPath::Immediate : DrawingPath::VertexArrays;
    auto what = static_cast<What>(state.range(2));
    auto draw = [what] {
        cameraForFrame();
        if (what != Edges) drawFaces();
        if (what != Faces) drawEdges();
        glFinish();
    };
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
