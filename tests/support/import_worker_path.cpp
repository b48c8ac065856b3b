// Points the import at the child program of this build before any test runs.
#include <cstdlib>

namespace {

const bool workerNamed = setenv("KESTRUNE_IMPORT_WORKER", KESTRUNE_IMPORT_WORKER_PATH, 0) == 0;

}  // namespace
