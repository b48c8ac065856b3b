// Pictures made by kestrune-batch against the window's own frames, and the
// ways a picture fails without leaving a file.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "state/view_state.h"
#include "support/batch_run.h"
#include "support/program_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string examples = KESTRUNE_EXAMPLES;

// What the user does in the window, and the picture options that say the same.
struct ViewCase {
    const char* model;
    std::vector<int> commands;
    bool pressReturn;
    int dragX, dragY;  // a left drag of so many pixels
    bool transparentOptions;
    const char* pictureOptions;
    const char* steps;
};

void PrintTo(const ViewCase& c, std::ostream* out) { *out << c.model << " " << c.pictureOptions << " " << c.steps; }

class SamePicture : public ProgramTest, public ::testing::WithParamInterface<ViewCase> {};

}  // namespace

TEST_P(SamePicture, AsTheWindowDrawsIt) {
    const ViewCase& c = GetParam();
    // A drawing area unlike the default, not square, so that a lost size or a
    // row order turned over shows.
    scripted::setDrawingSize(300, 200);
    if (c.transparentOptions) {
        std::ofstream(scratch / "optionsKestrune.txt")
            << "option 0 = 2\noption 1 = 64\noption 2 = 1\noption 3 = 1\noption 4 = 1\noption 5 = 2\n"
               "texture = 16744448\n";
    }
    scripted::queueOpenAnswer(examples + "/" + c.model);
    startProgram();
    for (int id : c.commands) command(id);
    if (c.pressReturn) tap(sys::Key::Return);
    if (c.dragX != 0 || c.dragY != 0) {
        scripted::setCursorScreen(400, 300);
        frame();
        scripted::setKey(sys::Key::LeftButton, true);
        scripted::setCursorScreen(400 + c.dragX, 300 + c.dragY);
        frame();
        scripted::setKey(sys::Key::LeftButton, false);
    }
    frame();
    std::vector<unsigned char> window = scripted::readDrawing();

    // From another folder: the texture is found beside the model.
    std::string arguments = std::string("--size 300x200 ") + c.pictureOptions +
                            (c.transparentOptions ? " --options optionsKestrune.txt " : " ") +
                            shellQuoted(examples + "/" + c.model) + " picture.png " + c.steps;
    ASSERT_EQ(runBatch(scratch, arguments), 0) << readText(scratch / "err.txt");
    Picture picture = readPng(scratch / "picture.png");
    ASSERT_EQ(picture.width, 300);
    ASSERT_EQ(picture.height, 200);
    ASSERT_EQ(picture.rgb.size(), window.size());
    size_t differing = 0;
    for (size_t i = 0; i < window.size(); ++i) differing += picture.rgb[i] != window[i];
    EXPECT_EQ(differing, 0u);
    // The model is there: the picture is not just the background.
    EXPECT_NE(std::count(window.begin(), window.end(), window[0]), static_cast<long>(window.size()));
}

INSTANTIATE_TEST_SUITE_P(
    FourViews, SamePicture,
    ::testing::Values(
        ViewCase{"cube.off", {}, false, 0, 0, false, "", ""},
        ViewCase{"tore.off", {ShowEdgesCommand}, false, 35, -50, false, "--turn 35,-50 --edges", ""},
        ViewCase{"cube.off", {ViewXOyCommand, ShowEdgesCommand}, true, 0, 0, false, "--view xoy --reversed --edges",
                 ""},
        ViewCase{"tetraedre.off",
                 {ViewXOzCommand, ShowFacesCommand, ShowVerticesCommand, ShowAxesCommand, LoopSubdivisionCommand},
                 false, 0, 0, false, "--view xoz --no-faces --points --axes", "loop"},
        ViewCase{"tore.off", {ViewYOzCommand, ShowGridCommand, ShowTextureCommand}, false, 0, 0, true,
                 "--view yoz --grid --uniform", ""}));

class FailedPicture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrune-picture-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        write("bon.off", "OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    }
    void TearDown() override { fs::remove_all(folder); }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    // Exit code 1, a message holding `words`, and no picture.
    void expectFailure(const std::string& arguments, const std::string& words, const std::string& environment = "") {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(runBatch(folder, arguments, environment), 1);
        EXPECT_NE(readText(folder / "err.txt").find(words), std::string::npos) << readText(folder / "err.txt");
        EXPECT_FALSE(fs::exists(folder / "image.png"));
    }
    fs::path folder;
};

TEST_F(FailedPicture, ExitsWithOneAndWritesNothing) {
    write("errone.off", "OFF\n3 1\n0 0 0\n1 0 0\n3 0 1 2\n");
    write("sans_texture.off", "OFF absente.jpg\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    write("mauvaise_texture.off", "OFF faux.jpg\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    write("faux.jpg", "pas une image");
    write("tube.off", "OFF tube.jpg\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    ASSERT_EQ(mkfifo((folder / "tube.jpg").c_str(), 0600), 0);
    expectFailure("errone.off image.png", "fichier modèle erroné");
    expectFailure("--thumbnail errone.off image.png 128", "fichier modèle erroné");
    expectFailure("absent.off image.png", "lecture impossible");
    expectFailure("sans_texture.off image.png", "Ouverture impossible de la texture");
    expectFailure("mauvaise_texture.off image.png", "endommagée");
    // A pipe named as the image would block its opening for ever.
    expectFailure("tube.off image.png", "Ouverture impossible de la texture");
    expectFailure("--options absent.txt bon.off image.png", "lecture impossible");
    expectFailure("bon.off image.png", "pas de contexte OpenGL", "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent");
    EXPECT_EQ(runBatch(folder, "bon.off dossier-absent/image.png"), 1);
    EXPECT_NE(readText(folder / "err.txt").find("écriture impossible"), std::string::npos);
    // A picture already there is left as it was.
    write("image.png", "ancienne");
    EXPECT_EQ(runBatch(folder, "errone.off image.png"), 1);
    EXPECT_EQ(readText(folder / "image.png"), "ancienne");
    // Without its image the model is still drawn in the uniform colour.
    EXPECT_EQ(runBatch(folder, "--uniform sans_texture.off uni.png"), 0);
    EXPECT_EQ(readPng(folder / "uni.png").width, 632);
}

TEST_F(FailedPicture, RefusesBadOptionsAsUsageErrors) {
    for (const char* arguments : {"--view dessus bon.off image.png", "--size 0 bon.off image.png",
                                  "--size 10x bon.off image.png", "--turn 30 bon.off image.png", "--thumbnail bon.off image.png",
                                  "bon.off image.png --edges", "bon.off image.png lisser", "--edges bon.off image.off"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(runBatch(folder, arguments), 2);
        // The reason, then one line pointing to --help.
        std::string err = readText(folder / "err.txt");
        EXPECT_EQ(err.rfind("kestrune-batch : ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
        EXPECT_TRUE(err.ends_with("\nEssayez « kestrune-batch --help » pour en savoir plus.\n")) << err;
        EXPECT_FALSE(fs::exists(folder / "image.png"));
        EXPECT_FALSE(fs::exists(folder / "image.off"));
    }
}

// A file manager may show the thumbnailer the model file alone: a texture it
// cannot reach, like a model without one, gives a light grey model whose lit
// shades read at thumbnail size, never a black one.
TEST_F(FailedPicture, ThumbnailsDrawWithoutAnUnusableTextureInLightGrey) {
    write("sans_texture.off", "OFF absente.jpg\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    write("mauvaise_texture.off", "OFF faux.jpg\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    write("faux.jpg", "pas une image");
    for (const char* model : {"sans_texture.off", "mauvaise_texture.off", "bon.off"}) {
        SCOPED_TRACE(model);
        ASSERT_EQ(runBatch(folder, std::string("--thumbnail ") + model + " vignette.png 128"), 0);
        Picture picture = readPng(folder / "vignette.png");
        ASSERT_EQ(picture.width, 128);
        // The model's pixels, those unlike the corner's background, are
        // lighter and grey: no colour, no black.
        const unsigned char background = picture.rgb[0];
        int modelPixels = 0;
        for (size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
            const unsigned char* p = &picture.rgb[i];
            if (std::abs(p[0] - background) > 24) {
                ++modelPixels;
                EXPECT_GT(p[0], background);
                EXPECT_LE(std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}), 2);
            }
        }
        EXPECT_GT(modelPixels, 128 * 128 / 20);
    }
    // An ordinary picture still fails without its texture.
    EXPECT_EQ(runBatch(folder, "sans_texture.off image.png"), 1);
}

namespace {

// What a thumbnail shows of its model: the pixels unlike the background (the
// corner's colour), their luminance and the box around them.
struct ThumbnailMeasure {
    double cover = 0.0;     // share of the picture
    double contrast = 0.0;  // mean luminance of the model against the background's, 0 to 255
    double dark = 0.0;      // the 10th and 90th luminance percentiles of the model
    double light = 0.0;
    int shades = 0;         // luminance bands of 24 holding 8 % of the model each, runs counted once
    double boxSide = 0.0;   // the larger side of the model's box, as a share of the picture's
    double offCentre = 0.0; // distance of the box's centre from the picture's, in pixels
};

double luminance(const unsigned char* p) { return 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]; }

ThumbnailMeasure measureThumbnail(const Picture& picture) {
    ThumbnailMeasure measure;
    const unsigned char* background = picture.rgb.data();
    std::vector<double> model;
    int left = picture.width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = &picture.rgb[3 * (static_cast<size_t>(y) * picture.width + x)];
            if (std::max({std::abs(p[0] - background[0]), std::abs(p[1] - background[1]),
                          std::abs(p[2] - background[2])}) <= 12) {
                continue;
            }
            model.push_back(luminance(p));
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (model.empty()) return measure;
    measure.cover = static_cast<double>(model.size()) / (picture.width * picture.height);
    double sum = 0.0;
    for (double l : model) sum += l;
    measure.contrast = std::abs(sum / model.size() - luminance(background));
    std::sort(model.begin(), model.end());
    measure.dark = model[model.size() / 10];
    measure.light = model[model.size() * 9 / 10];
    std::vector<size_t> bands(11);
    for (double l : model) ++bands[static_cast<size_t>(l / 24.0)];
    for (size_t b = 0; b < bands.size(); ++b) {
        bool held = bands[b] >= model.size() * 8 / 100;
        bool previousHeld = b > 0 && bands[b - 1] >= model.size() * 8 / 100;
        measure.shades += held && !previousHeld;
    }
    measure.boxSide = static_cast<double>(std::max(right - left, bottom - top) + 1) / picture.width;
    measure.offCentre = std::hypot((left + right + 1) / 2.0 - picture.width / 2.0,
                                   (top + bottom + 1) / 2.0 - picture.height / 2.0);
    return measure;
}

}  // namespace

// Thumbnails a file manager's user recognises: a three-quarter view from
// above (a cube shows three sides, each its own shade), the model in the
// middle filling the picture, on a background it stands out from, whatever
// its image: bricks, a checker, light grey without a texture, a dark
// uniform colour. Ordinary pictures keep the window's view (SamePicture).
TEST_F(FailedPicture, ThumbnailsShowTheModelLargeLitAndAgainstItsBackground) {
    fs::copy_file(examples + "/cube.off", folder / "cube.off");  // its bricks left behind
    write("sombre.txt", "option 0 = 1\noption 1 = 64\noption 2 = 1\noption 3 = 1\noption 4 = 1\noption 5 = 1\n"
                        "texture = 4210752\n");  // 0x404040, a dark grey
    const struct {
        std::string arguments;
        int shades;  // at least, for a model of one colour: its sides seen
    } cases[] = {
        {shellQuoted(examples + "/cube.off"), 0},
        {"cube.off", 3},
        {"--uniform --options sombre.txt cube.off", 0},
        {shellQuoted(examples + "/tetraedre.off"), 2},
        {shellQuoted(examples + "/tore.off"), 0},
    };
    for (const auto& c : cases) {
        for (int size : {128, 256}) {
            SCOPED_TRACE(c.arguments + " " + std::to_string(size));
            ASSERT_EQ(runBatch(folder, "--thumbnail " + c.arguments + " vignette.png " + std::to_string(size)), 0)
                << readText(folder / "err.txt");
            Picture picture = readPng(folder / "vignette.png");
            ASSERT_EQ(picture.width, size);
            ThumbnailMeasure m = measureThumbnail(picture);
            EXPECT_GE(m.cover, 0.4);
            EXPECT_GE(m.contrast, 64.0);
            // Two clearly different shades, a dark model's too.
            EXPECT_GE(m.light - m.dark, 24.0);
            EXPECT_GE(m.light, 1.3 * m.dark);
            EXPECT_GE(m.shades, c.shades);
            EXPECT_GE(m.boxSide, 0.9);
            EXPECT_LE(m.boxSide, 0.97);
            EXPECT_LE(m.offCentre, size / 32.0);
        }
    }
}
