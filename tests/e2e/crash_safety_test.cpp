// Saving under hostile conditions: a process killed at random points while it writes the
// capture, the download, the configuration and the journal leaves each file whole (old or new
// content), and a file system that refuses to grow makes a save fail cleanly, journalled, with
// the old file intact.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/datetime.h"
#include "base/regional.h"
#include "base/textfile.h"
#include "records/capture.h"
#include "records/counter.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::string b;
    if (!ReadFileBytes(path, b)) return "<missing>";
    return b;
}

// `n` one-minute records from `start`.
TCaptureList Records(TDateTime start, int n, int count) {
    TCaptureList l;
    for (int i = 0; i < n; ++i)
        l.push_back(FormatLigneCSV(IncSecond(start, 60.0 * i), 60, count + i % 7));
    return l;
}

class CrashSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_crash_XXXXXX";
        root_ = mkdtemp(tmpl);
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        Fichier_conf = type_fichier_conf{};
        Fichier_conf.Langue = "FR";
        Fichier_conf.type_compteur_Capture = CVORN3;
        Fichier_conf.Serial_Compteur = 1234;
        F_Erreur.clear();
        F_Log.clear();
    }
    void TearDown() override {
        Fichier_conf = type_fichier_conf{};
        F_Capture.clear();
        F_DownLoad.clear();
        F_Log.clear();
        ResetRegional();
        fs::remove_all(root_);
    }
    // A fresh data directory.
    std::string UseDir(const std::string& name) {
        const std::string d = root_ + "/" + name + "/";
        fs::create_directories(d);
        Repertoire_conf = d;
        return d;
    }
    std::string root_;
};

// One kind of save: `prepare(v)` sets the state of version v (0 old, 1 new) without writing;
// `save()` writes it; `file` is the file under test, in the data directory.
struct SaveKind {
    std::string name;
    std::string file;
    std::function<void(int)> prepare;
    std::function<bool()> save;
};

std::vector<SaveKind> Kinds() {
    const TDateTime t0 = EncodeDateTime(2024, 5, 17, 0, 0, 0);
    const TDateTime t1 = EncodeDateTime(2024, 6, 17, 0, 0, 0);
    std::vector<SaveKind> k;
    // Large enough that a save takes a while, so kills land inside the writing.
    k.push_back({"capture", "VORN3_01234.txt",
                 [=](int v) { F_Capture = v ? Records(t1, 5000, 30) : Records(t0, 5000, 10); },
                 [] {
                     std::string nom;
                     return SauveCaptureCompteur(nom);
                 }});
    k.push_back({"download", "VORN3_01234_DL.txt",
                 [=](int v) { F_DownLoad = v ? Records(t1, 5000, 40) : Records(t0, 5000, 20); },
                 [] {
                     std::string nom;
                     return SauveDownLoadCompteur(nom);
                 }});
    k.push_back({"configuration", "cg_conf.txt",
                 [](int v) {
                     Fichier_conf.alerte_comptage = v ? 222 : 111;
                     Fichier_conf.Fichier_CSV = std::string(v ? 3000 : 100, 'x');
                 },
                 [] { return SauveConf(); }});
    k.push_back({"journal", "cg_log.txt",
                 [](int v) {
                     F_Log.assign(v ? MaxLog : MaxLog / 2,
                                  v ? "2024/05/17 10:00 - new line" : "2024/05/17 10:00 - old");
                 },
                 [] { return SauveJournal(); }});
    return k;
}

TEST_F(CrashSafety, KilledWhileSavingLeavesOldOrNewContent) {
    std::mt19937 rng(20240517);
    constexpr int kKillsPerKind = 60; // 240 kills in all
    for (const SaveKind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        // The new content, as an undisturbed save writes it over the old one.
        const std::string ref = UseDir(kind.name + "_ref");
        kind.prepare(0);
        ASSERT_TRUE(kind.save());
        const std::string oldBytes = ReadAll(ref + kind.file);
        kind.prepare(1);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(kind.save());
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count();
        const std::string newBytes = ReadAll(ref + kind.file);
        ASSERT_NE(oldBytes, newBytes);

        const std::string dir = UseDir(kind.name);
        std::map<std::string, int> seen;
        for (int kill_no = 0; kill_no < kKillsPerKind; ++kill_no) {
            fs::remove(dir + kind.file); // the capture saves merge into what the file holds
            kind.prepare(0);
            ASSERT_TRUE(kind.save());
            kind.prepare(1);
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                for (;;)
                    kind.save(); // until killed
            }
            // Anywhere from before the first write to the third save or so.
            usleep(std::uniform_int_distribution<useconds_t>(
                0, static_cast<useconds_t>(4 * took + 2000))(rng));
            kill(pid, SIGKILL);
            int status = 0;
            waitpid(pid, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status));
            const std::string now = ReadAll(dir + kind.file);
            const bool whole = now == oldBytes || now == newBytes;
            EXPECT_TRUE(whole) << "kill " << kill_no << ": " << now.size() << " bytes";
            ++seen[now == oldBytes ? "old" : now == newBytes ? "new" : "broken"];
            // A temporary file left behind shows the kill landed inside a save.
            bool inside = false;
            for (const auto& e : fs::directory_iterator(dir))
                if (e.path().filename().string().find(".tmp") != std::string::npos) {
                    inside = true;
                    fs::remove(e.path());
                }
            seen["inside"] += inside;
        }
        // The kills landed both before and after a save completed.
        EXPECT_GT(seen["old"], 0);
        EXPECT_GT(seen["new"], 0);
        std::printf("[ %s ] %d kills: old %d, new %d, broken %d, inside a save %d\n",
                    kind.name.c_str(), kKillsPerKind, seen["old"], seen["new"], seen["broken"],
                    seen["inside"]);
    }
}

// The child's results, one "name=value" per line, through a pipe.
std::map<std::string, std::string> RunLimited(const std::function<void(FILE*)>& body) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        FILE* out = fdopen(fds[1], "w");
        signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails with EFBIG instead
        const rlimit lim{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &lim);
        body(out);
        std::fclose(out);
        _exit(0);
    }
    close(fds[1]);
    std::map<std::string, std::string> r;
    FILE* in = fdopen(fds[0], "r");
    char line[4096];
    while (std::fgets(line, sizeof line, in)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        const auto eq = s.find('=');
        if (eq != std::string::npos) r[s.substr(0, eq)] = s.substr(eq + 1);
    }
    std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    r["exit"] = std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return r;
}

bool Journalled(const std::string& text) {
    for (const std::string& l : F_Log)
        if (l.find(text) != std::string::npos) return true;
    return false;
}

TEST_F(CrashSafety, FileSystemThatRefusesToGrowFailsCleanly) {
    const std::string dir = UseDir("full");
    const TDateTime t0 = EncodeDateTime(2024, 5, 17, 0, 0, 0);
    // Old files, small enough for the limit.
    F_Capture = Records(t0, 10, 5);
    F_DownLoad = Records(t0, 10, 6);
    std::string nom;
    ASSERT_TRUE(SauveCaptureCompteur(nom));
    ASSERT_TRUE(SauveDownLoadCompteur(nom));
    ASSERT_TRUE(SauveConf());
    F_Log.assign(3, "2024/05/17 10:00 - old");
    ASSERT_TRUE(SauveJournal());
    std::map<std::string, std::string> before;
    for (const auto& e : fs::directory_iterator(dir))
        before[e.path().filename()] = ReadAll(e.path());

    const std::string failure = GetMessagePgm(pb_ecr_fichier) + ": ";
    auto r = RunLimited([&](FILE* out) {
        const TDateTime t1 = EncodeDateTime(2024, 6, 1, 0, 0, 0);
        // A whole hour of live counts: the hourly save of the capture.
        TSessionLinks links;
        links.Handlers = ReplyHandlers();
        Tcg_thread_ES T(true, std::move(links));
        T.ReinitAutomate(Initial);
        F_Capture = Records(t0, 400, 5); // more than the limit once merged
        for (int m = 0; m < 60; ++m) {
            T.BufR.SSynt = "CM=12";
            T.BufR.TSynt = IncSecond(t1, 60.0 * (m + 1));
            SyntInit(T.BufR);
            T.TrtES();
        }
        std::fprintf(out, "hourly=%d\n", Journalled(failure + dir + "VORN3_01234.txt") ? 1 : 0);

        // A VORN memory download that ends.
        F_DownLoad.clear();
        T.Commande = Comd_DL;
        for (const char* l : {"DL=INT1,O0,P60", "DL=24/06/01 00:00"}) {
            T.BufR.SSynt = l;
            SyntInit(T.BufR);
            T.TrtES();
        }
        for (int i = 0; i < 400; ++i) {
            T.BufR.SSynt = "DL=" + std::to_string(i) + "," + std::to_string(i + 1);
            SyntInit(T.BufR);
            T.TrtES();
        }
        T.BufR.SSynt = "DL=END";
        SyntInit(T.BufR);
        T.TrtES();
        std::fprintf(out, "download=%d\n",
                     Journalled(failure + dir + "VORN3_01234_DL.txt") ? 1 : 0);

        std::string nom;
        const bool saved = SauveCaptureCompteur(nom);
        std::fprintf(out, "capture=%d\ncapture_name=%s\n", saved ? 1 : 0, nom.c_str());
        Fichier_conf.Fichier_CSV = std::string(10000, 'x');
        std::fprintf(out, "conf=%d\n", SauveConf() ? 1 : 0);
        F_Log.assign(MaxLog, "2024/05/17 10:00 - a long journal");
        std::fprintf(out, "journal=%d\n", SauveJournal() ? 1 : 0);
    });
    EXPECT_EQ(r["exit"], "0");
    EXPECT_EQ(r["hourly"], "1");
    EXPECT_EQ(r["download"], "1");
    EXPECT_EQ(r["capture"], "0");
    EXPECT_EQ(r["capture_name"], dir + "VORN3_01234.txt");
    EXPECT_EQ(r["conf"], "0");
    EXPECT_EQ(r["journal"], "0");

    // Every old file as it was, and no temporary file left behind.
    std::map<std::string, std::string> after;
    for (const auto& e : fs::directory_iterator(dir))
        after[e.path().filename()] = ReadAll(e.path());
    // The counter's own small configuration file is rewritten (it is dated); it fits.
    before.erase("VORN3_01234_Conf.txt");
    after.erase("VORN3_01234_Conf.txt");
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(after[name], bytes) << name;
}

} // namespace
} // namespace zel
