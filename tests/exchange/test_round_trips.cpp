// Models exported and imported back, and read by OpenMesh.
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/PolyMesh_ArrayKernelT.hh>
#include <assimp/Importer.hpp>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <iterator>

#include "core/section_writer.h"

#include "exchange_fixture.h"

namespace {

struct Format {
    std::vector<std::string> flags;  // export flags
    const char* name;                // output file
    bool keepsQuads;
};

const std::vector<Format> formats = {
    {{}, "x.obj", true},          {{}, "x.ply", true},           {{"--ascii"}, "a.ply", true},
    {{}, "x.stl", false},         {{"--ascii"}, "a.stl", false}, {{}, "x.gltf", false},
    {{}, "x.glb", false},         {{"--standard-off"}, "s.off", true},
};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& tail) {
    args.insert(args.end(), tail.begin(), tail.end());
    return args;
}

TEST_F(ExchangeTest, EveryFormatGivesBackTheSameFaces) {
    std::vector<Face> house = facesOf("house.off");
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        ASSERT_EQ(run(with(format.flags, {path("house.off"), path(format.name)})), 0) << err.str();
        ASSERT_EQ(run({"--import", path(format.name), path("back.off")}), 0) << err.str();
        expectSameFaces(facesOf("back.off"), format.keepsQuads ? house : triangulated(house));
    }
    // A subdivided model survives the trip too.
    ASSERT_EQ(run({path("house.off"), path("fine.glb"), "triangles", "loop"}), 0);
    ASSERT_EQ(run({path("house.off"), path("fine.off"), "triangles", "loop"}), 0);
    ASSERT_EQ(run({path("fine.glb"), path("fine-back.off")}), 0);
    expectSameFaces(facesOf("fine-back.off"), facesOf("fine.off"));
}

std::vector<Point> sortedPositions(const OpenMesh::PolyMesh_ArrayKernelT<>& m) {
    std::vector<Point> points;
    for (auto v : m.vertices()) {
        auto p = m.point(v);
        points.push_back({p[0], p[1], p[2]});
    }
    std::sort(points.begin(), points.end());
    return points;
}

TEST_F(ExchangeTest, OpenMeshReadsWhatIsExported) {
    ASSERT_TRUE(load("house.off"));
    std::vector<Point> expected;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        expected.push_back({fileCoordinate(mesh.vertexX[v], mesh.modelScale, mesh.modelCenter[0]),
                            fileCoordinate(mesh.vertexY[v], mesh.modelScale, mesh.modelCenter[1]),
                            fileCoordinate(mesh.vertexZ[v], mesh.modelScale, mesh.modelCenter[2])});
    }
    std::sort(expected.begin(), expected.end());
    for (const Format& format : formats) {
        std::string name = format.name;
        if (name.find(".gl") != std::string::npos) continue;
        SCOPED_TRACE(name);
        ASSERT_EQ(run(with(format.flags, {path("house.off"), path(name)})), 0);
        OpenMesh::PolyMesh_ArrayKernelT<> peer;
        ASSERT_TRUE(OpenMesh::IO::read_mesh(peer, path(name)));
        EXPECT_EQ(peer.n_faces(), format.keepsQuads ? 9u : 14u);
        std::vector<Point> got = sortedPositions(peer);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t v = 0; v < got.size(); ++v) EXPECT_TRUE(near(got[v], expected[v]));
    }
}

}  // namespace

namespace {

// A wavy grid of quads and triangles, big enough for many pieces.
std::string gridText(int side) {
    std::ostringstream text;
    int rows = side + 1;
    text << "OFF\n" << rows * rows << " " << side * side + side * side / 2 << "\n";
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < rows; ++j) text << 10 + i * 0.37 << " " << j * 0.29 - 3 << " " << (i * j % 7) * 0.11 << "\n";
    }
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            int a = i * rows + j, b = a + rows, c = b + 1, d = a + 1;
            if ((i + j) % 2 == 0) text << "4 " << a << " " << b << " " << c << " " << d << "\n";
            else text << "3 " << a << " " << b << " " << c << "\n3 " << a << " " << c << " " << d << "\n";
        }
    }
    return text.str();
}

std::string streamed(const FileSections& sections, size_t pieceSize) {
    std::string bytes;
    bool memoryExhausted = false;
    EXPECT_TRUE(writeSections(sections, [&](const char* data, size_t size) {
        bytes.append(data, size);
        return true;
    }, pieceSize, &memoryExhausted));
    return bytes;
}

}  // namespace

TEST_F(ExchangeTest, StreamedFilesEqualTheirOneBufferText) {
    write("grid.off", gridText(24));
    ASSERT_TRUE(load("grid.off"));
    TextureFile texture{"briques.jpg", read(KESTRUNE_EXAMPLES "/briques.jpg")};
    MappingSettings mapping{3, mesh.commonBaseLength, measureLongestBaseEdge(mesh), textureRepeatScale(256)};
    for (const char* name : {"x.obj", "x.ply", "x.stl", "x.gltf", "x.glb", "s.off"}) {
        for (bool ascii : {false, true}) {
            SCOPED_TRACE(std::string(name) + (ascii ? " ascii" : ""));
            std::vector<ExportedFile> files;
            ExportFormat format;
            std::string problem;
            if (std::string(name) == "s.off") {
                files.push_back({path(name), standardOffFile()});
            } else {
                ASSERT_TRUE(exportFormatFor(name, ascii, format, problem));
                ASSERT_TRUE(exportFiles(path(name), format, mapping, 0x336699, &texture, files, problem)) << problem;
            }
            size_t largest = 0;
            for (const ExportedFile& file : files) {
                std::string whole = sectionsText(file.sections);
                largest = std::max(largest, whole.size());
                EXPECT_EQ(streamed(file.sections, 1024), whole) << file.path;
                EXPECT_EQ(streamed(file.sections, 1 << 20), whole) << file.path;
            }
            EXPECT_GT(largest, 8u * 1024);  // many pieces of 1024 bytes
        }
    }
}

// Records of every length up to the longest, in runs of one record to
// thousands, made on two threads into pieces that hold a few records each,
// and a run whose records read what work beside fills in slowly: the sink
// gets them whole and in order, none made before its work is over; a sink
// that fails is not called again and its errno comes back.
TEST(SectionWriter, PiecesMadeOnTwoThreadsComeInOrderAndAFailureStopsThem) {
    auto run = [](int64_t count, int64_t salt) {
        return Section{count, 40, [salt](char* out, int64_t k) {
                           int64_t length = (k * 7 + salt) % 41;
                           for (int64_t i = 0; i < length; ++i) *out++ = static_cast<char>('a' + (k + i) % 26);
                           return out;
                       }};
    };
    auto file = [&] {
        auto filled = std::make_shared<std::string>(3000, '?');
        Section late{3000, 1, [filled](char* out, int64_t k) {
                         *out = (*filled)[static_cast<size_t>(k)];
                         return out + 1;
                     }};
        late.ready = startBeside([filled] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            filled->assign(filled->size(), 'z');
        });
        return FileSections{bytesSection("head"), run(1, 3), run(5000, 1), late, zerosSection(3), run(20000, 5)};
    };
    std::string whole = sectionsText(file());
    ASSERT_GT(whole.size(), 400000u);
    ASSERT_EQ(whole.find('?'), std::string::npos);
    for (size_t pieceSize : {size_t{1}, size_t{97}, size_t{1} << 20}) {
        std::string bytes;
        size_t largest = 0;
        ASSERT_TRUE(writeSections(file(), [&](const char* data, size_t size) {
            bytes.append(data, size);
            largest = std::max(largest, size);
            return true;
        }, pieceSize));
        EXPECT_LE(largest, std::max<size_t>(pieceSize, 256));
        EXPECT_TRUE(bytes == whole) << "pieces of " << pieceSize;
    }
    int calls = 0;
    EXPECT_FALSE(writeSections(file(), [&](const char*, size_t) {
        if (++calls < 3) return true;
        errno = ENOSPC;
        return false;
    }, 64));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(calls, 3);
}

// PLY faces are a list named vertex_indices, the name most readers know
// (meshio knows no other: tests/exchange/meshio_reads_ply.sh); Assimp itself,
// not the import child's own reader, reads both encodings with every corner.
TEST_F(ExchangeTest, PlyFacesCarryTheCommonPropertyName) {
    std::vector<Face> house = facesOf("house.off");
    for (bool ascii : {false, true}) {
        SCOPED_TRACE(ascii ? "ascii" : "binary");
        std::vector<std::string> args = {path("house.off"), path("x.ply")};
        if (ascii) args.insert(args.begin(), "--ascii");
        ASSERT_EQ(run(args), 0) << err.str();
        std::string text = read("x.ply");
        std::string header = text.substr(0, text.find("end_header\n"));
        EXPECT_NE(header.find("\nelement face 9\nproperty list uchar int vertex_indices\n"), std::string::npos)
            << header;
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path("x.ply"), 0);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_EQ(scene->mNumMeshes, 1u);
        const aiMesh* got = scene->mMeshes[0];
        ASSERT_EQ(got->mNumFaces, house.size());
        for (unsigned f = 0; f < got->mNumFaces; ++f) {
            const aiFace& face = got->mFaces[f];
            ASSERT_EQ(face.mNumIndices, house[f].size()) << "face " << f;
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                const aiVector3D& p = got->mVertices[face.mIndices[k]];
                EXPECT_TRUE(near({p.x, p.y, p.z}, house[f][k])) << "face " << f;
            }
        }
    }
}

TEST_F(ExchangeTest, OutputFormatsNotWrittenAreUsageErrorsThatTouchNothing) {
    for (const char* name : {"kept.3mf", "kept.3ds", "kept.pbrt", "kept.fbx", "kept.dae", "kept.xyz", "kept"}) {
        SCOPED_TRACE(name);
        write(name, "kept");
        fs::permissions(path(name), fs::perms::owner_read);
        size_t entries = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
        EXPECT_EQ(run({path("house.off"), path(name)}), 2);
        EXPECT_NE(err.str().find("les formats écrits sont .off, .obj, .ply, .stl, .gltf, .glb"), std::string::npos)
            << err.str();
        EXPECT_EQ(read(name), "kept");
        EXPECT_EQ(fs::status(path(name)).permissions() & fs::perms::all, fs::perms::owner_read);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
                  static_cast<std::ptrdiff_t>(entries));
    }
}
