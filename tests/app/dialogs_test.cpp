// The connection, preferences and counter parameter dialogs, without windows. The connection
// talks to a small scripted counter on a pseudo-terminal.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "app/app.h"
#include "app_fixture.h"
#include "model/model.h"
#include "records/capture.h"
#include "serial/port_list.h"
#include "session/emission.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

using namespace zel;

namespace {

bool JournalHas(const std::string& text) {
    return std::any_of(F_Log.begin(), F_Log.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// The counter's end of a pseudo-terminal: collects what the program sends (split at carriage
// returns, a lone one kept as an empty line) and answers each line from a script.
class ScriptedCounter {
  public:
    using Script = std::function<std::string(const std::string& line)>;

    explicit ScriptedCounter(Script script) : script_(std::move(script)) {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedCounter() {
        stop_ = true;
        thread_.join();
        close(master_);
        close(slave_);
    }
    const std::string& path() const { return path_; }
    std::vector<std::string> received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

  private:
    void Run() {
        std::string current;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) continue;
            char buf[256];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\r') {
                    current += buf[i];
                    continue;
                }
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    lines_.push_back(current);
                }
                const std::string reply = script_(current);
                if (!reply.empty()) {
                    const std::string out = reply + "\r\n";
                    [[maybe_unused]] ssize_t w = write(master_, out.data(), out.size());
                }
                current.clear();
            }
        }
    }

    Script script_;
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

std::string Vorn8(const std::string& line) {
    if (line == "V") return "VP=2.1,VORN8,12345";
    if (line == "F") return "CF=0.0057";
    return "";
}

using DialogsTest = zeltest::AppTest;

TEST(LineSettings, FiveChoicesAndTheDefault) {
    struct Case {
        int PortCom;
        uint32_t speed;
        uint8_t bits, parity;
    } cases[] = {{0, 19200, 8, 0}, {1, 9600, 8, 0},   {2, 2400, 7, 2},
                 {3, 9600, 7, 2},  {4, 460800, 7, 2}, {7, 9600, 8, 0}};
    for (const auto& c : cases) {
        const TLigneSerie l = LigneSerie(c.PortCom);
        EXPECT_EQ(l.BaudRate, c.speed) << c.PortCom;
        EXPECT_EQ(l.ByteSize, c.bits) << c.PortCom;
        EXPECT_EQ(l.Parity, c.parity) << c.PortCom;
        EXPECT_EQ(l.StopBits, 0) << c.PortCom;
    }
    EXPECT_EQ(LignesSerieTextes().size(), 5u);
    EXPECT_EQ(LignesSerieTextes()[4], "460800bps GAMMA SCOUT V ≥ 6.90");
}

TEST_F(DialogsTest, ConnectionDialogShowsTheLineSettingAndThePorts) {
    Start();
    Fichier_conf.PortCom = 9;
    const bool ports = !PortsDisponibles().empty();
    EXPECT_EQ(ConnectionFormShow(), ports);
    EXPECT_EQ(cg_Connection.cg_portcom, 1); // out of range: the second item
    EXPECT_EQ(Fichier_conf.PortCom, 9);     // ... without storing it
    if (ports) {
        EXPECT_TRUE(std::is_sorted(cg_Connection.cg_liste_connect_com.begin(),
                                   cg_Connection.cg_liste_connect_com.end()));
        EXPECT_EQ(cg_Connection.cg_connect_info, GetMessagePgm(param_Pret));
    } else {
        ASSERT_EQ(dialogs.informations.size(), 1u);
        EXPECT_EQ(dialogs.informations[0], GetMessagePgm(pas_de_port));
        EXPECT_TRUE(cg_Connection.close_request);
        EXPECT_FALSE(Principal.cg_menu_compteur_enabled);
    }
}

TEST_F(DialogsTest, SimulatedCounterNamedInTheEnvironmentIsListed) {
    ScriptedCounter counter(Vorn8);
    Start();
    setenv("ZELVANOR_PORTS", (counter.path() + ",/nonexistent/ttyX").c_str(), 1);
    Fichier_conf.NomCom = counter.path();
    const bool shown = ConnectionFormShow();
    unsetenv("ZELVANOR_PORTS");
    ASSERT_TRUE(shown);
    const auto& l = cg_Connection.cg_liste_connect_com;
    EXPECT_NE(std::find(l.begin(), l.end(), counter.path()), l.end());
    EXPECT_EQ(std::find(l.begin(), l.end(), "/nonexistent/ttyX"), l.end());
    ASSERT_GE(cg_Connection.cg_liste_connect_com_index, 0);
    EXPECT_EQ(l[cg_Connection.cg_liste_connect_com_index], counter.path());
}

TEST_F(DialogsTest, ConnectionToAPortThatDoesNotOpen) {
    Start();
    EXPECT_FALSE(AppConnect("", 1));
    EXPECT_EQ(Fichier_conf.NomCom, "");
    EXPECT_FALSE(Principal.cg_menu_compteur_enabled);
    EXPECT_FALSE(EntreesSorties->ComOuverte());
    EXPECT_FALSE(cg_Connection.cg_connect_info_red);
    // The system's reason is in the journal.
    EXPECT_FALSE(JournalHas(GetMessagePgm(connecte_a)));
    EXPECT_GE(F_Log.size(), 2u);
}

TEST_F(DialogsTest, PortRefusedForLackOfPermissionGetsAdvice) {
    // A file nobody may open for writing, root included.
    const std::string refused = "/sys/kernel/notes";
    if (access(refused.c_str(), F_OK) != 0) GTEST_SKIP() << refused << " missing";
    Start();
    EXPECT_FALSE(AppConnect(refused, 1));
    EXPECT_TRUE(JournalHas(GetIOError(EACCES)));
    EXPECT_TRUE(JournalHas("usermod -aG"));
    // Any other refusal gets no such advice.
    F_Log.clear();
    EXPECT_FALSE(AppConnect("/nonexistent/ttyX", 1));
    EXPECT_TRUE(JournalHas(GetIOError(ENOENT)));
    EXPECT_FALSE(JournalHas("usermod"));
}

TEST_F(DialogsTest, ConnectIdentifyAndCloseWithAVornCounter) {
    ScriptedCounter counter(Vorn8);
    ASSERT_FALSE(counter.path().empty());
    Start();
    ASSERT_TRUE(AppConnect(counter.path(), 1));
    EXPECT_EQ(Fichier_conf.NomCom, counter.path());
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN8);
    EXPECT_TRUE(Principal.cg_menu_compteur_enabled);
    EXPECT_TRUE(JournalHas(GetMessagePgm(connecte_a) + counter.path()));
    // Identification first, then the conversion factor of a VORN counter.
    const auto sent = counter.received();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], "V");
    EXPECT_EQ(sent[1], "F");

    // Picking the item already selected does nothing; another one disconnects at once.
    cg_portcomClick(1);
    EXPECT_TRUE(EntreesSorties->ComOuverte());
    cg_portcomClick(3);
    EXPECT_EQ(Fichier_conf.PortCom, 3);
    EXPECT_FALSE(EntreesSorties->ComOuverte());
    EXPECT_FALSE(Principal.cg_menu_compteur_enabled);
    EXPECT_NE(F_Log.back().find(GetMessagePgm(non_connecte)), std::string::npos);

    // Connected again, then closed: the files are there and the port is released.
    ASSERT_TRUE(AppConnect(counter.path(), 1));
    AjoutValeurCSV(F_Capture, EncodeDateTime(2024, 5, 1, 10, 0), 60, 37);
    ASSERT_TRUE(AppShutdown());
    EXPECT_TRUE(FileExists(Data() + "cg_conf.txt"));
    EXPECT_NE(ReadFile(Data() + "VORN8_12345.txt").find(";60;37"), std::string::npos);
    EXPECT_TRUE(FileExists(Data() + "VORN8_12345_Conf.txt"));
    EXPECT_NE(ReadFile(Data() + "cg_log.txt").find(GetMessagePgm(connecte_a)), std::string::npos);
    EXPECT_EQ(EntreesSorties, nullptr);
}

TEST_F(DialogsTest, VornModelTwoGetsACarriageReturnFirst) {
    ScriptedCounter counter([](const std::string& l) {
        return l == "V" ? std::string("VP=1.0,VORN2,777") : std::string();
    });
    Start();
    ASSERT_TRUE(AppConnect(counter.path(), 0));
    const auto sent = counter.received();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], "");
    EXPECT_EQ(sent[1], "V");
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN2);
}

TEST_F(DialogsTest, GammaScoutInStandardModeIsSwitchedToPcMode) {
    std::atomic<bool> pcMode{false};
    ScriptedCounter counter([&](const std::string& l) -> std::string {
        if (l == "v") return pcMode ? "Version 6.05 123456 1A2B 17.05.24 10:23:45" : "Standard";
        if (l == "P") {
            pcMode = true;
            return "PC-MODE gestartet";
        }
        return "";
    });
    Start();
    ASSERT_TRUE(AppConnect(counter.path(), 3));
    const auto sent = counter.received();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], "v");
    EXPECT_EQ(sent[1], "P");
    EXPECT_EQ(sent[2], "v");
    EXPECT_TRUE(Fichier_conf.GammaScoutPCMode);
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, GAMMA_SCOUT2);
}

// ---- Preferences ----------------------------------------------------------------------------

class PreferencesTest : public zeltest::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        std::string en;
        ASSERT_TRUE(ReadFileBytes(std::string(ZEL_SOURCE_DIR) + "/langages/EN English.txt", en));
        WriteFile(dir + "/langages/EN English.txt", en);
        WriteFile(dir + "/langages/fr Français.txt", "Section Principal\r\n39,'Enr.'\r\n");
        WriteFile(dir + "/son/Klaxon0.wav", "RIFF");
        WriteFile(Data() + "cg_conf.txt", "Langue=FR\r\nFichierSon=klaxon0\r\n");
        Start();
        PreferenceFormCreate();
    }
    int Index(const std::string& entry) {
        const auto& l = cg_preference.cg_pref_langue;
        return static_cast<int>(std::find(l.begin(), l.end(), entry) - l.begin());
    }
};

TEST_F(PreferencesTest, ListsAndSelectionOnOpening) {
    auto langs = cg_preference.cg_pref_langue;
    std::sort(langs.begin(), langs.end());
    EXPECT_EQ(langs, (std::vector<std::string>{"EN English", "FR Français"}));
    EXPECT_EQ(cg_preference.cg_liste_alarme, std::vector<std::string>{"Klaxon0"});
    PreferenceFormShow();
    EXPECT_EQ(cg_preference.cg_pref_langue_index, Index("FR Français"));
    EXPECT_EQ(cg_preference.cg_liste_alarme_index, 0); // klaxon0 finds Klaxon0
    EXPECT_EQ(cg_preference.cg_pref_rep, Data());

    // Nothing selected: the test button plays nothing.
    cg_alarme_listeChange(-1);
    cg_test_alarmeClick();
    EXPECT_TRUE(sound.played.empty());
    cg_alarme_listeChange(0);
    cg_test_alarmeClick();
    ASSERT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(sound.played[0], std::make_pair(dir + "/son/Klaxon0.wav", false));
    cg_stop_alarmeClick();
    EXPECT_EQ(sound.stops, 1);
}

TEST_F(PreferencesTest, ChangingTheLanguageRelabelsEveryWindow) {
    ChangeLangueConnexion();
    ChangeLangueAPropos();
    ChangeLangueParamVORN();
    ChangeLangueParamGS();
    EXPECT_EQ(Principal.textes[18], "&Fichier");

    // Cancel: the pick is forgotten, the next opening shows the configured language.
    PreferenceFormShow();
    cg_pref_langueChange(Index("EN English"));
    PreferenceFormShow();
    EXPECT_EQ(cg_preference.cg_pref_langue_index, Index("FR Français"));
    EXPECT_EQ(Fichier_conf.Langue, "FR");

    cg_pref_langueChange(Index("EN English"));
    cg_pref_OKClick();
    EXPECT_EQ(Fichier_conf.Langue, "EN");
    EXPECT_EQ(Fichier_conf.Fichier_alarme, "Klaxon0");
    EXPECT_EQ(Principal.textes[18], "&File");
    EXPECT_EQ(Principal.textes[39], "Rec.");
    EXPECT_EQ(cg_preference.textes[1], "Preferences");
    EXPECT_EQ(cg_Connection.textes[1], "Counter connection");
    EXPECT_EQ(cg_a_propos.textes[1], "About");
    EXPECT_EQ(cg_param_vornx.textes[1], "VORN settings");
    EXPECT_EQ(cg_param_gamma.textes[1], "Gamma Scout settings");
    EXPECT_EQ(GetMessagePgm(non_connecte), "Not connected");
}

// ---- Counter parameters ----------------------------------------------------------------------

TEST_F(DialogsTest, VornParametersAreCheckedBeforeAnythingIsSent) {
    Start();
    SetEmission(Comd_Connecte, ""); // closed port: what is posted is journalled, then fails
    Fichier_conf.type_compteur_Capture = CVORN3;
    struct Case {
        const char* factor;
        const char* threshold;
        erreur_programme error; // PasErreur: sent
    } cases[] = {
        {"0", "50", param_err_cf},       {"10", "50", param_err_cf},
        {"12.5", "50", param_err_cf},    {"0,0057", "50", param_err_cf},
        {"abc", "50", param_err_cf},     {"0.0057", "0", param_err_cpm},
        {"0.0057", "-5", param_err_cpm}, {"0.0057", "x", param_err_cpm},
        {"1,5", "50", PasErreur},
    };
    TParamVornModel& m = cg_param_vornx;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.factor) + " / " + c.threshold);
        m.facteur_conversion = c.factor;
        m.seuil = c.threshold;
        m.led = m.buz = 1;
        m.unites = 1;
        const size_t lines = F_Log.size();
        ParamVornEnvoyerClick();
        if (c.error != PasErreur) {
            EXPECT_EQ(m.etat, GetMessagePgm(c.error));
            EXPECT_EQ(F_Log.size(), lines);
        } else {
            EXPECT_EQ(m.etat, GetMessagePgm(param_Pret));
            EXPECT_FALSE(m.etat_red);
            // Model 3 also sends the factor as typed, with a point.
            EXPECT_TRUE(JournalHas(GetMessagePgm(ParamCompteur) + " =OFF,OFF,PM,50"));
            EXPECT_TRUE(JournalHas(GetMessagePgm(FacteurConversion) + " =1.5"));
        }
    }
}

TEST(VornSettingsString, PerModel) {
    TParamVornModel& m = cg_param_vornx;
    const TDateTime when = EncodeDateTime(2024, 3, 5, 9, 7);
    m.led = 0;
    m.buz = 0;
    m.unites = 0;
    m.seuil = "100";
    m.Pile_Utilisee = 0;
    m.Ajust = true;
    EXPECT_EQ(TexteParamVorn(CVORN10, when), "=ON,ON,SV,100,LI36,24,3,5,9,7");
    EXPECT_EQ(TexteParamVorn(CVORN8, when), "=ON,ON,SV,100");
    m.Pile_Utilisee = -1;
    m.Ajust = false;
    EXPECT_EQ(TexteParamVorn(CVORN10, when), "=ON,ON,SV,100,AL45");
    m.led = m.buz = -1; // nothing selected counts as off
    m.unites = 1;
    m.seuil = "50";
    EXPECT_EQ(TexteParamVorn(CVORN9, when), "=OFF,OFF,PM,50");
}

TEST_F(DialogsTest, VornDialogFollowsTheModel) {
    Start();
    struct Case {
        TTypeCompteur t;
        bool unites, vorn10;
    } cases[] = {{CVORN3, true, false},
                 {CVORN8, false, false},
                 {CVORN9, false, false},
                 {CVORN10, true, true}};
    for (const auto& c : cases) {
        Fichier_conf.type_compteur_Capture = c.t;
        ParamVornFormShow();
        EXPECT_EQ(cg_param_vornx.unites_enabled, c.unites) << int(c.t);
        EXPECT_EQ(cg_param_vornx.vorn10_enabled, c.vorn10) << int(c.t);
    }
}

} // namespace
