#pragma once
// Where the programs keep their data and find their sounds and language files.
//
// Run from a build tree (a "data" directory or the build-tree marker beside the executable),
// everything stays beside the executable: data/, son/, langages/. Installed, the data directory
// follows the XDG base directories ($XDG_DATA_HOME/zelvanor/, ~/.local/share/zelvanor/ by
// default), and sounds and language files are looked for in the user's son/ and langages/ there
// first, then in the installed <prefix>/share/zelvanor/.
#include <string>
#include <vector>

namespace zel {

// The file a build puts beside its programs so that they keep their files there.
extern const char* const BuildTreeMarker;

struct AppDirectories {
    std::string data;      // configuration, journal, capture and per-counter files
    std::string sounds;    // the user's alarm sounds, searched first
    std::string languages; // the user's language files, searched first
    // The installed copies, searched after the user's; empty in a build tree.
    std::string installedSounds;
    std::string installedLanguages;
    // Installed: the data directory is created with its parents, private to the user.
    bool installed = false;
};

// What the resolution reads from the process environment, passed in so that it can be tested.
struct DirectoryEnvironment {
    std::string xdgDataHome; // $XDG_DATA_HOME, "" when unset
    std::string home;        // $HOME, or the home of the user's account when unset
};
DirectoryEnvironment CurrentDirectoryEnvironment();

// True when exeDir holds a "data" directory or the build-tree marker.
bool IsBuildTree(const std::string& exeDir);

// Every directory ends in "/". exeDir is the executable's directory; when it is empty, or when
// no home can be found for an installed program, `data` is "" (the start-up fails).
AppDirectories ResolveDirectories(const std::string& exeDir, const DirectoryEnvironment& env);
// The layout beside exeDir; dataDir, when given, replaces exeDir/data.
AppDirectories BuildTreeDirectories(const std::string& exeDir, const std::string& dataDir = "");

// The XDG data home: $XDG_DATA_HOME when it is an absolute path (a relative one is ignored, as
// the XDG rules say), else home/.local/share; "" when neither is known. Ends in "/".
std::string XdgDataHome(const DirectoryEnvironment& env);

// The search order of one kind of file: the user's directory, then the installed one unless it
// is "" or the same.
std::vector<std::string> SearchDirs(const std::string& user, const std::string& installed);
// dir + name for the first directory of `dirs` that holds the file `name`; "" when none does.
std::string FindFileIn(const std::vector<std::string>& dirs, const std::string& name);

// Creates path and its missing parents (mode 0700, as the XDG rules ask for the data home).
// True when it is a directory afterwards.
bool CreateDirectories(const std::string& path);

// A file:// address of an absolute path, with the bytes an address may not hold escaped.
std::string FileUrl(const std::string& path);

} // namespace zel
