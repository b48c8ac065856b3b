// kestrune-batch when memory runs out: whatever the stage (reading, a step,
// the text, the writing), it says "mémoire insuffisante", exits 1 and writes
// nothing. Each run is a child process under a capped address space.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "remodel/batch.h"

#if !defined(__SANITIZE_ADDRESS__)
namespace {

namespace fs = std::filesystem;

long addressSpaceInUse() {
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) std::abort();
    std::fclose(statm);
    return pages * sysconf(_SC_PAGESIZE);
}

// A flat grid of 2 n^2 triangles.
std::string triangleGridText(int n) {
    std::ostringstream text;
    text << "OFF\n" << (n + 1) * (n + 1) << " " << 2 * n * n << "\n";
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) text << i << " " << j << " 0\n";
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            int v = j * (n + 1) + i;
            text << "3 " << v << " " << v + 1 << " " << v + n + 2 << "\n3 " << v << " " << v + n + 2 << " "
                 << v + n + 1 << "\n";
        }
    }
    return text.str();
}

// 0: the batch wrote its output; 1: it reported the shortage, exit code 1 and
// nothing written; anything else is a fault (another message or code, an
// output left behind, or 100 + the signal that ended it).
int runWithHeadroom(const std::vector<std::string>& args, long headroom) {
    pid_t child = fork();
    if (child == 0) {
        std::ostringstream out, err;
        err.str(std::string(256, ' '));
        err.str("");
        rlimit capped{};
        getrlimit(RLIMIT_AS, &capped);
        capped.rlim_cur = static_cast<rlim_t>(addressSpaceInUse() + headroom);
        if (setrlimit(RLIMIT_AS, &capped) != 0) _exit(9);
        int code = 3;
        try {
            code = runBatch(args, out, err);
        } catch (...) {
            _exit(3);  // an escaped exception would end the program
        }
        capped.rlim_cur = capped.rlim_max;
        setrlimit(RLIMIT_AS, &capped);
        bool written = fs::exists(args[1]);
        if (code == 0 && written && err.str().empty()) _exit(0);
        if (code == 1 && !written && err.str() == "kestrune-batch : mémoire insuffisante\n") _exit(1);
        std::fprintf(stderr, "code %d, %s, %s", code, written ? "written" : "not written", err.str().c_str());
        _exit(2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove(args[1]);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// Many coinciding vertices on short lines: the written text is eight times
// the input, so memory can run short while it is built.
std::string pointCloudText(int vertexCount) {
    std::string text = "OFF\n" + std::to_string(vertexCount) + " 1\n";
    for (int v = 0; v < vertexCount; ++v) text += "0 0 0\n";
    return text + "3 0 1 2\n";
}

}  // namespace

TEST(BatchMemory, ShortageIsReportedAtEveryStageAndNothingIsWritten) {
    char pattern[] = "/tmp/kestrune-batch-memory-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    const std::string input = (folder / "grille.off").string();
    const std::string output = (folder / "lisse.off").string();
    const std::string cloud = (folder / "nuage.off").string();
    std::ofstream(input) << triangleGridText(60);  // 7,200 faces, 3 loops make 460,800
    std::ofstream(cloud) << pointCloudText(500000);
    // From too little to read the input up to enough for the whole run: the
    // shortage falls on each stage in turn.
    for (const auto& args : {std::vector<std::string>{input, output, "loop", "loop", "loop"},
                             std::vector<std::string>{cloud, output}}) {
        int reported = 0;
        for (long headroom = 64L << 10; headroom <= 512L << 20; headroom *= 2) {
            int verdict = runWithHeadroom(args, headroom);
            EXPECT_LE(verdict, 1) << args[0] << ", headroom " << headroom;
            reported += verdict == 1 ? 1 : 0;
            if (headroom == 64L << 10) {
                EXPECT_EQ(verdict, 1);
            }
            if (headroom == 512L << 20) {
                EXPECT_EQ(verdict, 0);
            }
        }
        EXPECT_GE(reported, 4);
    }
    fs::remove_all(folder);
}
#endif
