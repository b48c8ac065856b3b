// Importing a model of another format without letting the file harm the
// program: the library reads it in a child process (kestrune-import) under a
// memory and a time limit, confined to the model's folder, and hands back the
// scene's vertices and faces, which the caller validates as it builds the
// model from them (installImportedModel).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <string>
#include <vector>

#include "exchange/scene/imported_scene.h"
#include "mesh/mesh.h"

// How much the child may use. Sized from the file: see importLimitsFor.
struct ImportLimits {
    uint64_t memoryBytes = 0;  // address space of the child
    unsigned seconds = 0;      // wall-clock time of the child
};

// The limits for a file of `fileSize` bytes; `thumbnail` gives the tighter
// limits of an unattended thumbnail.
ImportLimits importLimitsFor(uint64_t fileSize, bool thumbnail);

struct FrameReader;

// A child at work on one file: its pipes, its deadline and the frame read so
// far. Started by startImport, then advanced until it says it is done.
struct ImportJob {
    pid_t pid = -1;
    int output = -1;  // the read end of the child's standard output
    int errors = -1;  // and of its standard error: the child may write no file
    std::string path;
    ImportLimits limits;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point deadline;
    std::shared_ptr<FrameReader> frame;  // what the child sent so far
    std::string errorText;         // the first bytes of the child's error stream
    bool failedReading = false;
};

// Starts the child on `path`. False with `failure` set (naming the file)
// when the file is no regular file or the child cannot start.
bool startImport(const std::string& path, const ImportLimits& limits, ImportJob& job, std::string& failure);
// Reads what the child sent, waiting at most `waitMilliseconds` for it.
// True once the child has said all it will (or must be stopped: its time
// ran out, it sent more than its memory could hold): call finishImport.
bool advanceImport(ImportJob& job, int waitMilliseconds);
// Ends the child (killed if still running) and hands over what it found.
// False with `failure` set to a French sentence naming the file and the
// reason when the file cannot be read, the child fails, dies, runs out of
// memory or time.
bool finishImport(ImportJob& job, ImportedModel& into, std::string& failure);
// Stops the child at once and forgets it; nothing is kept.
void cancelImport(ImportJob& job);
// Whether `job` holds a started child not yet finished or cancelled.
bool importStarted(const ImportJob& job);
// The seconds since the child was started.
int importSeconds(const ImportJob& job);

// Reads `path` through the library in a child process, waiting for it:
// startImport, advanceImport until done, finishImport.
bool importContained(const std::string& path, const ImportLimits& limits, ImportedModel& into,
                     std::string& failure);

// Builds `into` as opening the Kestrune OFF file of the imported model would
// (readOffNumbers), checking every count and corner. False when the model
// does not fit (*memoryExhausted set when memory ran short); `into` is then
// as it was.
bool installImportedModel(const ImportedModel& model, Mesh& into, bool* memoryExhausted = nullptr);
