// File replacement: the target keeps its identity (link, mode, group), what
// may not be written is refused untouched, and no temporary file outlives a
// save, even one killed half-way.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/safe_file.h"

namespace {

namespace fs = std::filesystem;

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrune-safe-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const std::string& name) const { return (folder / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    struct stat statOf(const std::string& name) const {
        struct stat status {};
        ::lstat(path(name).c_str(), &status);
        return status;
    }
    size_t entryCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {})); }

    fs::path folder;
};

}  // namespace

TEST_F(SafeFile, LinkIsFollowedAndModeAndGroupKept) {
    write("model.off", "old");
    ASSERT_EQ(::symlink("model.off", path("link.off").c_str()), 0);
    ASSERT_TRUE(replaceFileContents(path("link.off"), "through the link"));
    EXPECT_TRUE(S_ISLNK(statOf("link.off").st_mode));
    EXPECT_EQ(read("model.off"), "through the link");

    ::chmod(path("model.off").c_str(), 0600);
    ASSERT_TRUE(replaceFileContents(path("model.off"), "private"));
    EXPECT_EQ(statOf("model.off").st_mode & 07777, 0600u);

    // A group-shared file: root may give the new file any group.
    const gid_t group = getuid() == 0 ? 4242 : getgid();
    ASSERT_EQ(::chown(path("model.off").c_str(), static_cast<uid_t>(-1), group), 0);
    ::chmod(path("model.off").c_str(), 0664);
    ASSERT_TRUE(replaceFileContents(path("model.off"), "shared"));
    EXPECT_EQ(statOf("model.off").st_mode & 07777, 0664u);
    EXPECT_EQ(statOf("model.off").st_gid, group);
    EXPECT_EQ(entryCount(), 2u);
}

TEST_F(SafeFile, ReadOnlyFilesAndDevicesAreRefusedUntouched) {
    write("locked.off", "keep me");
    ::chmod(path("locked.off").c_str(), 0444);
    EXPECT_FALSE(replaceFileContents(path("locked.off"), "lost"));
    EXPECT_EQ(read("locked.off"), "keep me");
    EXPECT_EQ(entryCount(), 1u);

    struct stat before {};
    ASSERT_EQ(::stat("/dev/null", &before), 0);
    EXPECT_FALSE(replaceFileContents("/dev/null", "lost"));
    struct stat after {};
    ASSERT_EQ(::stat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_ino, before.st_ino);
    // A link to a device is refused the same way.
    ASSERT_EQ(::symlink("/dev/null", path("null.off").c_str()), 0);
    EXPECT_FALSE(replaceFileContents(path("null.off"), "lost"));
    EXPECT_TRUE(S_ISLNK(statOf("null.off").st_mode));
}

TEST_F(SafeFile, LongestLegalNameIsSaved) {
    const std::string name = std::string(250, 'm') + ".off";  // 254 bytes
    ASSERT_TRUE(replaceFileContents(path(name), "new"));
    ASSERT_TRUE(replaceFileContents(path(name), "again"));
    EXPECT_EQ(read(name), "again");
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(SafeFile, StreamedWriteIsAllOrNothing) {
    write("model.off", "old");
    auto chunks = [](int fd) {
        for (int k = 0; k < 3; ++k) {
            std::string chunk(1 << 20, static_cast<char>('a' + k));
            if (!writeAllTo(fd, chunk.data(), chunk.size())) return false;
        }
        return true;
    };
    ASSERT_TRUE(replaceFileWith(path("model.off"), chunks));
    EXPECT_EQ(read("model.off").size(), 3u << 20);
    EXPECT_FALSE(replaceFileWith(path("model.off"), [](int fd) { return writeAllTo(fd, "x", 1) && false; }));
    EXPECT_EQ(read("model.off").size(), 3u << 20);
    EXPECT_EQ(entryCount(), 1u);
}

// A process killed between writing and renaming leaves nothing behind; a
// named temporary left by a killed save elsewhere is removed by the next one.
TEST_F(SafeFile, KilledSaveLeavesNoTemporaryFile) {
    write("model.off", "old");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        replaceFileWith(path("model.off"), [](int fd) {
            writeAllTo(fd, "half", 4);
            _exit(0);
            return true;
        });
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(read("model.off"), "old");
    EXPECT_EQ(entryCount(), 1u);

    write(".kestrune-999999999-abcdef", "left by a process that is gone");
    write(".kestrune-" + std::to_string(getpid()) + "-abcdef", "a save under way");
    write(".kestrune-999999999-notes.txt", "the user's own file");
    ASSERT_TRUE(replaceFileContents(path("model.off"), "new"));
    EXPECT_FALSE(fs::exists(path(".kestrune-999999999-abcdef")));
    EXPECT_TRUE(fs::exists(path(".kestrune-" + std::to_string(getpid()) + "-abcdef")));
    EXPECT_TRUE(fs::exists(path(".kestrune-999999999-notes.txt")));
}

// A set (texture, material, model) is replaced whole or not at all: a target
// refused, a writer giving up or a rename failing after the first renames
// leave every old file and no temporary.
TEST_F(SafeFile, SetIsReplacedWholeOrNotAtAll) {
    auto text = [](const char* contents) {
        return [contents](int fd) { return writeAllTo(fd, contents, std::strlen(contents)); };
    };
    auto expectOld = [&](const char* why) {
        EXPECT_EQ(read("model.mtl"), "old mtl") << why;
        EXPECT_EQ(read("model.obj"), "old obj") << why;
        EXPECT_FALSE(fs::exists(path("skin.jpg"))) << why;
        EXPECT_EQ(entryCount(), 2u) << why;
    };
    write("model.mtl", "old mtl");
    write("model.obj", "old obj");

    ::chmod(path("model.obj").c_str(), 0444);
    EXPECT_FALSE(replaceFilesTogether({{path("skin.jpg"), text("jpg")}, {path("model.mtl"), text("mtl")},
                                       {path("model.obj"), text("obj")}}));
    EXPECT_EQ(errno, EACCES);
    expectOld("read-only model");
    ::chmod(path("model.obj").c_str(), 0644);

    EXPECT_FALSE(replaceFilesTogether({{path("skin.jpg"), text("jpg")}, {path("model.mtl"), text("mtl")},
                                       {path("model.obj"), [](int) { return false; }}}));
    expectOld("model writer gave up");

    // The model's name becomes a folder while it is written: its rename fails
    // after the texture and the material were renamed.
    auto folderInTheWay = [&](int fd) {
        fs::remove(path("model.obj"));
        fs::create_directories(path("model.obj/inside"));
        return writeAllTo(fd, "obj", 3);
    };
    EXPECT_FALSE(replaceFilesTogether({{path("skin.jpg"), text("jpg")}, {path("model.mtl"), text("mtl")},
                                       {path("model.obj"), folderInTheWay}}));
    EXPECT_EQ(read("model.mtl"), "old mtl");
    EXPECT_FALSE(fs::exists(path("skin.jpg")));
    EXPECT_EQ(entryCount(), 2u);
    fs::remove_all(path("model.obj"));
    write("model.obj", "old obj");

    ASSERT_TRUE(replaceFilesTogether({{path("skin.jpg"), text("jpg")}, {path("model.mtl"), text("mtl")},
                                      {path("model.obj"), text("obj")}}));
    EXPECT_EQ(read("skin.jpg") + read("model.mtl") + read("model.obj"), "jpgmtlobj");
    EXPECT_EQ(entryCount(), 3u);
}

// Links in a shared sticky folder are followed only as the kernel would: a
// link planted by another user there must not redirect root's save.
TEST_F(SafeFile, LinksOfOtherUsersInStickyFoldersAreRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link another owner";
    const uid_t root = 0, other = 4242;
    struct Case {
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        bool followed;
    };
    const Case cases[] = {
        {01777, root, other, false}, {01777, root, root, true}, {0777, root, other, true},
        {01755, root, other, true},  {01777, other, other, true},
    };
    write("root.off", "root's own");
    ASSERT_EQ(::symlink("root.off", path("link.off").c_str()), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.folderMode << std::dec << " folder of " << c.folderOwner
                                        << ", link of " << c.linkOwner);
        ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, 0), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        ASSERT_EQ(::lchown(path("link.off").c_str(), c.linkOwner, 0), 0);
        write("root.off", "root's own");
        errno = 0;
        EXPECT_EQ(replaceFileContents(path("link.off"), "through the link"), c.followed);
        EXPECT_EQ(read("root.off"), c.followed ? "through the link" : "root's own");
        if (!c.followed) {
            EXPECT_EQ(errno, EACCES);
        }
        EXPECT_TRUE(S_ISLNK(statOf("link.off").st_mode));
        EXPECT_EQ(entryCount(), 2u);
    }
}
