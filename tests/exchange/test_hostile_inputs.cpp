// Model files from anywhere: what they name is read only inside their folder,
// and a reader that runs away or dies ends the import with a reason, never
// the program, and nothing is written.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <sstream>

#include "exchange/scene/confined_path.h"
#include "exchange/import/contained_import.h"
#include "exchange/scene/import_wire.h"
#include "exchange_fixture.h"

namespace {

// A one-triangle glTF whose buffer is at `uri`.
std::string triangleGltf(const std::string& uri, const std::string& nodes = R"([{"mesh":0}])") {
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":)" + nodes +
           R"(,"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)"
           R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],)"
           R"("bufferViews":[{"buffer":0,"byteLength":36}],"buffers":[{"uri":")" +
           uri + R"(","byteLength":36}]})";
}

const std::string testData = KESTRUNE_TEST_DATA "/exchange/";
// The triangle's buffer inside the file.
const std::string dataUri = "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA";

const std::string triangleBytes = [] {
    const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    return std::string(reinterpret_cast<const char*>(corners), sizeof corners);
}();

// Runs the import with another child program in place of the reader.
class ContainedImport : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        if (const char* worker = std::getenv("KESTRUNE_IMPORT_WORKER")) saved = worker;
    }
    void TearDown() override {
        if (saved.empty()) unsetenv("KESTRUNE_IMPORT_WORKER");
        else setenv("KESTRUNE_IMPORT_WORKER", saved.c_str(), 1);
        ExchangeTest::TearDown();
    }
    void useWorker(const std::string& script) {
        write("worker.sh", "#!/bin/sh\n" + script + "\n");
        ::chmod(path("worker.sh").c_str(), 0755);
        setenv("KESTRUNE_IMPORT_WORKER", path("worker.sh").c_str(), 1);
    }
    std::string saved;
};

}  // namespace

TEST_F(ExchangeTest, CompanionFilesAreReadOnlyInsideTheModelsFolder) {
    fs::create_directories(folder / "model" / "sub");
    fs::create_directories(folder / "outside");
    write("outside/secret.bin", triangleBytes);
    write("model/sub/buffer.bin", triangleBytes);
    fs::create_symlink("../../outside/secret.bin", folder / "model" / "sub" / "link.bin");
    ASSERT_EQ(::mkfifo(path("model/fifo.bin").c_str(), 0600), 0);
    const bool device = ::mknod(path("model/zero.bin").c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0;
    struct Case {
        std::string uri;
        bool read;
    };
    std::vector<Case> cases = {{"sub/buffer.bin", true},
                               {dataUri, true},
                               {"../outside/secret.bin", false},
                               {path("outside/secret.bin"), false},
                               {"sub/link.bin", false},
                               {"fifo.bin", false}};
    if (device) cases.push_back({"zero.bin", false});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uri);
        write("model/m.gltf", triangleGltf(c.uri));
        fs::remove(path("m.off"));
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(run({path("model/m.gltf"), path("m.off")}), c.read ? 0 : 1) << err.str();
        EXPECT_EQ(fs::exists(path("m.off")), c.read);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    // A texture named outside the folder is left out, with the reason.
    write("outside/tile.jpg", read(testData + "tile.jpg"));
    write("model/t.obj", "mtllib t.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl t\nf 1 2 3\n");
    for (const std::string& name : {std::string("../outside/tile.jpg"), path("outside/tile.jpg")}) {
        write("model/t.mtl", "newmtl t\nmap_Kd " + name + "\n");
        EXPECT_EQ(run({path("model/t.obj"), path("t.off")}), 0);
        EXPECT_NE(err.str().find("hors du dossier du modèle"), std::string::npos) << err.str();
        EXPECT_EQ(read("t.off").substr(0, 6), "OFF  \n");
    }
}

TEST_F(ContainedImport, ARunawayOrDyingReaderEndsWithItsReason) {
    struct Case {
        std::string script;
        unsigned seconds;
        std::string reason;
    };
    const Case cases[] = {
        {"exec sleep 60", 1, "délai dépassé"},
        {"kill -SEGV $$", 10, "SIGSEGV"},
        {"echo garbage", 10, "réponse illisible"},
        {"exit 3", 10, "Mo de mémoire"},
    };
    write("m.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        useWorker(c.script);
        ImportedModel model;
        std::string failure;
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(importContained(path("m.obj"), ImportLimits{uint64_t{1} << 30, c.seconds}, model, failure));
        EXPECT_NE(failure.find(c.reason), std::string::npos) << failure;
        EXPECT_NE(failure.find("m.obj"), std::string::npos) << failure;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(c.seconds + 4));
    }
}

namespace {

// The library itself copies shared nodes: 40 levels exhaust its memory, 17
// levels (131,072 placements) pass it and meet our own budget.
std::string sharedTree(int levels) {
    std::string nodes = "[";
    for (int k = 0; k < levels; ++k) {
        nodes += R"({"children":[)" + std::to_string(k + 1) + "," + std::to_string(k + 1) + "]},";
    }
    return triangleGltf(dataUri, nodes + R"({"mesh":0}])");
}

class HostileFiles : public ExchangeTest {
protected:
    // Each file is refused with its reason, quickly, and the output stays.
    void expectRefused(const std::vector<std::pair<std::string, std::string>>& cases) {
        write("out.off", "kept");
        for (const auto& [name, reason] : cases) {
            SCOPED_TRACE(name);
            auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(run({path(name), path("out.off")}), 1);
            EXPECT_NE(err.str().find(reason), std::string::npos) << err.str();
            EXPECT_EQ(read("out.off"), "kept");
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        }
    }
};

}  // namespace

TEST_F(HostileFiles, ScenesAreRefusedQuicklyAndWriteNothing) {
    // A tree placing its mesh 131,072 times, an empty glTF 1.0 scene, random bytes.
    write("tree17.gltf", sharedTree(17));
    write("empty.gltf", R"({"asset":{"version":"1.0"},"scene":"s","scenes":{"s":{"nodes":[]}}})");
    write("noise.ogex", std::string("\x01\xff\x7f garbage \x00 bytes", 20));
    // A message of the library that quotes the file's word "bad_alloc" is no
    // shortage of memory.
    write("named.gltf", triangleGltf("bad_alloc.bin"));
    expectRefused({{"tree17.gltf", "place ses maillages"}, {"empty.gltf", "scène vide"}, {"noise.ogex", "« "},
                   {"named.gltf", "lecture impossible"}});
    EXPECT_EQ(err.str().find("mémoire"), std::string::npos) << err.str();
}

// Not run under AddressSanitizer: the child's address space cannot be capped
// beside the sanitizer's shadow memory.
TEST_F(HostileFiles, MemoryHungryFilesEndWithTheReason) {
    // A PLY that claims a billion vertices, a tree whose nodes share their
    // children 40 levels deep.
    write("big.ply", "ply\nformat ascii 1.0\nelement vertex 1000000000\nproperty float x\nproperty float y\n"
                     "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n");
    write("tree.gltf", sharedTree(40));
    expectRefused({{"big.ply", "mémoire"}, {"tree.gltf", "mémoire"}});
}

// The child's frame is read as the pipe delivers it, in pieces of any size
// and with reads that find nothing yet, the arrays straight into place; a
// frame cut short, one with bytes past its end and one whose arrays exceed
// what the child could hold are refused.
TEST(ImportFrame, IsReadAsItArrivesAndRefusedWhenNotWhole) {
    ImportedModel model;
    model.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    model.corners = {0, 1, 2, -1, 1, 3, 2, -1};
    model.notes = "« m.obj » : une note\n";
    model.texture = TextureFile{"t.jpg", std::string(70000, 'j')};
    const std::string frame = encodeImport(model, "");
    struct Case {
        size_t piece;
        std::string bytes;
        uint64_t limit;
        FrameReader::Stage stage;
    };
    const Case cases[] = {
        {1, frame, 1 << 20, FrameReader::Stage::Whole},
        {7, frame, 1 << 20, FrameReader::Stage::Whole},
        {100000, frame, 1 << 20, FrameReader::Stage::Whole},
        {13, frame.substr(0, frame.size() - 1), 1 << 20, FrameReader::Stage::Arrays},
        {64, frame + "x", 1 << 20, FrameReader::Stage::Broken},
        {64, "KESTRUNE-IMPORT-9\n", 1 << 20, FrameReader::Stage::Broken},
        {4096, frame, 80, FrameReader::Stage::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.piece) + " " + std::to_string(c.bytes.size()));
        FrameReader reader;
        startFrame(reader, c.limit);
        for (size_t at = 0; at < c.bytes.size();) {
            size_t room = 0;
            frameDestination(reader, room);  // a read that found nothing yet
            char* into = frameDestination(reader, room);
            if (into == nullptr) break;
            size_t count = std::min({room, c.piece, c.bytes.size() - at});
            std::memcpy(into, c.bytes.data() + at, count);
            frameReceived(reader, count);
            at += count;
        }
        EXPECT_EQ(reader.stage, c.stage);
        if (c.stage != FrameReader::Stage::Whole) continue;
        EXPECT_EQ(reader.model.positions, model.positions);
        EXPECT_EQ(reader.model.corners, model.corners);
        EXPECT_EQ(reader.model.notes, model.notes);
        ASSERT_TRUE(reader.model.texture.has_value());
        EXPECT_EQ(reader.model.texture->bytes, model.texture->bytes);
    }
}

// The import child's restriction, as the kernel enforces it: reading beneath
// the model's folder still works; reading elsewhere, writing, creating,
// removing, renaming, linking, truncating, changing modes, connecting,
// starting a program and signalling are refused (an error, or the process
// killed by the system call filter).
TEST_F(ExchangeTest, TheKernelHoldsTheReaderToItsFolder) {
    if (landlockAbiVersion() < 1) GTEST_SKIP() << "this kernel has no Landlock: only the system call filter holds";
    fs::create_directory(folder / "modele");
    write("modele/m.obj", "v 0 0 0\n");
    write("dehors.txt", "secret");
    struct Case {
        const char* action;
        std::string path;
        bool allowed;
    };
    const std::string inside = path("modele/m.obj");
    const Case cases[] = {
        {"read", inside, true},
        {"read", path("dehors.txt"), false},
        {"create", path("modele/nouveau.txt"), false},
        {"write", inside, false},
        {"unlink", inside, false},
        {"truncate", inside, false},
        {"rename", inside, false},
        {"link", inside, false},
        {"chmod", inside, false},
        {"connect", "", false},
        {"exec", "/bin/true", false},
        {"kill", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + c.path);
        std::string command = "exec " + std::string(KESTRUNE_SANDBOX_PROBE) + " '" + path("modele") + "' " + c.action + " '" +
                              c.path + "'";
        int status = std::system(command.c_str());
        if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "the system call filter is off in this build";
        bool killedByFilter = WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS;
        bool refused = killedByFilter || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
        bool happened = WIFEXITED(status) && WEXITSTATUS(status) == 10;
        EXPECT_TRUE(c.allowed ? happened : refused) << "status " << status;
    }
    EXPECT_EQ(read(path("modele/m.obj")), "v 0 0 0\n");
    EXPECT_EQ(read(path("dehors.txt")), "secret");
    EXPECT_FALSE(fs::exists(folder / "modele" / "nouveau.txt"));
}

// A companion with other names, some maybe outside the folder, is read only
// when it is the user's own; an export whose companion is its own output
// (a .mtl linked to its .obj) is refused and changes nothing.
TEST_F(ExchangeTest, CompanionsThatAreOtherFilesAreRefused) {
    fs::create_directories(folder / "model");
    fs::create_directories(folder / "outside");
    write("outside/tile.jpg", read(testData + "tile.jpg"));
    write("model/t.obj", "mtllib t.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl t\nf 1 2 3\n");
    write("model/t.mtl", "newmtl t\nmap_Kd tile.jpg\n");
    fs::create_hard_link(folder / "outside" / "tile.jpg", folder / "model" / "tile.jpg");
    ASSERT_EQ(run({path("model/t.obj"), path("mine.off")}), 0) << err.str();
    EXPECT_EQ(read("mine.off").substr(0, 14), "OFF  tile.jpg\n") << "the user's own linked picture is read";
    if (::chown(path("outside/tile.jpg").c_str(), 65534, 65534) == 0) {
        ASSERT_EQ(run({path("model/t.obj"), path("theirs.off")}), 0) << err.str();
        EXPECT_EQ(read("theirs.off").substr(0, 6), "OFF  \n");
        EXPECT_NE(err.str().find("appartient à un autre utilisateur"), std::string::npos) << err.str();
    }
    write("x.obj", "kept");
    fs::create_symlink("x.obj", folder / "x.mtl");
    EXPECT_EQ(run({path("house.off"), path("x.obj")}), 1);
    EXPECT_NE(err.str().find("écriture impossible"), std::string::npos) << err.str();
    EXPECT_EQ(read("x.obj"), "kept");
}

// Killed at any moment, a two-file export leaves no named temporary behind.
TEST_F(ExchangeTest, AKilledExportLeavesNoNamedFile) {
    ASSERT_EQ(run({path("house.off"), path("big.off"), "triangles", "loop", "loop", "loop", "loop", "loop", "loop"}), 0);
    for (const char* output : {"x.obj", "x.gltf"}) {
        for (int delay : {0, 3, 8, 15, 30, 60}) {
            SCOPED_TRACE(std::string(output) + " " + std::to_string(delay));
            pid_t pid = ::fork();
            if (pid == 0) {
                std::ostringstream quiet, errors;
                ::_exit(runBatch({path("big.off"), path(output)}, quiet, errors));
            }
            ASSERT_GT(pid, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            for (const auto& entry : fs::directory_iterator(folder)) {
                EXPECT_NE(entry.path().filename().string().rfind(".kestrune-", 0), 0u) << entry.path();
            }
        }
    }
}
