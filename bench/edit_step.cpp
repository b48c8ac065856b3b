// CPU time of one editing step per frame on a model of about 200 000 faces:
// each step scans every vertex or every face for what lies under the cursor.
// Also the two scans alone (no GL): the face pick and the vertex pick.
//
//   bench_edit_step [--benchmark_filter=...]
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/commands.h"
#include "core/options.h"
#include "app/entry.h"
#include "app/frame.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "app/modes.h"
#include "sheet_mesh.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "platform/scripted/scripted.h"
#include "edit/editing_state.h"

namespace {

constexpr int sheetSide = 365;  // 199 837 faces, 134 000 vertices

bool programReady = false;

void prepareProgram() {
    if (programReady) return;
    scripted::reset();
    if (!startUp(0, nullptr)) {
        std::fprintf(stderr, "no program\n");
        std::exit(1);
    }
    buildSheet(sheetSide, 0.55f);
    options.vertexCreation = 1;
    programReady = true;
}

struct Mode {
    int command;
    void (*step)();
};

const Mode modes[] = {
    {231, createVerticesStep}, {251, deleteVerticesStep}, {241, moveVerticesStep},
    {232, createFacesStep},    {252, deleteFacesStep},    {242, modifyFacesStep},
};

// Argument: the mode (1 to 6). The cursor rests over the middle of the sheet
// in the perspective view, so that a face lies under it.
void editStep(benchmark::State& state) {
    prepareProgram();
    const Mode& mode = modes[state.range(0) - 1];
    stopMode();
    runCommand(mode.command);
    scripted::setCursorClient(scripted::drawingWidth / 2 + 7, scripted::drawingHeight / 2 - 5);
    renderFrame();  // faces in the depth buffer, latches settled
    for (auto _ : state) {
        mode.step();
        glFinish();
    }
    state.counters["faces"] = mesh.faceCount;
    state.counters["picked"] = state.range(0) >= 5 ? program.edit.selectedFace : program.edit.selectedVertex;
    stopMode();
}

// The face scan alone, sight line straight down through the sheet.
void faceScan(benchmark::State& state) {
    prepareProgram();
    editing.aim.sightOrigin = Vec3{0.013f, -0.021f, 10.0f};
    editing.aim.sightDirection = Vec3{0.0f, 0.0f, -1.0f};
    editing.aim.aimed = Vec3{0.013f, -0.021f, 0.0f};
    for (auto _ : state) benchmark::DoNotOptimize(pickFace());
    state.counters["faces"] = mesh.faceCount;
    state.counters["picked"] = editing.records.faceUnderCursor;
}

// The vertex scan alone.
void vertexScan(benchmark::State& state) {
    prepareProgram();
    editing.aim.sightOrigin = Vec3{0.013f, -0.021f, 10.0f};
    editing.aim.sightDirection = Vec3{0.0f, 0.0f, -1.0f};
    editing.aim.aimed = Vec3{0.013f, -0.021f, 0.0f};
    for (auto _ : state) {
        int selected = -1;
        for (int v = 0; v < mesh.vertexCount; ++v) {
            if (vertexUnderCursor(v)) selected = v;
        }
        benchmark::DoNotOptimize(selected);
    }
    state.counters["vertices"] = mesh.vertexCount;
}

}  // namespace

BENCHMARK(editStep)->ArgName("mode")->DenseRange(1, 6)->Unit(benchmark::kMillisecond)->MinTime(0.3);
BENCHMARK(faceScan)->Unit(benchmark::kMillisecond)->MinTime(0.3);
BENCHMARK(vertexScan)->Unit(benchmark::kMillisecond)->MinTime(0.3);

BENCHMARK_MAIN();
