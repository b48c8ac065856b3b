// Remodelling when memory runs out: the command reports it and the model is
// left exactly as it was. Run in a child process whose address space is
// capped just above what it already uses.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "mesh/mesh.h"
#include "remodel/remodel.h"
#include "test_remodel_meshes.h"

namespace {

long addressSpaceInUse() {
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) std::abort();
    std::fclose(statm);
    return pages * 4096;
}

// Exits 0 when `command`, run with only `headroom` bytes of address space to
// spare, reports OutOfMemory and leaves the model as it was.
[[noreturn]] void runShortOfMemory(RemodelStatus (*command)(), const MeshSnapshot& start, long headroom) {
    loadMesh(start);
    rlimit previous{};
    getrlimit(RLIMIT_AS, &previous);
    rlimit capped = previous;
    capped.rlim_cur = static_cast<rlim_t>(addressSpaceInUse() + headroom);
    if (setrlimit(RLIMIT_AS, &capped) != 0) std::exit(3);
    RemodelStatus status = command();
    setrlimit(RLIMIT_AS, &previous);
    if (status != RemodelStatus::OutOfMemory) std::exit(4);
    if (!sameBits(start, takeSnapshot())) std::exit(5);
    if (mesh.faceCapacity != start.faceCount()) std::exit(6);
    std::exit(0);
}

MeshSnapshot quadGrid(int n) {
    MeshSnapshot s;
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) s.addVertex(0.001f * i, 0.001f * j, 0.0f);
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            int v = j * (n + 1) + i;
            s.addQuad(v, v + 1, v + n + 2, v + n + 1);
        }
    }
    return s;
}

}  // namespace

TEST(RemodelMemoryDeathTest, ShortageLeavesTheModelUntouched) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    MeshSnapshot triangles = flatTriangleGrid(400);  // 320,000 faces
    EXPECT_EXIT(runShortOfMemory(loopSubdivide, triangles, 1 << 20), ::testing::ExitedWithCode(0), "");
    MeshSnapshot quads = quadGrid(400);
    EXPECT_EXIT(runShortOfMemory(loopSubdivide, quads, 1 << 20), ::testing::ExitedWithCode(0), "");
    // Room for the triangulation aside but not for the subdivision tables.
    EXPECT_EXIT(runShortOfMemory(loopSubdivide, quads, 16 << 20), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(runShortOfMemory(triangulateAll, quads, 1 << 20), ::testing::ExitedWithCode(0), "");
    // With the needed room the same step succeeds: the cap is what failed.
    EXPECT_EXIT(runShortOfMemory(loopSubdivide, triangles, 1L << 30), ::testing::ExitedWithCode(4), "");
}
