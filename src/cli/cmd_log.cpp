// zelvanor-cli log --port PATH --line N|MODEL [--dir DIR] [--duration SECONDS] [--no-reconnect]
//                  [--do WORD]... [--mqtt URL [MQTT options]] [radiation map options]
// The desktop program without its windows: connects to a counter, identifies it, keeps its
// capture file and the journal, and prints every journal line as the status box shows it.
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/connection_state.h"
#include "base/directories.h"
#include "base/ports.h"
#include "base/text_util.h"
#include "base/textfile.h"
#include "cli/commands.h"
#include "cli/map_options.h"
#include "cli/mqtt_options.h"
#include "model/model.h"
#include "net/live_publishers.h"
#include "net/map_publisher.h"
#include "net/mqtt_publisher.h"
#include "session/emission.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "zel_version.h"

namespace {

// The --do words, and the names the program has always used for them (still accepted).
struct CommandWord {
    const char* word;
    const char* internal;
    zel::TCommande command;
    const char* what;
};
const CommandWord kCommands[] = {
    {"identify", "Comd_VP", zel::Comd_VP, "version, model and serial number"},
    {"factor", "comd_CF", zel::comd_CF, "the conversion factor (VORN)"},
    {"reboot", "Comd_BO", zel::Comd_BO, "restart the counter"},
    {"clock", "Comd_IN", zel::Comd_IN, "set the counter's date and time to this computer's"},
    {"download", "Comd_DL", zel::Comd_DL, "download the counter's memory"},
    {"internal-data", "Comd_ID", zel::Comd_ID, "internal data (battery, memory)"},
    {"pc-mode", "comd_PC_mode", zel::comd_PC_mode, "Gamma Scout: enter PC mode"},
    {"acquisition-mode", "Comd_Mode_Acq", zel::Comd_Mode_Acq, "Gamma Scout: leave PC mode"},
    {"parameters", "Comd_mode_PC", zel::Comd_mode_PC, "VORN: read the parameters"},
    {"clear", "Comd_Clear_Data", zel::Comd_Clear_Data, "Gamma Scout: clear the log memory"},
    {"time", "Comd_H", zel::Comd_H, "Gamma Scout: set the time"},
};

// Counter models that name their line setting.
struct LineWord {
    const char* word;
    int line;
};
const LineWord kLineWords[] = {
    {"vorn2", 0},  {"vorn3", 1}, {"vorn8", 1}, {"vorn9", 1},
    {"vorn10", 1}, {"gs1", 2},   {"gs6", 3},   {"gs7", 4},
};

std::string UsageText() {
    std::string u =
        "Usage: zelvanor-cli log --port PATH --line N|MODEL [--dir DIR] [--duration SECONDS]\n"
        "                        [--no-reconnect] [--do WORD]... [--mqtt URL ...]\n"
        "                        [radiation map options]\n"
        "  Connects to the counter on PATH with line setting N, identifies it and logs its counts\n"
        "  until SIGINT, SIGTERM or the duration has passed. Every journal line is printed.\n"
        "  A counter whose line fails (cable pulled, adapter unplugged) is reopened by itself,\n"
        "  2 s later at first, then less often (at most every 30 s).\n"
        "  --line      the line setting: a number or a model word (listed below)\n"
        "  --dir       data directory (default: the desktop program's, $XDG_DATA_HOME/zelvanor/\n"
        "              or ~/.local/share/zelvanor/; data/ beside a program run from its build\n"
        "              tree)\n"
        "  --duration  stop after this many seconds (default: until a signal)\n"
        "  --no-reconnect  a lost counter is reported once and not reopened\n"
        "  --do        a counter command once connected, in the order given:\n";
    for (const auto& c : kCommands) {
        char line[160];
        std::snprintf(line, sizeof line, "                %-17s %s\n", c.word, c.what);
        u += line;
    }
    u += zelcli::MqttUsage();
    u += zelcli::MapOptionsUsage();
    u += "Exit status: 0 after a stop, 1 when the program could not start or the port not open,\n"
         "2 on a usage error.\n"
         "Line settings:\n";
    const auto& lignes = zel::LignesSerieTextes();
    for (size_t i = 0; i < lignes.size(); ++i) {
        std::string words;
        for (const auto& w : kLineWords)
            if (w.line == static_cast<int>(i))
                words += std::string(words.empty() ? "" : " ") + w.word;
        char line[200];
        std::snprintf(line, sizeof line, "  %zu  %-28s %s\n", i, words.c_str(), lignes[i].c_str());
        u += line;
    }
    return u;
}

int Usage(const std::string& why) {
    return zelcli::UsageError("log", why, UsageText());
}

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnSignal(int) {
    g_stop = 1;
}

bool FindCommand(const std::string& word, zel::TCommande& c) {
    for (const auto& k : kCommands)
        if (word == k.word || word == k.internal) {
            c = k.command;
            return true;
        }
    return false;
}

bool FindLine(const std::string& text, int& line) {
    const std::string upper = zel::UpperAscii(text);
    for (const auto& w : kLineWords)
        if (upper == zel::UpperAscii(w.word)) {
            line = w.line;
            return true;
        }
    int n = -1;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || n < 0 ||
        n >= static_cast<int>(zel::LignesSerieTextes().size()))
        return false;
    line = n;
    return true;
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
    bool reconnect = true;
    std::vector<zel::TCommande> commandes;
    zel::MqttSettings mqtt;
    zel::MapUploadSettings maps;
    bool help = false;
};

// False with the reason in `why`.
bool LitOptions(int argc, char** argv, Options& o, std::string& why) {
    zel::ParsedArgs args;
    std::vector<zel::OptionDef> defs = {{"port", true},     {"line", true},          {"dir", true},
                                        {"duration", true}, {"no-reconnect", false}, {"do", true},
                                        {"help", false}};
    for (const auto& d : zelcli::MqttOptionDefs())
        defs.push_back(d);
    for (const auto& d : zelcli::MapOptionDefs())
        defs.push_back(d);
    if (!zelcli::ParseCommandArgs(argc, argv, defs, args, why)) return false;
    o.help = args.has("help");
    if (o.help) return true;
    if (!args.operands.empty()) {
        why = "unexpected argument " + args.operands[0];
        return false;
    }
    for (const zel::ParsedOption& a : args.options) {
        const std::string& v = a.value;
        if (a.name == "port") {
            o.port = v;
        } else if (a.name == "line") {
            if (!FindLine(v, o.line)) {
                why = "--line: " + v + " is neither a line setting (0 to " +
                      std::to_string(zel::LignesSerieTextes().size() - 1) +
                      ") nor a counter model (see --help)";
                return false;
            }
        } else if (a.name == "dir") {
            o.dir = v;
        } else if (a.name == "duration") {
            const auto r = std::from_chars(v.data(), v.data() + v.size(), o.duration);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || !(o.duration >= 0)) {
                why = "--duration: " + v + " is not a number of seconds";
                return false;
            }
        } else if (a.name == "no-reconnect") {
            o.reconnect = false;
        } else if (a.name == "do") {
            zel::TCommande c;
            if (!FindCommand(v, c)) {
                why = "--do: unknown command " + v + " (see --help)";
                return false;
            }
            o.commandes.push_back(c);
        }
    }
    if (!zelcli::ReadMqttOptions(args, o.mqtt, why)) return false;
    if (o.port.empty()) {
        why = "--port is required";
        return false;
    }
    if (o.line < 0) {
        why = "--line is required";
        return false;
    }
    return zelcli::ReadMapOptions(args, o.maps, why);
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
        if (g_stop || TimeUp()) {
            // Said once in the journal when a command is cut short.
            zel::AppCloseDuringCommand();
            if (zel::Thread_ES) zel::Thread_ES->Terminate();
        }
    }

  private:
    std::chrono::steady_clock::time_point start_;
    double duration_;
};

int run_log(int argc, char** argv) {
    Options o;
    std::string why;
    if (!LitOptions(argc, argv, o, why)) return Usage(why);
    if (o.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
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
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);

    // The desktop program's directories, so that both keep one journal and one capture file.
    zel::AppDirectories dirs =
        zel::ResolveDirectories(zel::ExecutableDir(), zel::CurrentDirectoryEnvironment());
    if (!o.dir.empty()) {
        dirs.data = o.dir.back() == '/' ? o.dir : o.dir + "/";
        dirs.installed = false; // a directory named by the user is not made with parents
    }
    if (zel::AppStart(dirs) != zel::PasErreur) return 1;
    // Given its port on the command line: the desktop's saved connection is not touched.
    zel::ConnectionPrefs().remember = false;
    zel::ConnectionPrefs().reconnect = o.reconnect;
    // Published from the first count on; a broker out of reach is retried, never fatal.
    if (o.mqtt.enabled) {
        o.mqtt.swVersion = std::string("zelvanor ") + ZEL_VERSION;
        zel::AttachPublisher(std::make_shared<zel::MqttPublisher>(o.mqtt));
    }
    if (o.maps.any()) zel::AttachPublisher(std::make_shared<zel::MapPublisher>(o.maps));

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
        while (!g_stop && !main.TimeUp()) {
            main.runFor(100);
            zel::ConnectionTick();
        }
    }

    zel::AppShutdown();
    AfficheJournal(zel::ModelWindow::Main);
    zel::SetModelObserver(nullptr);
    ports = zel::Ports{};
    return connecte ? 0 : 1;
}

const zelcli::Register kLog("log", "connect to a counter and log its counts (--help)", run_log);

} // namespace
