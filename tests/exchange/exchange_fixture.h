// A scratch folder, the batch command and the models read back, shared by
// the exchange tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "tools/batch.h"
#include "exchange/export/export_set.h"

namespace fs = std::filesystem;

using Point = std::array<float, 3>;
using Face = std::vector<Point>;

// A box of quads under a four-sided roof of triangles, off the origin so that
// file units differ from view coordinates.
inline const char* const houseText =
    "OFF\n9 9\n"
    "100 -2 0\n102.5 -2 0\n102.5 -0.5 0\n100 -0.5 0\n"
    "100 -2 3.25\n102.5 -2 3.25\n102.5 -0.5 3.25\n100 -0.5 3.25\n101.25 -1.25 4.5\n"
    "4 0 3 2 1\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n"
    "3 4 5 8\n3 5 6 8\n3 6 7 8\n3 7 4 8\n";

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrune-exchange-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        write("house.off", houseText);
    }
    void TearDown() override {
        freeModel();
        fs::remove_all(folder);
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream file(name.find('/') == std::string::npos ? path(name) : name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    int run(std::vector<std::string> args) {
        out.str(""), err.str("");
        return runBatch(args, out, err);
    }
    // Reads a Kestrune OFF file into the global mesh with the program's reader.
    bool load(const std::string& name) const {
        std::string text = read(name);
        return readOffText(text.data(), text.size(), mesh);
    }
    // The faces of a Kestrune OFF file, each as its corners' file coordinates.
    std::vector<Face> facesOf(const std::string& name) const {
        std::vector<Face> faces;
        if (!load(name)) return faces;
        for (int f = 0; f < mesh.faceCount; ++f) {
            Face face;
            for (int v : {mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]}) {
                if (v < 0) continue;
                face.push_back({fileCoordinate(mesh.vertexX[v], mesh.modelScale, mesh.modelCenter[0]),
                                fileCoordinate(mesh.vertexY[v], mesh.modelScale, mesh.modelCenter[1]),
                                fileCoordinate(mesh.vertexZ[v], mesh.modelScale, mesh.modelCenter[2])});
            }
            faces.push_back(face);
        }
        return faces;
    }

    fs::path folder;
    std::ostringstream out, err;
};

// Quads cut as (A, B, C) + (A, C, D), the way the window draws them.
inline std::vector<Face> triangulated(const std::vector<Face>& faces) {
    std::vector<Face> triangles;
    for (const Face& f : faces) {
        triangles.push_back({f[0], f[1], f[2]});
        if (f.size() == 4) triangles.push_back({f[0], f[2], f[3]});
    }
    return triangles;
}

inline bool near(const Point& a, const Point& b) {
    for (int k = 0; k < 3; ++k) {
        if (std::abs(a[k] - b[k]) > 2e-6f * std::max(1.0f, std::abs(b[k]))) return false;
    }
    return true;
}

inline void expectSameFaces(const std::vector<Face>& got, const std::vector<Face>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t f = 0; f < got.size(); ++f) {
        ASSERT_EQ(got[f].size(), expected[f].size()) << "face " << f;
        for (size_t k = 0; k < got[f].size(); ++k) EXPECT_TRUE(near(got[f][k], expected[f][k])) << "face " << f;
    }
}
