// What the import child may still do once it reads a model: the kernel, not
// our own checks, holds it to reading beneath the model's folder and
// answering on the pipes it was given.
#pragma once

#include <string>

// What the kernel could enforce.
struct ReaderConfinement {
    bool noNewPrivileges = false;
    int landlockAbi = 0;     // 0: no Landlock, files anywhere may be read
    bool syscallFilter = false;
};

// Restricts this process for good, before it reads a byte of the model:
// no new privileges; with Landlock, reading only beneath `folder` (files and
// folders) and no write, create, remove, rename, link, truncate, device
// control, network or signal to another process anywhere; a seccomp filter
// that kills the process on any system call reading and answering do not
// need (sockets, exec, fork, ptrace, kill, chmod, unlink, ...), opens being
// read-only, writes going to standard output and error only. Every
// descriptor from 3 up is closed first. What held is returned.
ReaderConfinement confineReader(const std::string& folder);
