// Every entry point takes a model in through the same door: the window (its
// open dialog), kestrune-batch's conversions and its pictures give the same
// model and the same picture, wherever the file keeps its picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/model_files.h"
#include "app/pending_import.h"
#include "mesh/mesh.h"
#include "mesh/model_picture.h"
#include "mesh/off_reader.h"
#include "render/render_state.h"
#include "support/batch_run.h"
#include "support/program_fixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path examples = KESTRUNE_EXAMPLES;

std::string base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        unsigned word = static_cast<unsigned char>(bytes[at]) << 16;
        if (at + 1 < bytes.size()) word |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (at + 2 < bytes.size()) word |= static_cast<unsigned char>(bytes[at + 2]);
        const size_t present = std::min<size_t>(3, bytes.size() - at);
        for (size_t k = 0; k < 4; ++k) text += k <= present ? digits[(word >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

bool sameModel(const Mesh& a, const Mesh& b) {
    if (a.vertexCount != b.vertexCount || a.faceCount != b.faceCount) return false;
    for (int32_t v = 0; v < a.vertexCount; ++v) {
        if (a.vertexX[v] != b.vertexX[v] || a.vertexY[v] != b.vertexY[v] || a.vertexZ[v] != b.vertexZ[v]) return false;
    }
    for (int32_t f = 0; f < a.faceCount; ++f) {
        if (a.faceA[f] != b.faceA[f] || a.faceB[f] != b.faceB[f] || a.faceC[f] != b.faceC[f] || a.faceD[f] != b.faceD[f]) {
            return false;
        }
    }
    return true;
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

void replaceOnce(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// An ASCII FBX quad whose material's picture is stored in the file.
std::string fbxWithEmbeddedPicture(const std::string& jpeg) {
    return "; FBX 7.4.0 project file\nFBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n}\n"
           "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
           "\t\tP: \"UnitScaleFactor\", \"double\", \"Number\", \"\",100\n\t}\n}\nObjects:  {\n"
           "\tGeometry: 1001, \"Geometry::quad\", \"Mesh\" {\n\t\tVertices: *12 {\n\t\t\ta: 0,0,0,1,0,0,1,1,0,0,1,0\n\t\t}\n"
           "\t\tPolygonVertexIndex: *4 {\n\t\t\ta: 0,1,2,-4\n\t\t}\n\t\tGeometryVersion: 124\n"
           "\t\tLayerElementMaterial: 0 {\n\t\t\tVersion: 101\n\t\t\tMappingInformationType: \"AllSame\"\n"
           "\t\t\tReferenceInformationType: \"IndexToDirect\"\n\t\t\tMaterials: *1 {\n\t\t\t\ta: 0\n\t\t\t}\n\t\t}\n"
           "\t\tLayer: 0 {\n\t\t\tVersion: 100\n\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementMaterial\"\n"
           "\t\t\t\tTypedIndex: 0\n\t\t\t}\n\t\t}\n\t}\n"
           "\tModel: 1002, \"Model::quad\", \"Mesh\" {\n\t\tVersion: 232\n\t}\n"
           "\tMaterial: 1003, \"Material::bricks\", \"\" {\n\t\tVersion: 102\n\t\tShadingModel: \"phong\"\n\t}\n"
           "\tTexture: 1004, \"Texture::bricks\", \"\" {\n\t\tType: \"TextureVideoClip\"\n\t\tVersion: 202\n"
           "\t\tFileName: \"briques.jpg\"\n\t\tRelativeFilename: \"briques.jpg\"\n\t}\n"
           "\tVideo: 1005, \"Video::bricks\", \"Clip\" {\n\t\tType: \"Clip\"\n\t\tFileName: \"briques.jpg\"\n"
           "\t\tRelativeFilename: \"briques.jpg\"\n\t\tContent: , \"" +
           base64(jpeg) +
           "\"\n\t}\n}\nConnections:  {\n\tC: \"OO\",1001,1002\n\tC: \"OO\",1002,0\n\tC: \"OO\",1003,1002\n"
           "\tC: \"OP\",1004,1003, \"DiffuseColor\"\n\tC: \"OO\",1005,1004\n}\n";
}

const char* const cubeObj =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

struct PicturePlace {
    const char* name;
    const char* model;       // in the folder "modele"
    const char* savedName;   // the picture's name beside an OFF save named x.off; empty: none
    const char* shownName;   // the name the window shows it under
};

void PrintTo(const PicturePlace& place, std::ostream* out) { *out << place.name; }

class SameModelEveryWay : public ProgramTest, public ::testing::WithParamInterface<PicturePlace> {
protected:
    std::string bricks = readText(examples / "briques.jpg");
    fs::path folder;

    // The model file of each place, alone in its folder but for what it names.
    void makeModel(const std::string& place) {
        folder = scratch / "modele";
        fs::create_directories(folder);
        fs::path work = scratch / "travail";
        fs::create_directories(work);
        if (place == "beside" || place == "none") {
            writeText(folder / "cube.obj", (place == "beside" ? "mtllib cube.mtl\nusemtl b\n" : "") + std::string(cubeObj));
            if (place == "beside") {
                writeText(folder / "cube.mtl", "newmtl b\nmap_Kd briques.jpg\n");
                writeText(folder / "briques.jpg", bricks);
            }
        } else if (place == "glb") {
            ASSERT_EQ(runBatch(work, shellQuoted(examples / "cube.off") + " " + shellQuoted(folder / "cube.glb")), 0);
        } else if (place == "fbx") {
            writeText(folder / "carre.fbx", fbxWithEmbeddedPicture(bricks));
        } else if (place == "data uri") {
            ASSERT_EQ(runBatch(work, shellQuoted(examples / "cube.off") + " cube.gltf"), 0);
            std::string gltf = readText(work / "cube.gltf");
            replaceOnce(gltf, "\"uri\":\"cube.bin\"",
                        "\"uri\":\"data:application/octet-stream;base64," + base64(readText(work / "cube.bin")) + "\"");
            replaceOnce(gltf, "\"uri\":\"briques.jpg\"", "\"uri\":\"data:image/jpeg;base64," + base64(bricks) + "\"");
            writeText(folder / "cube.gltf", gltf);
        }
    }
};

}  // namespace

TEST_P(SameModelEveryWay, WindowBatchAndPicturesAgree) {
    const PicturePlace& place = GetParam();
    makeModel(place.name);
    if (HasFatalFailure()) return;
    const fs::path model = folder / place.model;
    const bool pictured = place.savedName[0] != '\0';
    scripted::setDrawingSize(160, 120);

    // The window: the open dialog answered with the file, the model drawn.
    scripted::queueOpenAnswer(model.string());
    startProgram();
    finishPendingImport();
    frame();
    ASSERT_TRUE(scripted::shownBoxes().empty()) << scripted::shownBoxes()[0].text;
    std::vector<unsigned char> window = scripted::readDrawing();
    EXPECT_EQ(modelPicture.jpeg, pictured ? bricks : std::string());

    // Sauver as OFF puts the picture beside the saved model.
    fs::create_directories(scratch / "sauve");
    scripted::queueSaveAnswer((scratch / "sauve" / "x.off").string());
    command(SaveModelCommand);
    ASSERT_TRUE(scripted::shownBoxes().empty()) << scripted::shownBoxes()[0].text;
    EXPECT_STREQ(mesh.textureFileName, place.shownName) << "a save leaves the shown picture as it was";
    const std::string saved = readText(scratch / "sauve" / "x.off");
    EXPECT_EQ(saved.substr(0, saved.find('\n')), std::string("OFF  ") + place.savedName);
    if (pictured) {
        EXPECT_EQ(readText(scratch / "sauve" / place.savedName), bricks);
    }

    // kestrune-batch: the conversion reads as the window's model, with the
    // same header and its picture beside it.
    fs::create_directories(scratch / "lot");
    ASSERT_EQ(runBatch(scratch / "lot", shellQuoted(model) + " x.off"), 0) << readText(scratch / "lot" / "err.txt");
    const std::string converted = readText(scratch / "lot" / "x.off");
    EXPECT_EQ(converted.substr(0, converted.find('\n')), saved.substr(0, saved.find('\n')));
    Mesh fromBatch;
    ASSERT_TRUE(readOffText(converted.data(), converted.size(), fromBatch));
    EXPECT_TRUE(sameModel(fromBatch, mesh));
    emptyMesh(fromBatch);
    if (pictured) {
        EXPECT_EQ(readText(scratch / "lot" / place.savedName), bricks);
    }

    // Its pictures: of the file and of its conversion, as the window drew it.
    for (const fs::path& drawn : {model, scratch / "lot" / "x.off"}) {
        ASSERT_EQ(runBatch(scratch, "--size 160x120 " + shellQuoted(drawn) + " dessin.png"), 0)
            << readText(scratch / "err.txt");
        Picture picture = readPng(scratch / "dessin.png");
        ASSERT_EQ(picture.width, 160);
        EXPECT_TRUE(picture.rgb == window) << drawn;
    }
}

INSTANTIATE_TEST_SUITE_P(PicturePlaces, SameModelEveryWay,
                         ::testing::Values(PicturePlace{"beside", "cube.obj", "briques.jpg", "briques.jpg"},
                                           PicturePlace{"glb", "cube.glb", "x.jpg", "cube.jpg"},
                                           PicturePlace{"fbx", "carre.fbx", "x.jpg", "carre.jpg"},
                                           PicturePlace{"data uri", "cube.gltf", "x.jpg", "cube.jpg"},
                                           PicturePlace{"none", "cube.obj", "", ""}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) c = c == ' ' ? '_' : c;
                             return name;
                         });
