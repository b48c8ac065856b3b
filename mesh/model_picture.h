// The picture the model is drawn and saved with, beside the mesh that names
// it (mesh.textureFileName): its JPEG bytes and where they came from. The
// drawing decodes them, the saves write them.
#pragma once

#include <string>

struct ModelPicture {
    // The JPEG file's bytes: read when the model's picture is first drawn,
    // or brought by an import (then no file of it stands beside the model).
    std::string jpeg;
    // Brought by an import: an OFF save puts it beside the saved file.
    bool imported = false;
    // Stored inside the imported file: an OFF save names it after the
    // saved file.
    bool takesSavedName = false;
};

extern ModelPicture modelPicture;
