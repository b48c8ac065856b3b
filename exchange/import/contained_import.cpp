#include "core/address_sanitizer.h"
#include "exchange/import/contained_import.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <limits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <memory>
#include <string_view>
#include <vector>

#include "exchange/scene/confined_path.h"
#include "exchange/scene/import_wire.h"
#include "mesh/off_reader.h"

extern char** environ;

namespace {

constexpr uint64_t megabyte = uint64_t{1} << 20;
// The child's exit code when memory ran out (see exchange/reader/reader_main.cpp).
constexpr int memoryExitCode = 3;
// Exit code of a child that could not start the worker program.
constexpr int notStartedExitCode = 127;

std::string executableFolder() {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    std::string exe(path, static_cast<size_t>(length));
    return exe.substr(0, exe.find_last_of('/'));
}

// The worker program: named by KESTRUNE_IMPORT_WORKER (the tests), beside
// this program (a build folder) or in the installed libexec folder.
std::string workerPath() {
    if (const char* named = std::getenv("KESTRUNE_IMPORT_WORKER"); named != nullptr && named[0] != '\0') return named;
    std::string folder = executableFolder();
    std::string beside = folder + "/kestrune-import";
    if (::access(beside.c_str(), X_OK) == 0) return beside;
    return folder + "/../libexec/kestrune/kestrune-import";
}

// The child's environment: nothing of the program's but the sanitizers'
// options. Under AddressSanitizer the child cannot cap its address space
// (the sanitizer's shadow lives there), so the sanitizer's allocator takes
// the memory limit instead.
std::vector<std::string> childEnvironment([[maybe_unused]] const ImportLimits& limits) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        std::string_view entry(*variable);
        for (std::string_view kept : {"ASAN_OPTIONS=", "UBSAN_OPTIONS=", "LSAN_OPTIONS="}) {
            if (entry.substr(0, kept.size()) == kept) variables.emplace_back(entry);
        }
    }
#ifdef KESTRUNE_ADDRESS_SANITIZER
    std::string megabytes = std::to_string(limits.memoryBytes / megabyte);
    std::string options = "ASAN_OPTIONS=";
    for (std::string& variable : variables) {
        if (variable.rfind("ASAN_OPTIONS=", 0) == 0) {
            options += variable.substr(13) + ":";
            variable.clear();
        }
    }
    // Last, so that they win over the inherited ones.
    options += "allocator_may_return_null=1:detect_leaks=0:soft_rss_limit_mb=" + megabytes +
               ":max_allocation_size_mb=" + megabytes;
    variables.push_back(options);
#endif
    return variables;
}

// Where the kernel cannot hold the reader to the model's folder, the
// program says so once.
void noteMissingLandlock() {
    static bool noted = false;
    if (noted || landlockAbiVersion() > 0) return;
    noted = true;
    const char text[] = "kestrune : ce noyau n'offre pas Landlock : le lecteur de modèles n'est tenu que par son "
                        "filtre d'appels système et ses limites\n";
    (void)!::write(2, text, sizeof text - 1);
}

bool startChild(const std::string& path, const ImportLimits& limits, ImportJob& job) {
    int output[2], errors[2];
    if (::pipe2(output, O_CLOEXEC) != 0) return false;
    if (::pipe2(errors, O_CLOEXEC) != 0) {
        ::close(output[0]);
        ::close(output[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::string worker = workerPath();
    std::string memory = std::to_string(limits.memoryBytes);
    std::string seconds = std::to_string(limits.seconds);
    std::vector<char*> argv = {worker.data(), const_cast<char*>("--memory"), memory.data(),
                               const_cast<char*>("--seconds"), seconds.data(), const_cast<char*>("--"),
                               const_cast<char*>(path.c_str()), nullptr};
    std::vector<std::string> variables = childEnvironment(limits);
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        if (!variable.empty()) envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    int failure = ::posix_spawn(&job.pid, worker.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    ::close(errors[1]);
    if (failure != 0) {
        job.pid = -1;
        ::close(output[0]);
        ::close(errors[0]);
        errno = failure;
        return false;
    }
    // Read without blocking: the window polls the child between frames. A
    // wider pipe lets the arrays come in fewer, larger reads.
    ::fcntl(output[0], F_SETPIPE_SZ, 1 << 20);
    ::fcntl(output[0], F_SETFL, O_NONBLOCK);
    ::fcntl(errors[0], F_SETFL, O_NONBLOCK);
    job.output = output[0];
    job.errors = errors[0];
    return true;
}

// Of the error stream only the first `errorLimit` bytes are kept.
constexpr size_t errorLimit = 64 * 1024;

void closeDescriptor(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Reads what is waiting on the child's output, straight into the frame.
// False at the end of the stream or on an error.
bool drainOutput(ImportJob& job) {
    FrameReader& frame = *job.frame;
    for (;;) {
        size_t room = 0;
        char* into = frameDestination(frame, room);
        if (into == nullptr) return true;  // refused: the child is stopped
        ssize_t got = ::read(job.output, into, room);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return true;
        if (got < 0) job.failedReading = true;
        if (got <= 0) return false;
        frameReceived(frame, static_cast<size_t>(got));
    }
}

bool drainErrors(ImportJob& job) {
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(job.errors, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return true;
        if (got <= 0) return false;
        size_t kept = std::min(static_cast<size_t>(got), errorLimit - std::min(errorLimit, job.errorText.size()));
        job.errorText.append(buffer, kept);
    }
}

bool timeRanOut(const ImportJob& job) { return std::chrono::steady_clock::now() >= job.deadline; }

bool frameRefused(const ImportJob& job) {
    return job.frame->stage == FrameReader::Stage::TooLarge || job.frame->stage == FrameReader::Stage::Broken;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string signalName(int number) {
    const char* name = sigabbrev_np(number);
    return name != nullptr ? std::string("SIG") + name : std::to_string(number);
}

// Why a child that gave no usable frame failed.
std::string childFailure(const ImportJob& job, FrameReader::Stage stage, bool timedOut, int status) {
    const ImportLimits& limits = job.limits;
    const std::string memory = "fichier trop gros ou endommagé : la lecture dépasse " +
                               std::to_string(limits.memoryBytes / megabyte) + " Mo de mémoire";
    const std::string time = "délai dépassé : la lecture dure plus de " + std::to_string(limits.seconds) + " s";
    if (timedOut) return time;
    if (stage == FrameReader::Stage::TooLarge) return memory;
    if (stage == FrameReader::Stage::Broken) return "réponse illisible du lecteur de modèles";
    if (WIFEXITED(status) && WEXITSTATUS(status) == memoryExitCode) return memory;
    if (WIFEXITED(status) && WEXITSTATUS(status) == notStartedExitCode) {
        return "lecteur de modèles introuvable (" + workerPath() + ")";
    }
    if (WIFSIGNALED(status)) {
        int number = WTERMSIG(status);
        if (number == SIGALRM || number == SIGXCPU) return time;
        return "fichier trop gros ou endommagé : le lecteur s'est arrêté (" + signalName(number) + ")";
    }
    return "réponse illisible du lecteur de modèles";
}

}  // namespace

ImportLimits importLimitsFor(uint64_t fileSize, bool thumbnail) {
    // Memory: a few hundred times the file, at least enough for a model of a
    // million triangles, at most a part of the machine.
    uint64_t machine = static_cast<uint64_t>(::sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    uint64_t floor = (thumbnail ? 512 : 768) * megabyte;
    uint64_t ceiling = std::max(floor, std::min<uint64_t>((thumbnail ? 2048 : 8192) * megabyte, machine / 2));
    uint64_t wanted = fileSize > UINT64_MAX / 300 ? ceiling : fileSize * (thumbnail ? 100 : 300);
    ImportLimits limits;
    limits.memoryBytes = std::clamp(wanted, floor, ceiling);
    // Time: reading runs at tens of megabytes a second; a few megabytes a
    // second is a generous floor.
    uint64_t seconds = (thumbnail ? 5 : 10) + fileSize / (4 * megabyte);
    limits.seconds = static_cast<unsigned>(std::min<uint64_t>(seconds, thumbnail ? 12 : 300));
    return limits;
}

bool startImport(const std::string& path, const ImportLimits& limits, ImportJob& job, std::string& failure) {
    cancelImport(job);
    const std::string prefix = "« " + path + " » : ";
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        failure = prefix + "lecture impossible : " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        failure = prefix + "lecture impossible : ce n'est pas un fichier ordinaire";
        return false;
    }
    job = ImportJob();
    job.path = path;
    job.limits = limits;
    noteMissingLandlock();
    if (!startChild(path, limits, job)) {
        failure = prefix + "lecteur de modèles introuvable (" + workerPath() + ") : " + std::strerror(errno);
        return false;
    }
    job.frame = std::make_shared<FrameReader>();
    startFrame(*job.frame, limits.memoryBytes);
    job.started = std::chrono::steady_clock::now();
    // A little beyond the child's own alarm, in case it cannot take it.
    job.deadline = job.started + std::chrono::seconds(limits.seconds + 2);
    return true;
}

bool advanceImport(ImportJob& job, int waitMilliseconds) {
    if (!importStarted(job)) return true;
    auto waitUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, waitMilliseconds));
    for (;;) {
        if (job.output >= 0 && !drainOutput(job)) closeDescriptor(job.output);
        if (job.errors >= 0 && !drainErrors(job)) closeDescriptor(job.errors);
        if ((job.output < 0 && job.errors < 0) || frameRefused(job) || timeRanOut(job)) return true;
        auto now = std::chrono::steady_clock::now();
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(std::min(waitUntil, job.deadline) - now);
        if (left.count() <= 0) return false;
        pollfd ready[2] = {{job.output, POLLIN, 0}, {job.errors, POLLIN, 0}};
        int polled = ::poll(ready, 2, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
        if (polled < 0 && errno != EINTR) {
            job.failedReading = true;
            return true;
        }
    }
}

bool finishImport(ImportJob& job, ImportedModel& into, std::string& failure) {
    if (!importStarted(job)) {
        failure = "« " + job.path + " » : " + "réponse illisible du lecteur de modèles";
        return false;
    }
    bool timedOut = job.output >= 0 && timeRanOut(job);
    bool whole = job.output < 0 && !job.failedReading && job.frame->stage == FrameReader::Stage::Whole;
    closeDescriptor(job.output);
    closeDescriptor(job.errors);
    if (!whole) ::kill(job.pid, SIGKILL);
    int exit = waitFor(job.pid);
    job.pid = -1;
#ifdef KESTRUNE_ADDRESS_SANITIZER
    // The sanitizer's reports of the child, for the sanitizer runs.
    if (!job.errorText.empty()) (void)!::write(2, job.errorText.data(), job.errorText.size());
#endif
    std::shared_ptr<FrameReader> frame = std::move(job.frame);
    if (whole && WIFEXITED(exit) && WEXITSTATUS(exit) == 0) {
        failure = std::move(frame->failure);
        if (!failure.empty()) return false;
        into = std::move(frame->model);
        return true;
    }
    failure = "« " + job.path + " » : " + childFailure(job, frame->stage, timedOut, exit);
    return false;
}

void cancelImport(ImportJob& job) {
    closeDescriptor(job.output);
    closeDescriptor(job.errors);
    if (job.pid > 0) {
        ::kill(job.pid, SIGKILL);
        waitFor(job.pid);
    }
    job.pid = -1;
    job.frame.reset();
}

bool importStarted(const ImportJob& job) { return job.pid > 0 && job.frame != nullptr; }

int importSeconds(const ImportJob& job) {
    auto elapsed = std::chrono::steady_clock::now() - job.started;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
}

bool importContained(const std::string& path, const ImportLimits& limits, ImportedModel& into,
                     std::string& failure) {
    ImportJob job;
    if (!startImport(path, limits, job, failure)) return false;
    while (!advanceImport(job, 1000)) {
    }
    return finishImport(job, into, failure);
}

bool installImportedModel(const ImportedModel& model, Mesh& into, bool* memoryExhausted) {
    if (memoryExhausted != nullptr) *memoryExhausted = false;
    const size_t countLimit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    if (model.positions.size() % 3 != 0 || model.corners.size() % 4 != 0 || model.positions.size() / 3 > countLimit ||
        model.corners.size() / 4 > countLimit) {
        return false;
    }
    return readOffNumbers(model.positions.data(), static_cast<int32_t>(model.positions.size() / 3),
                          model.corners.data(), static_cast<int32_t>(model.corners.size() / 4), into,
                          memoryExhausted);
}
