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
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "permission_refused_path.h"
#include "records/capture.h"
#include "serial/entrees_sorties.h"
#include "serial/port_access.h"
#include "serial/port_list.h"
#include "session/emission.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/language.h"
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

TEST_F(DialogsTest, PortsNamedInTheEnvironmentAreListedAndMissingOnesMarked) {
    ScriptedCounter counter(Vorn8);
    Start();
    setenv("ZELVANOR_PORTS", (counter.path() + ",/nonexistent/ttyX").c_str(), 1);
    Fichier_conf.NomCom = counter.path();
    const bool shown = ConnectionFormShow();
    unsetenv("ZELVANOR_PORTS");
    ASSERT_TRUE(shown);
    const auto& l = cg_Connection.cg_liste_connect_com;
    const auto& labels = cg_Connection.port_labels;
    ASSERT_EQ(labels.size(), l.size());
    const auto present = std::find(l.begin(), l.end(), counter.path());
    const auto missing = std::find(l.begin(), l.end(), "/nonexistent/ttyX");
    ASSERT_NE(present, l.end());
    ASSERT_NE(missing, l.end()); // a typing mistake shows, rather than vanishing
    EXPECT_EQ(labels[present - l.begin()], counter.path());
    EXPECT_EQ(labels[missing - l.begin()], "/nonexistent/ttyX (absent)");
    ASSERT_GE(cg_Connection.cg_liste_connect_com_index, 0);
    EXPECT_EQ(l[cg_Connection.cg_liste_connect_com_index], counter.path());
}

TEST_F(DialogsTest, ConnectionWithNoPortChosen) {
    Start();
    EXPECT_FALSE(AppConnect("", 1));
    EXPECT_EQ(Fichier_conf.NomCom, "");
    EXPECT_FALSE(Principal.cg_menu_compteur_enabled);
    EXPECT_FALSE(EntreesSorties->ComOuverte());
    EXPECT_FALSE(cg_Connection.cg_connect_info_red);
    EXPECT_EQ(cg_Connection.connect_error, GetMessagePgm(PortNotChosen));
    EXPECT_TRUE(JournalHas(GetMessagePgm(PortNotChosen)));
    EXPECT_FALSE(JournalHas(GetMessagePgm(connecte_a)));
}

// Each way a port fails to open: the dialog says which port and why, the journal says the same,
// and the port stays closed with the counter menu off. Then a good port clears the message.
TEST_F(DialogsTest, EachConnectionErrorNamesThePortAndTheReason) {
    ScriptedCounter counter(Vorn8);
    ASSERT_FALSE(counter.path().empty());
    Start();
    const std::string plain = dir + "/plain.txt";
    WriteFile(plain, "not a tty\n");
    const std::string refused = PermissionRefusedPath(dir);
    // Another program holds the counter's port the way this one does: opened exclusively.
    TEntreesSorties holder;
    int32_t held = -1;
    holder.OuvrirCom(counter.path(), 9600, 8, 0, 0, held);
    ASSERT_EQ(held, 0);

    const struct {
        std::string port;
        std::string text;
    } cases[] = {
        {counter.path(), MessageWith(PortInUse, counter.path())},
        {plain, MessageWith(PortNotSerial, plain)},
        {dir, MessageWith(PortNotSerial, dir)},
        {dir + "/no-such-tty", MessageWith(PortGone, dir + "/no-such-tty")},
        {refused, MessageWith(PortPermissionRefused, refused) + " " +
                      MessageWith(PortGroupAdvice, PortOwnerGroup(refused))},
    };
    for (const auto& c : cases) {
        if (c.port.empty()) {
            SUCCEED() << "no path here refuses opening for lack of permission: case left out";
            continue;
        }
        SCOPED_TRACE(c.port);
        F_Log.clear();
        Principal.cg_menu_compteur_enabled = true;
        EXPECT_FALSE(AppConnect(c.port, 1));
        EXPECT_EQ(cg_Connection.connect_error, c.text);
        EXPECT_NE(cg_Connection.connect_error.find(c.port), std::string::npos);
        EXPECT_TRUE(JournalHas(c.text));
        EXPECT_FALSE(JournalHas("COM"));
        EXPECT_FALSE(EntreesSorties->ComOuverte());
        EXPECT_FALSE(Principal.cg_menu_compteur_enabled);
    }
    // The permission refusal tells what to do about it.
    EXPECT_NE(cases[4].text.find("usermod -aG"), std::string::npos);

    // In English with the shipped file: the same reasons in English.
    Repertoire_langues = std::string(ZEL_SOURCE_DIR) + "/langages/";
    ASSERT_TRUE(ChargeFichierLangue("EN English"));
    EXPECT_FALSE(AppConnect(counter.path(), 1));
    EXPECT_EQ(cg_Connection.connect_error,
              "The port " + counter.path() +
                  " is in use by another program. Close that program, then try again.");
    EXPECT_FALSE(AppConnect(plain, 1));
    EXPECT_EQ(cg_Connection.connect_error, plain + " is not a serial port.");
    UseBuiltInTexts();

    // Once the other program lets go, the port opens and the message goes.
    int32_t st = 0;
    holder.FermerCom(st);
    ASSERT_TRUE(AppConnect(counter.path(), 1));
    EXPECT_EQ(cg_Connection.connect_error, "");
    // A new opening of the dialog starts without the old message.
    cg_Connection.connect_error = "stale";
    ConnectionFormShow();
    EXPECT_EQ(cg_Connection.connect_error, "");
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

TEST_F(DialogsTest, CountBeforeTheFactorReplyEndsWithTheCounterFactorEverywhere) {
    // The counter's first count comes right behind its identity, before the factor is asked.
    ScriptedCounter counter([](const std::string& l) -> std::string {
        if (l == "V") return "VP=2.1,VORN8,12345\r\nCM=37";
        if (l == "F") return "CF=0.0057";
        return "";
    });
    ASSERT_FALSE(counter.path().empty());
    Start();
    cg_sourceClick(CCAPTURE); // the statistics show the live capture
    ASSERT_TRUE(AppConnect(counter.path(), 1));
    ASSERT_EQ(F_Capture.size(), 1u);
    ASSERT_NE(SerieComptageSV, nullptr);
    ASSERT_EQ(SerieComptageSV->Values.size(), 1u);
    EXPECT_NEAR(SerieComptageSV->Values[0].Y, 37 * 0.0057, 1e-12);
    const std::string zero = std::string("0") + Regional().decimal_sep;
    EXPECT_EQ(Principal.cg_sv_H, zero + "211");
    EXPECT_EQ(Principal.Cg_Max_SV, zero + "2109");
    ASSERT_TRUE(AppShutdown());
    EXPECT_NE(ReadFile(Data() + "VORN8_12345_Conf.txt").find("ConvSievert=0.00570"),
              std::string::npos);
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

// The list offers "FR Français" for "fr Français.txt"; on a file system that tells cases apart
// the way back to French must still find that file, and texts the French file lacks must not
// stay English.
TEST_F(PreferencesTest, FrenchToEnglishAndBackToFrench) {
    PreferenceFormShow();
    cg_pref_langueChange(Index("EN English"));
    cg_pref_OKClick();
    ASSERT_EQ(Fichier_conf.Langue, "EN");
    ASSERT_EQ(Principal.textes[18], "&File");

    PreferenceFormShow();
    EXPECT_EQ(cg_preference.cg_pref_langue_index, Index("EN English"));
    cg_pref_langueChange(Index("FR Français"));
    cg_pref_OKClick();
    EXPECT_EQ(Fichier_conf.Langue, "FR");
    EXPECT_EQ(Principal.textes[39], "Enr.");     // from the file
    EXPECT_EQ(Principal.textes[18], "&Fichier"); // not in the file: the built-in text
    EXPECT_EQ(cg_preference.textes[1], "Préférences");
    EXPECT_EQ(cg_Connection.textes[1], "Connexion compteur");
    EXPECT_EQ(GetMessagePgm(non_connecte), "Non connecté");
    EXPECT_EQ(GetIOError(ErrTimeout), "Time-out en réception");

    PreferenceFormShow();
    cg_pref_langueChange(Index("EN English"));
    cg_pref_OKClick();
    EXPECT_EQ(Principal.textes[18], "&File");
}

TEST_F(DialogsTest, FrenchIsOfferedAndRestoredEvenWithoutItsFile) {
    std::string en;
    ASSERT_TRUE(ReadFileBytes(std::string(ZEL_SOURCE_DIR) + "/langages/EN English.txt", en));
    WriteFile(dir + "/langages/EN English.txt", en);
    WriteFile(Data() + "cg_conf.txt", "Langue=EN\r\n");
    Start();
    ASSERT_EQ(GetMessagePgm(non_connecte), "Not connected");
    PreferenceFormCreate();
    const auto& l = cg_preference.cg_pref_langue;
    EXPECT_EQ(l, (std::vector<std::string>{"EN English", "FR Français"}));
    PreferenceFormShow();
    cg_pref_langueChange(1);
    cg_pref_OKClick();
    EXPECT_EQ(Fichier_conf.Langue, "FR");
    EXPECT_EQ(GetMessagePgm(non_connecte), "Non connecté");
    EXPECT_EQ(Principal.textes[18], "&Fichier");
    EXPECT_EQ(cg_Connection.textes[1], "Connexion compteur");
}

// The shipped French file is the built-in texts, so choosing it changes nothing but the way back.
TEST_F(DialogsTest, ShippedFrenchFileHoldsTheBuiltInTexts) {
    Start();
    UseBuiltInTexts();
    std::vector<std::string> messages;
    for (int i = 0; i < NombreMessages; ++i)
        messages.push_back(GetMessagePgm(static_cast<erreur_programme>(i)));
    auto windows = [] {
        ChangeLangue();
        ChangeLanguePreference();
        ChangeLangueConnexion();
        ChangeLangueAPropos();
        ChangeLangueParamVORN();
        ChangeLangueParamGS();
        return std::vector<std::vector<std::string>>{Principal.textes,      cg_preference.textes,
                                                     cg_Connection.textes,  cg_a_propos.textes,
                                                     cg_param_vornx.textes, cg_param_gamma.textes};
    };
    const auto builtIn = windows();

    Repertoire_langues = std::string(ZEL_SOURCE_DIR) + "/langages/";
    ASSERT_TRUE(ChargeFichierLangue("FR Français"));
    ASSERT_EQ(F_Erreur.size(), size_t(NombreMessages));
    for (int i = 0; i < NombreMessages; ++i)
        EXPECT_EQ(GetMessagePgm(static_cast<erreur_programme>(i)), messages[i]) << i;
    const auto fromFile = windows();
    ASSERT_EQ(fromFile.size(), builtIn.size());
    for (size_t w = 0; w < builtIn.size(); ++w)
        EXPECT_EQ(fromFile[w], builtIn[w]) << "window " << w;
    // Every text really comes from the file, not from the fallback.
    const TFenetre sections[] = {FenetrePrincipal, FenetrePreference, FenetreConnexion,
                                 FenetreAPropos,   FenetreParamVORN,  FenetreParamGS};
    for (size_t w = 0; w < builtIn.size(); ++w)
        for (size_t n = 1; n < builtIn[w].size(); ++n) {
            std::string t;
            EXPECT_TRUE(DonneTexteLangue(sections[w], static_cast<int32_t>(n), t)) << w << " " << n;
        }
    UseBuiltInTexts();
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
        ParamVornPick(TVornSwitch::Led, 1);
        ParamVornPick(TVornSwitch::Buzzer, 1);
        ParamVornPick(TVornSwitch::Units, 1);
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

TEST(VornDialog, StartsWithAlarmsOffCountsPerMinuteAndNoBattery) {
    const TParamVornModel m;
    EXPECT_EQ(m.led, 1);
    EXPECT_EQ(m.buz, 1);
    EXPECT_EQ(m.unites, 1);
    EXPECT_EQ(m.Pile_Utilisee, -1);
    EXPECT_FALSE(m.led_known || m.buz_known || m.unites_known || m.Pile_Utilisee_known);
}

TEST_F(DialogsTest, VornSettingsAreSentOnlyAsReadOrPicked) {
    std::atomic<bool> answers{true};
    ScriptedCounter counter([&](const std::string& l) -> std::string {
        if (l == "V") return "VP=2.1,VORN10,12345";
        if (l == "F") return "CF=0.0057";
        if (!answers) return "";
        if (l == "P") return "PC=OFF,ON,PM,80,AL45,24,3,5,9,7";
        if (l == "G") return "ID=450,100,20,30";
        return "";
    });
    ASSERT_FALSE(counter.path().empty());
    Start();
    cg_param_vornx = TParamVornModel{};
    ASSERT_TRUE(AppConnect(counter.path(), 1));
    TParamVornModel& m = cg_param_vornx;
    auto settingsSent = [&] {
        std::vector<std::string> p;
        for (const auto& l : counter.received())
            if (l.rfind("P=", 0) == 0) p.push_back(l);
        return p;
    };

    // What the counter said goes back as it was.
    ParamVornLireClick();
    ParamVornEnvoyerClick();
    EXPECT_EQ(settingsSent(), std::vector<std::string>{"P=OFF,ON,PM,80,AL45"});

    // A read without reply: what the dialog shows is no longer known to be the counter's.
    answers = false;
    ParamVornLireClick();
    m.seuil = "50";
    ParamVornEnvoyerClick();
    EXPECT_EQ(m.etat, GetMessagePgm(ParamsNotRead));
    ParamVornPick(TVornSwitch::Led, 1);
    ParamVornPick(TVornSwitch::Buzzer, 1);
    ParamVornPick(TVornSwitch::Units, 1);
    ParamVornEnvoyerClick(); // the battery of a model 10 is still neither read nor picked
    EXPECT_EQ(m.etat, GetMessagePgm(ParamsNotRead));
    EXPECT_EQ(settingsSent().size(), 1u);
    ParamVornPick(TVornSwitch::Battery, 0);
    ParamVornEnvoyerClick();
    EXPECT_EQ(m.etat, GetMessagePgm(param_Pret));
    EXPECT_EQ(settingsSent(),
              (std::vector<std::string>{"P=OFF,ON,PM,80,AL45", "P=OFF,OFF,PM,50,LI36"}));
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
