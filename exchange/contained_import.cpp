#include "exchange/contained_import.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "exchange/import_wire.h"

extern char** environ;

namespace {

constexpr uint64_t megabyte = uint64_t{1} << 20;
// The child's exit code when memory ran out (see import_worker.cpp).
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

#if defined(__SANITIZE_ADDRESS__)
#define KESTRUNE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRUNE_ADDRESS_SANITIZER 1
#endif
#endif

// The child's environment. Under AddressSanitizer the child cannot cap its
// address space (the sanitizer's shadow lives there), so the sanitizer's
// allocator takes the memory limit instead.
std::vector<std::string> childEnvironment([[maybe_unused]] const ImportLimits& limits) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) variables.emplace_back(*variable);
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

struct Child {
    pid_t pid = -1;
    int output = -1;  // the read end of the child's standard output
    int errors = -1;  // and of its standard error: the child may write no file
};

bool startChild(const std::string& path, const ImportLimits& limits, Child& child) {
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
    int failure = ::posix_spawn(&child.pid, worker.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    ::close(errors[1]);
    if (failure != 0) {
        ::close(output[0]);
        ::close(errors[0]);
        errno = failure;
        return false;
    }
    child.output = output[0];
    child.errors = errors[0];
    return true;
}

enum class Reading { Whole, TooLong, TooLarge, Failed };

// Everything the child writes, until it closes its output and its error
// stream, the deadline passes or more arrives than its memory could have
// held. Of the error stream only the first `errorLimit` bytes are kept.
constexpr size_t errorLimit = 64 * 1024;

Reading readChild(const Child& child, std::chrono::steady_clock::time_point deadline, uint64_t limit,
                  std::string& bytes, std::string& errors) {
    std::vector<char> buffer(size_t{1} << 20);
    bool outputOpen = true, errorsOpen = true;
    while (outputOpen || errorsOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Reading::TooLong;
        pollfd ready[2] = {{outputOpen ? child.output : -1, POLLIN, 0}, {errorsOpen ? child.errors : -1, POLLIN, 0}};
        int polled = ::poll(ready, 2, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
        if (polled < 0 && errno == EINTR) continue;
        if (polled < 0) return Reading::Failed;
        for (int k = 0; k < 2; ++k) {
            if (ready[k].revents == 0) continue;
            ssize_t got = ::read(ready[k].fd, buffer.data(), buffer.size());
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got < 0 && k == 0) return Reading::Failed;
            if (got <= 0) {
                (k == 0 ? outputOpen : errorsOpen) = false;
                continue;
            }
            size_t size = static_cast<size_t>(got);
            if (k == 1) {
                errors.append(buffer.data(), std::min(size, errorLimit - std::min(errorLimit, errors.size())));
                continue;
            }
            if (bytes.size() + size > limit) return Reading::TooLarge;
            bytes.append(buffer.data(), size);
        }
    }
    return Reading::Whole;
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
std::string childFailure(Reading reading, int status, const ImportLimits& limits) {
    const std::string memory = "fichier trop gros ou endommagé : la lecture dépasse " +
                               std::to_string(limits.memoryBytes / megabyte) + " Mo de mémoire";
    const std::string time = "délai dépassé : la lecture dure plus de " + std::to_string(limits.seconds) + " s";
    if (reading == Reading::TooLong) return time;
    if (reading == Reading::TooLarge) return memory;
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

bool importContained(const std::string& path, const ImportLimits& limits, ImportedModel& into,
                     std::string& failure) {
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
    Child child;
    if (!startChild(path, limits, child)) {
        failure = prefix + "lecteur de modèles introuvable (" + workerPath() + ") : " + std::strerror(errno);
        return false;
    }
    // A little beyond the child's own alarm, in case it cannot take it.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds + 2);
    std::string frame, errors;
    Reading reading = readChild(child, deadline, limits.memoryBytes, frame, errors);
    ::close(child.output);
    ::close(child.errors);
    if (reading != Reading::Whole) ::kill(child.pid, SIGKILL);
    int exit = waitFor(child.pid);
#ifdef KESTRUNE_ADDRESS_SANITIZER
    // The sanitizer's reports of the child, for the sanitizer runs.
    if (!errors.empty()) (void)!::write(2, errors.data(), errors.size());
#endif
    std::string childReason;
    if (reading == Reading::Whole && WIFEXITED(exit) && WEXITSTATUS(exit) == 0 &&
        decodeImport(frame, into, childReason)) {
        failure = childReason;
        return childReason.empty();
    }
    failure = prefix + childFailure(reading, exit, limits);
    return false;
}
