// Replacing a file's contents without ever leaving a damaged file behind,
// while keeping what the user had: the file a symbolic link points to, its
// mode and its group.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Replaces the file at `path` with what `writeContents` writes to the
// descriptor it is given (in as many writes as it likes; it returns false to
// give up). The contents go to an unnamed temporary file in the target's
// folder (a short named one, ".kestrune-PID-XXXXXX", where the system has no
// unnamed files), which is flushed, given the old file's mode and group and
// then renamed over the target; the folder is flushed too.
// A symbolic link is followed: the file it points to is replaced and the link
// stays. As the kernel does in a sticky folder anyone may write to (/tmp),
// another user's link there is refused (EACCES) unless it is the folder
// owner's. An existing target that is not a regular file, or that the user may
// not write (no write bit at all counts as read-only, even for root), is
// refused. On any failure nothing is left behind, the existing file is as it
// was, errno tells why and false is returned.
// Other hard links to the target keep the old contents: the rename gives the
// name a new file.
bool replaceFileWith(const std::string& path, const std::function<bool(int fd)>& writeContents);

// One file of a set replaced together.
struct FileReplacement {
    std::string path;
    std::function<bool(int fd)> writeContents;
};

// Replaces several files as one: every new file is written completely to a
// temporary in its target's folder and flushed before any target is touched
// (unnamed where the file system allows it, and named only once the whole
// set is written, so that a process killed meanwhile leaves nothing); only
// then are they renamed over their targets, companions first, `files`'s
// last one last. Two names that lead to one file are refused (EINVAL). Should a rename fail part way, the targets already replaced
// get their old contents back. On failure no target has changed, errno tells
// why and false is returned. Each file follows the rules of replaceFileWith.
bool replaceFilesTogether(const std::vector<FileReplacement>& files);

// replaceFileWith writing `contents` in one go.
bool replaceFileContents(const std::string& path, const std::string& contents);

// Writes all `size` bytes to `fd`, going on after short and interrupted
// writes. For the writers given to replaceFileWith.
bool writeAllTo(int fd, const char* data, size_t size);

// Removes the named temporaries that a save killed before its end left in
// `folder`: those whose process is gone, or untouched for over a minute.
void removeStaleTemporaries(const std::string& folder);
