#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/install_paths.h"
#include "core/options.h"
#include "core/paths.h"
#include "kestrune_version.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder as working directory and as the user's home; /proc stands
// for a read-only executable folder, since root may write anywhere else.
class InstallPaths : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        char pattern[] = "/tmp/kestrune-install-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch = pattern;
        fs::current_path(scratch);
        saveVariable("HOME", savedHome);
        saveVariable("XDG_CONFIG_HOME", savedConfig);
        setenv("HOME", (scratch / "home").c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        saved = options;
    }
    void TearDown() override {
        options = saved;
        restoreVariable("HOME", savedHome);
        restoreVariable("XDG_CONFIG_HOME", savedConfig);
        fs::current_path(previous);
        fs::remove_all(scratch);
    }
    static void saveVariable(const char* name, std::optional<std::string>& value) {
        const char* set = std::getenv(name);
        if (set != nullptr) value = set;
    }
    static void restoreVariable(const char* name, const std::optional<std::string>& value) {
        if (value) setenv(name, value->c_str(), 1); else unsetenv(name);
    }
    void touch(const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }
    fs::path previous, scratch;
    std::optional<std::string> savedHome, savedConfig;
    Options saved;
};

const std::string readOnlyFolder = "/proc";

}  // namespace

TEST_F(InstallPaths, DataBesideTheExecutableComesFirstThenTheInstalledPrefix) {
    std::string bin = (scratch / "prefix/bin").string();
    fs::create_directories(bin);
    EXPECT_EQ(examplesDir(bin), "");
    touch(scratch / "prefix/share/kestrune/aide/index.html");
    touch(scratch / "prefix/share/kestrune/examples/cube.off");
    EXPECT_EQ(helpPagePath(bin), (scratch / "prefix/share/kestrune/aide/index.html").string());
    EXPECT_EQ(examplesDir(bin), (scratch / "prefix/share/kestrune/examples").string());
    touch(scratch / "prefix/bin/aide/index.html");
    touch(scratch / "prefix/bin/examples/cube.off");
    EXPECT_EQ(helpPagePath(bin), bin + "/aide/index.html");
    EXPECT_EQ(examplesDir(bin), bin + "/examples");
}

TEST_F(InstallPaths, UserFolderFollowsXdgConfigHomeElseHome) {
    EXPECT_EQ(userOptionsFolder(), (scratch / "home/.config/kestrune").string());
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
    EXPECT_EQ(userOptionsFolder(), (scratch / "home/.config/kestrune").string());
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    EXPECT_EQ(userOptionsFolder(), (scratch / "config/kestrune").string());
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userOptionsFolder(), "");
    EXPECT_EQ(optionsWriteFolder(readOnlyFolder), "");
}

TEST_F(InstallPaths, OptionsOfAReadOnlyExecutableFolderLiveInTheUserFolder) {
    EXPECT_TRUE(folderIsWritable(scratch.string()));
    EXPECT_FALSE(folderIsWritable(readOnlyFolder));
    EXPECT_FALSE(folderIsWritable((scratch / "absent").string()));
    EXPECT_EQ(fs::directory_iterator(scratch), fs::directory_iterator());  // no probe left behind

    // A writable executable folder: written there, read from the current directory only.
    EXPECT_EQ(optionsWriteFolder(scratch.string()), scratch.string());
    EXPECT_EQ(optionsReadFallbackFolder(scratch.string()), "");

    // Read-only: written into the user's folder, created for it, and read back from there.
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    std::string folder = optionsWriteFolder(readOnlyFolder);
    ASSERT_EQ(folder, (scratch / "config/kestrune").string());
    setDefaultOptions();
    options.textureSize = 77;
    ASSERT_TRUE(writeOptionsTo(folder));
    fs::create_directories(scratch / "elsewhere");
    fs::current_path(scratch / "elsewhere");
    setDefaultOptions();
    readOptions(optionsReadFallbackFolder(readOnlyFolder));
    EXPECT_EQ(options.textureSize, 77);
    // A file in the current directory still comes first.
    std::ofstream("optionsKestrune.txt") << "option 0 = 1\noption 1 = 12\n";
    readOptions(optionsReadFallbackFolder(readOnlyFolder));
    EXPECT_EQ(options.textureSize, 12);
}

// Installed (data under ../share/kestrune, none beside the executable), the
// program keeps its options in the user's folder even in a writable prefix.
TEST_F(InstallPaths, AnInstalledProgramNeverWritesIntoItsPrefix) {
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    std::string bin = (scratch / "prefix/bin").string();
    fs::create_directories(bin);
    EXPECT_FALSE(runsInstalled(bin));
    EXPECT_EQ(optionsWriteFolder(bin), bin);
    touch(scratch / "prefix/share/kestrune/aide/index.html");
    EXPECT_TRUE(runsInstalled(bin));
    EXPECT_TRUE(folderIsWritable(bin));
    EXPECT_EQ(optionsWriteFolder(bin), (scratch / "config/kestrune").string());
    EXPECT_EQ(optionsReadFallbackFolder(bin), (scratch / "config/kestrune").string());
    // A build folder holds its help page beside the executable.
    touch(scratch / "prefix/bin/aide/index.html");
    EXPECT_FALSE(runsInstalled(bin));
    EXPECT_EQ(optionsWriteFolder(bin), bin);
}

// The executable's folder and the folder a save writes into both come from
// folderOf: a name right under the root lives in "/", not in "".
TEST(Paths, FolderAndFileNameAtTheEdges) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {{"/x", "/", "x"}, {"x", ".", "x"},       {"a/b", "a", "b"},
                          {"/a/b", "/a", "b"}, {"a/", "a", ""}, {"", ".", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    }
    // Extensions choose formats: lower case, none for a hidden name or a dot in a folder.
    const std::pair<const char*, const char*> extensions[] = {
        {"a/Model.OBJ", "obj"}, {"x.tar.GZ", "gz"}, {".off", ""}, {"a.b/c", ""}, {"x.", ""}, {"..", ""}};
    for (const auto& [path, extension] : extensions) EXPECT_EQ(lowerExtensionOf(path), extension) << path;
}

TEST(CommandLine, ModelFileIsTheFirstArgumentThatIsNoOption) {
    struct Case {
        std::vector<const char*> args;
        const char* model;
    };
    const Case cases[] = {{{}, ""},
                          {{"cube.obj"}, "cube.obj"},
                          {{"-platform", "xcb", "/m/tore.off"}, "/m/tore.off"},
                          {{"-style", "fusion"}, ""},
                          {{"-reverse", "a.stl", "b.stl"}, "a.stl"},
                          {{"--", "-tiret.off"}, "-tiret.off"}};
    for (const Case& c : cases) {
        std::vector<const char*> argv{"kestrune"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(modelArgument(static_cast<int>(argv.size()), argv.data()), c.model);
    }
}

TEST(CommandLine, HelpAndVersionAnsweredOtherArgumentsLeftAlone) {
    auto answer = [](std::initializer_list<const char*> args, std::string& printed) {
        std::vector<const char*> argv{"kestrune"};
        argv.insert(argv.end(), args);
        std::ostringstream out;
        bool answered = answerInfoOption(static_cast<int>(argv.size()), argv.data(), out);
        printed = out.str();
        return answered;
    };
    std::string printed;
    EXPECT_TRUE(answer({"-platform", "xcb", "--version"}, printed));
    EXPECT_EQ(printed, "kestrune " KESTRUNE_VERSION "\n");
    EXPECT_TRUE(answer({"--help"}, printed));
    EXPECT_EQ(printed, kestruneHelpText);
    EXPECT_FALSE(answer({"-platform", "xcb", "cube.off"}, printed));
    EXPECT_EQ(printed, "");
}
