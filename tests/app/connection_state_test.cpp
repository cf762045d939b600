// The connection state without a counter that answers: what a new connection clears, what the
// title says before and after, and the settings file of the connection.
#include <pty.h>
#include <unistd.h>

#include "app/app.h"
#include "app/connection_state.h"
#include "app_fixture.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/messages.h"

using namespace zel;

namespace {

using ConnectionStateTest = zeltest::AppTest;

// A port where nothing ever answers.
struct DeadPort {
    DeadPort() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
    }
    ~DeadPort() {
        close(master);
        close(slave);
    }
    int master = -1, slave = -1;
    std::string path;
};

// What a VORN8 left on screen before the user picked another port.
void PreviousCounterOnScreen() {
    Fichier_conf.type_compteur_Capture = CVORN8;
    maj_menu_commandes();
    Principal.cg_menu_compteur_enabled = true;
    Principal.cg_cpm_mn = "64";
    Principal.cg_sv_H = "0.365";
    Principal.cg_tr_moy_cpm = "22";
    Principal.cg_tr_moy_sv = "0.125";
    const TDateTime t = EncodeDateTime(2026, 10, 16, 8, 0);
    SerieComptageMn->AddXY(t, 64);
    SerieComptageSV->AddXY(t, 0.365);
}

TEST_F(ConnectionStateTest, BeforeAnyConnectionTheTitleNamesNoCounterState) {
    Start();
    EXPECT_EQ(Principal.caption, "Zelvanor");
    EXPECT_EQ(Connection().state, ConnectionState::NotConnected);
    EXPECT_EQ(Principal.connection_text, "");
}

TEST_F(ConnectionStateTest, AnotherPortStartsClean) {
    Start();
    struct Case {
        const char* what;
        bool opens;
        ConnectionState state;
        std::string title;
    };
    DeadPort dead;
    ASSERT_FALSE(dead.path.empty());
    const Case cases[] = {
        // Nothing answers: "not recognised", and only the identification can be asked for.
        {"silent port", true, ConnectionState::Unrecognised,
         "Zelvanor " + GetMessagePgm(Compteur_inconnu)},
        // The port does not open: no counter state at all.
        {"missing port", false, ConnectionState::NotConnected, "Zelvanor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PreviousCounterOnScreen();
        EXPECT_EQ(AppConnect(c.opens ? dead.path : dir + "/no-such-port", 1), c.opens);
        EXPECT_EQ(Connection().state, c.state);
        EXPECT_EQ(Principal.caption, c.title);
        EXPECT_EQ(Principal.cg_cpm_mn, "");
        EXPECT_EQ(Principal.cg_sv_H, "");
        EXPECT_EQ(Principal.cg_tr_moy_cpm, "");
        EXPECT_EQ(Principal.cg_tr_moy_sv, "");
        EXPECT_EQ(SerieComptageMn->Values.size(), 0u);
        EXPECT_EQ(SerieComptageSV->Values.size(), 0u);
        EXPECT_TRUE(Principal.cg_menuitem_V_enabled);
        EXPECT_FALSE(Principal.cg_menuitem_F_enabled);
        EXPECT_FALSE(Principal.cg_menuitem_D_enabled);
        EXPECT_FALSE(Principal.cg_menu_param_compteur_enabled);
        EXPECT_EQ(Principal.cg_menu_compteur_enabled, c.opens);
        EXPECT_FALSE(Principal.live_stale);
    }
}

TEST_F(ConnectionStateTest, SettingsFileRoundTripAndBadValues) {
    Start();
    EXPECT_EQ(ConnectionSettingsFile(), Data() + "zelvanor_connection.txt");
    // Missing file: the defaults.
    EXPECT_TRUE(ConnectionPrefs().reconnect);
    EXPECT_TRUE(ConnectionPrefs().resumeAtStart);
    EXPECT_FALSE(ConnectionPrefs().alarmOnLoss);

    ConnectionPrefs().reconnect = false;
    ConnectionPrefs().alarmOnLoss = true;
    ASSERT_TRUE(SaveConnectionSettings());
    ConnectionPrefs() = ConnectionSettings{};
    LoadConnectionSettings();
    EXPECT_FALSE(ConnectionPrefs().reconnect);
    EXPECT_TRUE(ConnectionPrefs().resumeAtStart);
    EXPECT_TRUE(ConnectionPrefs().alarmOnLoss);

    // Keys in any case; a value that does not read keeps its default; cg_conf.txt untouched.
    const std::string conf = ReadFile(Data() + "cg_conf.txt");
    WriteFile(ConnectionSettingsFile(), "reconnect=yes\r\nRESUMEATSTART=0\r\nAlarmOnLoss\r\n");
    LoadConnectionSettings();
    EXPECT_TRUE(ConnectionPrefs().reconnect);
    EXPECT_FALSE(ConnectionPrefs().resumeAtStart);
    EXPECT_FALSE(ConnectionPrefs().alarmOnLoss);
    EXPECT_EQ(ReadFile(Data() + "cg_conf.txt"), conf);
    // Nothing to resume in that file.
    EXPECT_FALSE(AppResumeConnection());
    ConnectionPrefs() = ConnectionSettings{};
}

} // namespace
