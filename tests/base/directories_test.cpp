#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/directories.h"
#include "base/textfile.h"

using namespace zel;
namespace fs = std::filesystem;

namespace {

class Directories : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_dirs_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void Touch(const std::string& path) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "x";
    }
    std::string root;
};

} // namespace

// Where the data, sounds and language files are, from where the program runs and the
// environment it is given.
TEST_F(Directories, ResolvedFromTheExecutableAndTheEnvironment) {
    fs::create_directories(root + "/build/bin/data");
    Touch(root + "/marked/bin/" + BuildTreeMarker);
    fs::create_directories(root + "/usr/bin");
    const std::string share = root + "/usr/share/zelvanor/";

    struct Case {
        const char* what;
        std::string exeDir;
        DirectoryEnvironment env;
        std::string data; // "" : no data directory can be named
        bool installed;
    } cases[] = {
        {"build tree with data/",
         root + "/build/bin",
         {"/xdg", "/home/u"},
         root + "/build/bin/data/",
         false},
        {"build tree with the marker",
         root + "/marked/bin",
         {"/xdg", "/home/u"},
         root + "/marked/bin/data/",
         false},
        {"installed, XDG_DATA_HOME set",
         root + "/usr/bin",
         {"/xdg/data", "/home/u"},
         "/xdg/data/zelvanor/",
         true},
        {"installed, XDG_DATA_HOME with a slash",
         root + "/usr/bin",
         {"/xdg/data/", "/home/u"},
         "/xdg/data/zelvanor/",
         true},
        {"installed, XDG_DATA_HOME unset",
         root + "/usr/bin",
         {"", "/home/u"},
         "/home/u/.local/share/zelvanor/",
         true},
        {"installed, relative XDG_DATA_HOME ignored",
         root + "/usr/bin",
         {"rel/data", "/home/u"},
         "/home/u/.local/share/zelvanor/",
         true},
        {"installed, no home at all", root + "/usr/bin", {"rel/data", ""}, "", true},
        {"installed, relative home", root + "/usr/bin", {"", "home/u"}, "", true},
        {"executable's directory unknown", "", {"/xdg", "/home/u"}, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AppDirectories d = ResolveDirectories(c.exeDir, c.env);
        EXPECT_EQ(d.data, c.data);
        EXPECT_EQ(d.installed, c.installed);
        if (c.installed) {
            EXPECT_EQ(d.installedSounds, share + "son/");
            EXPECT_EQ(d.installedLanguages, share + "langages/");
            if (!c.data.empty()) {
                EXPECT_EQ(d.sounds, c.data + "son/");
                EXPECT_EQ(d.languages, c.data + "langages/");
            }
        } else if (!c.exeDir.empty()) {
            EXPECT_EQ(d.sounds, c.exeDir + "/son/");
            EXPECT_EQ(d.languages, c.exeDir + "/langages/");
            EXPECT_EQ(d.installedSounds, "");
            EXPECT_EQ(d.installedLanguages, "");
        }
    }
}

TEST_F(Directories, GivenDataDirectoryReplacesOnlyTheData) {
    const AppDirectories d = BuildTreeDirectories("/opt/z/bin", "/srv/log");
    EXPECT_EQ(d.data, "/srv/log/");
    EXPECT_EQ(d.sounds, "/opt/z/bin/son/");
    EXPECT_EQ(d.languages, "/opt/z/bin/langages/");
    EXPECT_FALSE(d.installed);
}

// The user's copy of a file hides the installed one; the installed one is found otherwise.
TEST_F(Directories, UserFilesFirstThenInstalled) {
    const std::string user = root + "/user/", installed = root + "/installed/";
    Touch(user + "Mine.wav");
    Touch(user + "Klaxon0.wav");
    Touch(installed + "Klaxon0.wav");
    Touch(installed + "Bell.wav");
    const auto dirs = SearchDirs(user, installed);
    EXPECT_EQ(FindFileIn(dirs, "Klaxon0.wav"), user + "Klaxon0.wav");
    EXPECT_EQ(FindFileIn(dirs, "Bell.wav"), installed + "Bell.wav");
    EXPECT_EQ(FindFileIn(dirs, "Mine.wav"), user + "Mine.wav");
    EXPECT_EQ(FindFileIn(dirs, "Gone.wav"), "");
    // A build tree has no installed directory; the same one is not searched twice.
    EXPECT_EQ(SearchDirs(user, ""), std::vector<std::string>{user});
    EXPECT_EQ(SearchDirs(user, user), std::vector<std::string>{user});
}

// A first start of a new user: ~/.local/share itself may be missing.
TEST_F(Directories, DataDirectoryMadeWithItsParentsPrivate) {
    const std::string data = root + "/home/u/.local/share/zelvanor/";
    ASSERT_TRUE(CreateDirectories(data));
    EXPECT_TRUE(DirectoryExists(data));
    struct stat st {};
    ASSERT_EQ(::stat(data.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(CreateDirectories(data)); // already there

    // A file where a directory should be.
    Touch(root + "/plain");
    EXPECT_FALSE(CreateDirectories(root + "/plain/zelvanor"));
    EXPECT_FALSE(CreateDirectories(""));
}

TEST(FileUrl, EscapesWhatAnAddressCannotHold) {
    struct Case {
        std::string path, url;
    } cases[] = {
        {"/home/u/.local/share/zelvanor/", "file:///home/u/.local/share/zelvanor/"},
        {"/home/Jean Luc/data/", "file:///home/Jean%20Luc/data/"},
        {"/tmp/a#b?c%d/", "file:///tmp/a%23b%3Fc%25d/"},
        {"/home/élodie/", "file:///home/%C3%A9lodie/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileUrl(c.path), c.url) << c.path;
}
