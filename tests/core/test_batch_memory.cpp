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

#include "tools/batch.h"

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

// A flat grid of 2 n^2 triangles, then `spare` unused vertices on short
// lines: three loops make many faces, and the written text is far longer
// than the input, so each stage in turn can run short.
std::string gridText(int n, int spare) {
    std::ostringstream text;
    text << "OFF\n" << (n + 1) * (n + 1) + spare << " " << 2 * n * n << "\n";
    for (int v = 0; v < (n + 1) * (n + 1); ++v) text << v % (n + 1) << " " << v / (n + 1) << " 0\n";
    for (int v = 0; v < spare; ++v) text << "0 0 0\n";
    for (int v = 0; v < (n + 1) * n; ++v) {
        if (v % (n + 1) == n) continue;
        text << "3 " << v << " " << v + 1 << " " << v + n + 2 << "\n3 " << v << " " << v + n + 2 << " " << v + n + 1
             << "\n";
    }
    return text.str();
}

// 0: the output was written; 1: the shortage was reported with exit code 1
// and nothing written; anything else is a fault (another outcome, an escaped
// exception, or 100 + the signal that ended the child).
int runWithHeadroom(const std::vector<std::string>& args, long headroom) {
    pid_t child = fork();
    if (child == 0) {
        std::ostringstream out, err;
        rlimit capped{};
        getrlimit(RLIMIT_AS, &capped);
        capped.rlim_cur = static_cast<rlim_t>(addressSpaceInUse() + headroom);
        if (setrlimit(RLIMIT_AS, &capped) != 0) _exit(9);
        int code = 3;
        try {
            code = runBatch(args, out, err);
        } catch (...) {
            _exit(3);
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

}  // namespace

TEST(BatchMemory, ShortageIsReportedAtEveryStageAndNothingIsWritten) {
    char pattern[] = "/tmp/kestrune-batch-memory-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    const std::vector<std::string> args{(folder / "grille.off").string(), (folder / "lisse.off").string(), "loop",
                                        "loop", "loop"};
    std::ofstream(args[0]) << gridText(60, 400000);
    // From too little to read the input up to enough for the whole run.
    int reported = 0;
    for (long headroom = 64L << 10; headroom <= 512L << 20; headroom *= 2) {
        int verdict = runWithHeadroom(args, headroom);
        EXPECT_LE(verdict, 1) << "headroom " << headroom;
        reported += verdict == 1 ? 1 : 0;
    }
    EXPECT_GE(reported, 4);
    EXPECT_EQ(runWithHeadroom(args, 64L << 10), 1);
    EXPECT_EQ(runWithHeadroom(args, 512L << 20), 0);
    fs::remove_all(folder);
}
#endif
