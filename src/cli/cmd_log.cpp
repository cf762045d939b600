// zelvanor-cli log --port PATH --line N [--dir DIR] [--duration SECONDS] [--do COMMAND]...
// The desktop program without its windows: connects to a counter, identifies it, keeps its
// capture file and the journal, and prints every journal line as the status box shows it.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "base/ports.h"
#include "base/textfile.h"
#include "cli/commands.h"
#include "model/model.h"
#include "session/emission.h"
#include "session/session_globals.h"
#include "settings/config.h"

namespace {

const char kUsage[] =
    "Usage: zelvanor-cli log --port PATH --line N [--dir DIR] [--duration SECONDS]\n"
    "                        [--do COMMAND]...\n"
    "  Connects to the counter on PATH with line setting N, identifies it and logs its counts\n"
    "  until SIGINT, SIGTERM or the duration has passed. Every journal line is printed.\n"
    "  --line      the line setting, 0 to 4 (listed below)\n"
    "  --dir       data directory (default: data/ beside the program)\n"
    "  --duration  stop after this many seconds (default: until a signal)\n"
    "  --do        a counter command once connected, in order: Comd_VP, comd_CF, Comd_BO,\n"
    "              Comd_IN, Comd_DL, Comd_ID, comd_PC_mode, Comd_Mode_Acq, Comd_mode_PC,\n"
    "              Comd_Clear_Data, Comd_H\n"
    "Exit status: 0 after a stop, 1 when the program could not start or the port not open,\n"
    "2 on a usage error.\n"
    "Line settings:\n";

void Usage(std::FILE* out) {
    std::fputs(kUsage, out);
    const auto& lignes = zel::LignesSerieTextes();
    for (size_t i = 0; i < lignes.size(); ++i)
        std::fprintf(out, "  %zu  %s\n", i, lignes[i].c_str());
}

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnSignal(int) {
    g_stop = 1;
}

struct NomCommande {
    const char* nom;
    zel::TCommande commande;
};
const NomCommande kCommandes[] = {
    {"Comd_VP", zel::Comd_VP},
    {"comd_CF", zel::comd_CF},
    {"Comd_BO", zel::Comd_BO},
    {"Comd_IN", zel::Comd_IN},
    {"Comd_DL", zel::Comd_DL},
    {"Comd_ID", zel::Comd_ID},
    {"comd_PC_mode", zel::comd_PC_mode},
    {"Comd_Mode_Acq", zel::Comd_Mode_Acq},
    {"Comd_mode_PC", zel::Comd_mode_PC},
    {"Comd_Clear_Data", zel::Comd_Clear_Data},
    {"Comd_H", zel::Comd_H},
};

bool TrouveCommande(const std::string& nom, zel::TCommande& c) {
    for (const auto& k : kCommandes)
        if (nom == k.nom) {
            c = k.commande;
            return true;
        }
    return false;
}

// Messages for the user go to the error stream; questions get "no".
class ConsoleDialogs : public zel::DialogPort {
  public:
    void information(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    // The command line names the commands it wants: a confirmation asked on the way (the
    // clock of a VORN2) is answered OK, and shown.
    bool okCancel(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return true;
    }
    int yesNoCancel(const std::string&) override { return 0; }
    bool openFile(const std::string&, const std::string&, const std::string&,
                  std::string&) override {
        return false;
    }
    bool saveFile(const std::string&, const std::string&, const std::string&,
                  std::string&) override {
        return false;
    }
    void busy(bool) override {}
};

// The status box: each journal line printed once, then dropped (a long run keeps nothing).
void AfficheJournal(zel::ModelWindow w) {
    if (w != zel::ModelWindow::Main) return;
    auto& lignes = zel::Principal.cg_info_status;
    if (lignes.empty()) return;
    for (const auto& l : lignes)
        std::fprintf(stdout, "%s\n", l.c_str());
    std::fflush(stdout);
    lignes.clear();
}

struct Options {
    std::string port;
    int line = -1;
    std::string dir;
    double duration = -1;
    std::vector<zel::TCommande> commandes;
};

bool LitOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto valeur = [&](std::string& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--port") {
            if (!valeur(o.port)) return false;
        } else if (a == "--line") {
            if (!valeur(v)) return false;
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (*end != '\0' || n < 0 || n > 4) return false;
            o.line = static_cast<int>(n);
        } else if (a == "--dir") {
            if (!valeur(o.dir)) return false;
        } else if (a == "--duration") {
            if (!valeur(v)) return false;
            char* end = nullptr;
            o.duration = std::strtod(v.c_str(), &end);
            if (*end != '\0' || !(o.duration >= 0)) return false;
        } else if (a == "--do") {
            zel::TCommande c;
            if (!valeur(v) || !TrouveCommande(v, c)) {
                std::fprintf(stderr, "zelvanor-cli log: unknown command '%s'\n", v.c_str());
                return false;
            }
            o.commandes.push_back(c);
        } else {
            return false;
        }
    }
    return !o.port.empty() && o.line >= 0;
}

// The main thread of the command line. A stop asked for, or the end of --duration, while a
// counter command is waiting (a long dump, a counter that went silent, one that never leaves
// the silence a request needs) ends the session, which ends the wait.
class MainConsole : public zel::QueueMainThread {
  public:
    explicit MainConsole(double duration)
        : start_(std::chrono::steady_clock::now()), duration_(duration) {}

    bool TimeUp() const {
        return duration_ >= 0 &&
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() >=
                   duration_;
    }
    void processEvents() override {
        zel::QueueMainThread::processEvents();
        if ((g_stop || TimeUp()) && zel::Thread_ES) zel::Thread_ES->Terminate();
    }

  private:
    std::chrono::steady_clock::time_point start_;
    double duration_;
};

int run_log(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(stdout);
        return 0;
    }
    Options o;
    if (!LitOptions(argc, argv, o)) {
        Usage(stderr);
        return 2;
    }

    zel::SystemClock horloge;
    MainConsole main(o.duration);
    ConsoleDialogs dialogues;
    zel::Ports& ports = zel::GetPorts();
    ports.main = &main;
    ports.clock = &horloge;
    ports.dialogs = &dialogues;
    zel::SetModelObserver(AfficheJournal);

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    if (zel::AppStart(zel::ExecutableDir(), o.dir) != zel::PasErreur) return 1;

    const bool connecte = zel::AppConnect(o.port, o.line);
    if (connecte) {
        for (zel::TCommande c : o.commandes) {
            if (g_stop || main.TimeUp()) break;
            // The clock setting as the main window's menu makes it: the date-time text for a
            // VORN counter, then the time as well for a Gamma Scout that sets its date only.
            if (c == zel::Comd_IN)
                zel::cg_menuitem_IClick();
            else
                zel::SetEmission(c, "");
        }
        while (!g_stop && !main.TimeUp())
            main.runFor(100);
    }

    zel::AppShutdown();
    AfficheJournal(zel::ModelWindow::Main);
    zel::SetModelObserver(nullptr);
    ports = zel::Ports{};
    return connecte ? 0 : 1;
}

const zelcli::Register kLog("log", "connect to a counter and log its counts (--help)", run_log);

} // namespace
