// The one way a model file comes in, for the window, kestrune-batch, its
// pictures and the thumbnailer alike: a path and what the caller needs in;
// the model, its picture and what to tell out. A Kestrune OFF file is read
// by the program's own reader; any other format by the contained import
// (contained_import.h), whose picture follows one rule wherever it was
// stored: beside the file, inside it (a GLB buffer, an FBX embedded
// texture, a data URI) or nowhere.
#pragma once

#include <optional>
#include <string>

#include "exchange/import/contained_import.h"
#include "exchange/scene/texture_file.h"
#include "mesh/mesh.h"

struct ModelRequest {
    bool thumbnail = false;       // the tighter limits of an unattended thumbnail
    bool throughLibrary = false;  // import even a Kestrune OFF file (kestrune-batch --import)
};

// The picture that came with an imported model. One stored inside the file
// (or named with what an OFF header cannot hold) goes by the model file's
// name with ".jpg" while it is shown; saved beside an OFF file, it takes
// that file's name (savedPicture).
struct IncomingPicture {
    TextureFile file;
    bool takesSavedName = false;
};

// What came in besides the mesh.
struct IncomingModel {
    std::string path;                    // the file it came from
    bool imported = false;
    ImportedModel scene;                 // an import's arrays, until installed
    std::optional<IncomingPicture> picture;
    std::string notes;                   // for the user: French lines, each ending in '\n'
    std::string quietNotes;              // for a log only
    bool headerWhole = true;             // a Kestrune OFF header holds nothing past its texture name
    std::string failure;                 // why the model did not come, a French sentence
};

enum class ModelRead { Read, Unreadable, Malformed, OutOfMemory, ImportFailed };

// Whether `path` is read as Kestrune OFF: a name ending in .off, or a file
// whose text starts with the keyword OFF (as its MIME type says: a model
// named without the extension), or one that cannot be read, which the OFF
// path reports. Anything else goes to the import.
bool readsAsKestruneOff(const std::string& path);

// The limits of the import of `path`, from its size.
ImportLimits importLimitsOf(const std::string& path, const ModelRequest& request);

// Reads the model at `path`: a Kestrune OFF file straight into `into`; any
// other file through the import child into `incoming.scene` (`into` is left
// alone until installIncoming). `incoming.failure` says why not.
ModelRead receiveModel(const std::string& path, const ModelRequest& request, Mesh& into, IncomingModel& incoming);

// The same in steps, so that a window can go on drawing: starts the child
// (false with `incoming.failure` set), then, once advanceImport says it is
// done, hands over what it found.
bool startModelImport(const std::string& path, const ModelRequest& request, ImportJob& job,
                      IncomingModel& incoming);
ModelRead finishModelImport(ImportJob& job, IncomingModel& incoming);

// Builds `into` from an import's arrays as opening its Kestrune OFF file
// would; the arrays are released unless `keepScene`. `into` is left as it
// was on failure. Nothing to do for a Kestrune OFF file.
ModelRead installIncoming(IncomingModel& incoming, Mesh& into, bool keepScene = false);

// receiveModel, then installIncoming.
ModelRead readModelFile(const std::string& path, const ModelRequest& request, Mesh& into, IncomingModel& incoming);

// The picture as written beside a saved file: one stored inside the model
// gets its name from the saved file (the writer names it).
TextureFile savedPicture(const IncomingPicture& picture);
