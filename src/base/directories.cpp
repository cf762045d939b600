#include "base/directories.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/text_util.h"
#include "base/textfile.h"

namespace zel {

const char* const BuildTreeMarker = "zelvanor-build-tree";

namespace {

const char* const kAppName = "zelvanor";

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string WithoutSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

// "/usr/bin" -> "/usr"; "/bin" -> "".
std::string Parent(const std::string& dir) {
    const std::string d = WithoutSlash(dir);
    const size_t slash = d.rfind('/');
    return slash == std::string::npos ? std::string(".") : d.substr(0, slash);
}

} // namespace

DirectoryEnvironment CurrentDirectoryEnvironment() {
    DirectoryEnvironment env;
    if (const char* x = std::getenv("XDG_DATA_HOME")) env.xdgDataHome = x;
    if (const char* h = std::getenv("HOME")) env.home = h;
    if (env.home.empty())
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
    return env;
}

bool IsBuildTree(const std::string& exeDir) {
    const std::string base = WithSlash(exeDir);
    return DirectoryExists(base + "data") || FileExists(base + BuildTreeMarker);
}

std::string XdgDataHome(const DirectoryEnvironment& env) {
    if (!env.xdgDataHome.empty() && env.xdgDataHome.front() == '/')
        return WithSlash(env.xdgDataHome);
    if (!env.home.empty() && env.home.front() == '/') return WithSlash(env.home) + ".local/share/";
    return {};
}

AppDirectories BuildTreeDirectories(const std::string& exeDir, const std::string& dataDir) {
    AppDirectories d;
    if (exeDir.empty()) return d;
    const std::string base = WithSlash(exeDir);
    d.data = dataDir.empty() ? base + "data/" : WithSlash(dataDir);
    d.sounds = base + "son/";
    d.languages = base + "langages/";
    return d;
}

AppDirectories ResolveDirectories(const std::string& exeDir, const DirectoryEnvironment& env) {
    if (exeDir.empty() || IsBuildTree(exeDir)) return BuildTreeDirectories(exeDir);
    AppDirectories d;
    d.installed = true;
    const std::string shared = WithSlash(Parent(exeDir)) + "share/" + kAppName + "/";
    d.installedSounds = shared + "son/";
    d.installedLanguages = shared + "langages/";
    const std::string home = XdgDataHome(env);
    if (home.empty()) return d;
    d.data = home + kAppName + "/";
    d.sounds = d.data + "son/";
    d.languages = d.data + "langages/";
    return d;
}

std::vector<std::string> SearchDirs(const std::string& user, const std::string& installed) {
    std::vector<std::string> dirs{user};
    if (!installed.empty() && installed != user) dirs.push_back(installed);
    return dirs;
}

std::string FindFileIn(const std::vector<std::string>& dirs, const std::string& name) {
    for (const auto& dir : dirs)
        if (FileExists(dir + name)) return dir + name;
    return {};
}

bool CreateDirectories(const std::string& path) {
    const std::string p = WithoutSlash(path);
    if (p.empty()) return false;
    if (DirectoryExists(p)) return true;
    const size_t slash = p.rfind('/');
    if (slash != std::string::npos && slash > 0 && !CreateDirectories(p.substr(0, slash)))
        return false;
    return ::mkdir(p.c_str(), 0700) == 0 || (errno == EEXIST && DirectoryExists(p));
}

std::string FileUrl(const std::string& path) {
    return "file://" + PercentEncode(path, "/");
}

} // namespace zel
