#include "tools/picture.h"

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <new>

#include "app/commands.h"
#include "core/options.h"
#include "app/entry.h"
#include "app/frame.h"
#include "app/model_files.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "exchange/import/incoming_model.h"
#include "exchange/export/model_output.h"
#include "mesh/mesh.h"
#include "mesh/model_picture.h"
#include "mesh/off_reader.h"
#include "platform/scripted/scripted.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "resources/menu.h"
#include "tools/batch.h"
#include "tools/batch_options.h"
#include "tools/picture_options.h"
#include "tools/png_file.h"
#include "tools/thumbnail_view.h"
#include "render/render_state.h"

namespace {

namespace fs = std::filesystem;

// A thumbnailer runs unattended: past this time the run ends with code 1.
constexpr unsigned thumbnailSeconds = 20;
// A thumbnail without a usable picture: a light grey whose lit shades show
// the model's shape at any size (0x00BBGGRR).
constexpr long thumbnailColor = 0xC8C8C8;

void endHungThumbnail(int) {
    const char text[] = "kestrune-batch : vignette abandonnée, trop longue\n";
    ssize_t ignored = write(STDERR_FILENO, text, sizeof text - 1);
    (void)ignored;
    _exit(1);
}

void startWatchdog() {
    std::signal(SIGALRM, endHungThumbnail);
    alarm(thumbnailSeconds);
}

// The program's message boxes have no window here: a fatal error shows them
// on the error stream before the process ends.
void printShownBoxes() {
    for (const scripted::ShownBox& box : scripted::shownBoxes()) std::fprintf(stderr, "%s\n", box.text.c_str());
    releaseGlContext();
}

// The default options, or those of the given file, clamped as the window
// clamps them.
bool loadOptions(const PictureRequest& request, std::ostream& err) {
    return loadToolOptions(request.optionsFile, false, request.textureSize, request.commonBase, err);
}

// Reads the model as the window opens it; an imported model's picture is
// drawn from its bytes.
bool readModel(const std::string& path, bool thumbnail, std::ostream& err) {
    ModelRequest request;
    request.thumbnail = thumbnail;
    IncomingModel incoming;
    ModelRead read = readModelFile(path, request, mesh, incoming);
    if (read != ModelRead::Read) {
        err << (read == ModelRead::Malformed && !incoming.imported ? "" : "kestrune-batch : ") << incoming.failure
            << "\n";
        return false;
    }
    if (incoming.picture) {
        setTextureName(mesh, incoming.picture->file.name);
        modelPicture.jpeg = incoming.picture->file.bytes;
    }
    return true;
}

// Decodes the model's texture as opening it does, so that a missing or
// unusable image is reported here rather than as the window's fatal error.
// A thumbnail is drawn without it: a file manager may show it the model file
// alone, in a sandbox.
bool checkTexture(bool thumbnail, std::ostream& err) {
    if (mesh.textureFileName[0] == '\0') return true;
    const std::string& held = modelPicture.jpeg;
    // A pipe or a device named as the image would block the decoder's open.
    std::error_code ignored;
    TextureLoad result =
        !held.empty() ? decodeJpegTextureBytes(reinterpret_cast<const uint8_t*>(held.data()), held.size(),
                                               render.textures.scratchImage)
        : fs::is_regular_file(mesh.textureFileName, ignored)
            ? decodeJpegTexture(mesh.textureFileName, render.textures.scratchImage)
            : TextureLoad::CannotOpen;
    if (result == TextureLoad::Loaded) return true;
    err << "kestrune-batch : « " << mesh.textureFileName << " » : " << textureLoadMessage(result)
        << (thumbnail ? " (vignette dessinée sans elle)" : "") << "\n";
    if (!thumbnail) return false;
    setTextureName(mesh, "");
    modelPicture.jpeg.clear();
    return true;
}

// The menu commands the user would choose to see this view and these parts.
void chooseDisplay(const PictureRequest& request) {
    const int viewCommands[] = {PerspectiveCommand, ViewXOyCommand, ViewXOzCommand, ViewYOzCommand};
    runCommand(viewCommands[request.view]);
    // What a left drag of so many pixels does in the window.
    program.view.angleY = request.turnY;
    program.view.angleX = request.turnX;
    // Return in the window: the orthographic views from the other side.
    if (request.reversed) program.view.viewSign = -1.0f;
    if (!request.faces) runCommand(ShowFacesCommand);
    if (request.edges) runCommand(ShowEdgesCommand);
    if (request.points) runCommand(ShowVerticesCommand);
    if (request.axes) runCommand(ShowAxesCommand);
    if (request.grid) runCommand(ShowGridCommand);
    // Opening a model shows its image; the uniform colour is the other slot.
    program.display.textureSlot = request.uniform ? 0 : 1;
}

// Creates the drawing area and its GL context as the window's start-up does,
// the model's folder being the current directory as after the open dialog.
bool createDrawing(const PictureRequest& request, std::ostream& err) {
    scripted::reset();
    scripted::setDrawingSize(request.width, request.height);
    resizeView(request.width, request.height);
    std::error_code failed;
    fs::path previous = fs::current_path(failed);
    if (!failed) fs::current_path(fs::absolute(request.input).parent_path(), failed);
    if (failed) {
        err << "kestrune-batch : dossier du modèle inaccessible : " << failed.message() << "\n";
        return false;
    }
    bool textureUsable = checkTexture(request.thumbnail, err);
    // Asked for, the uniform colour stays the options' own.
    if (request.thumbnail && !request.uniform && mesh.textureFileName[0] == '\0') options.uniformColor = thumbnailColor;
    if (textureUsable) createGlContext();
    fs::current_path(previous, failed);
    if (!textureUsable) return false;
    if (!sys::surfaceContextExists()) {
        err << "kestrune-batch : pas de contexte OpenGL hors écran (EGL) de " << request.width << "x"
            << request.height << " : pilote absent ou image trop grande\n";
        return false;
    }
    return true;
}

// One frame of the window's frame code, read back; the program's messages
// (a GL error) make the picture fail.
bool drawPicture(const PictureRequest& request, std::vector<unsigned char>& pixels, std::ostream& err) {
    if (!createDrawing(request, err)) return false;
    chooseDisplay(request);
    if (request.thumbnail) useThumbnailView();
    renderFrame();
    presentFrame();
    pixels = scripted::readDrawing();
    releaseGlContext();
    for (const scripted::ShownBox& box : scripted::shownBoxes()) err << "kestrune-batch : " << box.text << "\n";
    return scripted::shownBoxes().empty() && !pixels.empty();
}

int makePicture(const PictureRequest& request, const std::vector<RemodelStep>& steps, std::ostream& err) {
    if (!loadOptions(request, err) || !readModel(request.input, request.thumbnail, err) || !applySteps(steps, err)) {
        return 1;
    }
    // With the uniform colour the model's image is not needed at all.
    if (request.uniform) {
        setTextureName(mesh, "");
        modelPicture.jpeg.clear();
    }
    std::vector<unsigned char> pixels;
    if (!drawPicture(request, pixels, err)) return 1;
    std::string problem;
    if (!writePngFile(request.output, request.width, request.height, pixels, problem)) {
        err << "kestrune-batch : " << problem << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int runPicture(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    PictureRequest request;
    std::string problem;
    if (parsePictureArguments(args, request, problem) == PictureArguments::UsageError) {
        err << "kestrune-batch : " << problem << "\n" << batchHelpHint;
        return 2;
    }
    // The drawing moves into the model's folder for a while.
    std::error_code ignored;
    request.output = fs::absolute(request.output, ignored).string();
    std::vector<RemodelStep> steps;
    std::string unknown;
    if (!remodelStepsNamed(request.steps, steps, unknown)) {
        err << "kestrune-batch : étape inconnue « " << unknown << " »\n" << batchHelpHint;
        return 2;
    }
    if (request.thumbnail) startWatchdog();
    registerFatalCleanup(printShownBoxes);
    int code = 1;
    try {
        code = makePicture(request, steps, err);
    } catch (const std::bad_alloc&) {
        // Reading, a step, the drawing's arrays or the encoding ran short.
        err << "kestrune-batch : mémoire insuffisante\n";
    }
    resetProgramState();
    if (request.thumbnail) alarm(0);
    return code;
}
