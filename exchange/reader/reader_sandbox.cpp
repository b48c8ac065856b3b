#include "core/address_sanitizer.h"
#include "exchange/reader/reader_sandbox.h"

#include "exchange/scene/confined_path.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/close_range.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The rights of later ABIs, which this system's header may not name yet.
constexpr uint64_t accessFsTruncate = uint64_t{1} << 14;   // ABI 3
constexpr uint64_t accessFsIoctlDev = uint64_t{1} << 15;   // ABI 5
constexpr uint64_t accessNetBindTcp = uint64_t{1} << 0;    // ABI 4
constexpr uint64_t accessNetConnectTcp = uint64_t{1} << 1;
constexpr uint64_t scopeAbstractUnixSocket = uint64_t{1} << 0;  // ABI 6
constexpr uint64_t scopeSignal = uint64_t{1} << 1;

// landlock_ruleset_attr as the newest ABIs have it; older kernels are given
// its first fields only.
struct RulesetAttributes {
    uint64_t handledAccessFs = 0;
    uint64_t handledAccessNet = 0;
    uint64_t scoped = 0;
};

uint64_t filesystemRights(int abi) {
    uint64_t rights = LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE |
                      LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                      LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                      LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK |
                      LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2) rights |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3) rights |= accessFsTruncate;
    if (abi >= 5) rights |= accessFsIoctlDev;
    return rights;
}

// Every right handled, reading beneath `folder` the only one granted.
bool applyLandlock(const std::string& folder, int abi) {
    RulesetAttributes attributes;
    attributes.handledAccessFs = filesystemRights(abi);
    size_t size = sizeof(uint64_t);
    if (abi >= 4) {
        attributes.handledAccessNet = accessNetBindTcp | accessNetConnectTcp;
        size = 2 * sizeof(uint64_t);
    }
    if (abi >= 6) {
        attributes.scoped = scopeAbstractUnixSocket | scopeSignal;
        size = sizeof attributes;
    }
    int ruleset = static_cast<int>(::syscall(SYS_landlock_create_ruleset, &attributes, size, 0));
    if (ruleset < 0) return false;
    int beneath = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    landlock_path_beneath_attr rule{};
    rule.allowed_access = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
    rule.parent_fd = beneath;
    bool applied = beneath >= 0 &&
                   ::syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0 &&
                   ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    if (beneath >= 0) ::close(beneath);
    ::close(ruleset);
    return applied;
}

// Calls reading a model and answering need, whatever their arguments.
constexpr int plainCalls[] = {
    SCMP_SYS(read),        SCMP_SYS(pread64),        SCMP_SYS(readv),         SCMP_SYS(lseek),
    SCMP_SYS(close),       SCMP_SYS(fstat),          SCMP_SYS(newfstatat),    SCMP_SYS(statx),
    SCMP_SYS(readlink),    SCMP_SYS(getcwd),         SCMP_SYS(access),        SCMP_SYS(faccessat),
    SCMP_SYS(faccessat2),  SCMP_SYS(getdents64),     SCMP_SYS(brk),           SCMP_SYS(mmap),
    SCMP_SYS(munmap),      SCMP_SYS(mremap),         SCMP_SYS(madvise),       SCMP_SYS(futex),
    SCMP_SYS(exit),        SCMP_SYS(exit_group),     SCMP_SYS(rt_sigreturn),  SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(getpid),      SCMP_SYS(gettid),         SCMP_SYS(geteuid),       SCMP_SYS(clock_gettime),
    SCMP_SYS(getrandom),   SCMP_SYS(sched_yield),    SCMP_SYS(restart_syscall),
};

// Allows `call` when its argument `index` compared by `op` with `value`
// (under `mask` for a masked comparison) holds.
bool allowWhen(scmp_filter_ctx filter, int call, unsigned index, scmp_compare op, scmp_datum_t value,
               scmp_datum_t mask = 0) {
    scmp_arg_cmp condition{};
    condition.arg = index;
    condition.op = op;
    condition.datum_a = op == SCMP_CMP_MASKED_EQ ? mask : value;
    condition.datum_b = op == SCMP_CMP_MASKED_EQ ? value : 0;
    return seccomp_rule_add_array(filter, SCMP_ACT_ALLOW, call, 1, &condition) == 0;
}

// The filter: any other call kills the process.
[[maybe_unused]] bool applySyscallFilter(bool landlock) {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (filter == nullptr) return false;
    bool built = true;
    for (int call : plainCalls) built = built && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    // Answers go to the pipes on standard output and error only.
    built = built && allowWhen(filter, SCMP_SYS(write), 0, SCMP_CMP_EQ, 1) &&
            allowWhen(filter, SCMP_SYS(write), 0, SCMP_CMP_EQ, 2);
    // Opens for reading only; without Landlock, openat2 (whose flags a
    // filter cannot see) says it does not exist, and the reader falls back
    // on openat. (O_TMPFILE holds O_DIRECTORY, which a read-only open of a
    // folder uses.)
    const scmp_datum_t writing = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | (O_TMPFILE & ~O_DIRECTORY);
    built = built && allowWhen(filter, SCMP_SYS(openat), 2, SCMP_CMP_MASKED_EQ, 0, writing);
    built = built &&
            seccomp_rule_add(filter, landlock ? SCMP_ACT_ALLOW : SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), 0) == 0;
    // Flags of an open file (the reader makes its opens blocking again).
    for (scmp_datum_t command : {F_GETFL, F_SETFL, F_GETFD}) {
        built = built && allowWhen(filter, SCMP_SYS(fcntl), 1, SCMP_CMP_EQ, command);
    }
    // Memory protections, never executable.
    built = built && allowWhen(filter, SCMP_SYS(mprotect), 2, SCMP_CMP_MASKED_EQ, 0, PROT_EXEC);
    built = built && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return built;
}

}  // namespace

ReaderConfinement confineReader(const std::string& folder) {
    ReaderConfinement held;
    // Nothing inherited past the pipes.
    ::syscall(SYS_close_range, 3u, ~0u, 0u);
    held.noNewPrivileges = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
    if (!held.noNewPrivileges) return held;
    int abi = landlockAbiVersion();
    if (abi > 0 && applyLandlock(folder, abi)) held.landlockAbi = abi;
#ifndef KESTRUNE_ADDRESS_SANITIZER
    // A sanitizer's own runtime makes calls of its own (reports, its
    // symbolizer): its builds keep Landlock only.
    held.syscallFilter = applySyscallFilter(held.landlockAbi > 0);
#endif
    return held;
}
