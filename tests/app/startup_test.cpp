// Start-up and shutdown of the application.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "app/app.h"
#include "app_fixture.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/capture.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

using namespace zel;
using zeltest::AppTest;

namespace {

const char* const kCapture = "2024/05/01 10:00:00;60;10\r\n"
                             "2024/05/01 10:01:00;60;20\r\n"
                             "2024/05/03 10:02:00;60;15\r\n";

} // namespace

TEST_F(AppTest, FirstStartInEmptyDirectoryCreatesDataAndShowsDefaults) {
    Start();
    EXPECT_TRUE(DirectoryExists(Data()));
    EXPECT_TRUE(FileExists(Data() + "cg_conf.txt"));
    // Sounds and languages are the installer's: never created.
    EXPECT_FALSE(DirectoryExists(dir + "/son"));
    EXPECT_FALSE(DirectoryExists(dir + "/langages"));
    EXPECT_EQ(Repertoire_conf, Data());
    EXPECT_EQ(Repertoire_son, dir + "/son/");
    EXPECT_EQ(Repertoire_langues, dir + "/langages/");
    EXPECT_TRUE(dialogs.informations.empty());

    const TprincipalModel& p = Principal;
    EXPECT_EQ(p.cg_seuil_alarme, 50);
    EXPECT_EQ(p.cg_seuil_alarme_SV, "0.28500");
    EXPECT_FALSE(p.cg_alarme_sonore_enabled); // alarm off by default
    EXPECT_EQ(p.cg_Tab_RadioGroup_unit, CCPM);
    EXPECT_TRUE(p.chartComptageMn_visible);
    EXPECT_FALSE(p.chartComptageSV_visible);
    EXPECT_TRUE(p.cg_ra_i_visible);
    EXPECT_FALSE(p.cg_ra_a_visible);
    EXPECT_EQ(p.cg_indicator, 0xFF0000u);
    EXPECT_FALSE(p.cg_menu_compteur_enabled);
    ASSERT_EQ(p.textes.size(), 40u);
    EXPECT_EQ(p.textes[39], "Enr.");
    // The status box holds only the "not connected" line; so does the journal.
    ASSERT_EQ(p.cg_info_status.size(), 1u);
    EXPECT_EQ(p.cg_info_status[0], "-> " + GetMessagePgm(non_connecte));
    ASSERT_EQ(F_Log.size(), 1u);
    EXPECT_TRUE(F_Fichier.empty());

    // The four charts, each with its one bar series.
    ASSERT_NE(p.chartHisto, nullptr);
    EXPECT_EQ(p.chartHisto->SeriesCount(), 1);
    EXPECT_EQ(SerieHisto, p.chartHisto->Series(0));
    EXPECT_EQ(SerieGauss->Kind(), skBar);
    EXPECT_EQ(p.chartGauss->FormatY(), "%5.1f%%");
    EXPECT_EQ(p.chartComptageSV->FormatY(), "%5.3f");
    EXPECT_TRUE(p.chartHisto->SoftColors());
    EXPECT_FALSE(p.chartComptageMn->SoftColors());
    // Every chart names its unit; the distribution also what it classes, on a round scale.
    EXPECT_TRUE(p.chartGauss->ShowAxisTitle());
    EXPECT_TRUE(p.chartGauss->AxisXProportional());
    EXPECT_EQ(p.chartComptageMn->AxisYTitle(), "CPM");
    EXPECT_EQ(p.chartComptageSV->AxisYTitle(), "µSv/h");
    EXPECT_EQ(p.chartHisto->AxisYTitle(), "CPM");
    EXPECT_EQ(p.chartGauss->AxisYTitle(), GetProgramText(ProgramText::AxisPercentOfRecords));
    EXPECT_EQ(p.chartGauss->AxisXTitle(), GetProgramText(ProgramText::AxisCountsPerMinute));
    EXPECT_GT(p.chartComptageMn->XGapSpan(), 0);

    ASSERT_NE(Thread_ES, nullptr);
    EXPECT_TRUE(Thread_ES_Running);
    EXPECT_FALSE(EntreesSorties->ComOuverte());
    EXPECT_FALSE(DisableEventMain);

    EXPECT_TRUE(AppShutdown());
    EXPECT_EQ(Thread_ES, nullptr);
    EXPECT_EQ(EntreesSorties, nullptr);
    EXPECT_NE(ReadFile(Data() + "cg_conf.txt").find("SeuilAlarme=50"), std::string::npos);
    EXPECT_NE(ReadFile(Data() + "cg_log.txt").find(GetMessagePgm(non_connecte)), std::string::npos);
}

// Installed in <prefix>/bin: the data go to the user's XDG data home, made on the first start
// with its parents; sounds and language files are the user's and then the installed ones.
TEST_F(AppTest, InstalledProgramKeepsItsDataInTheUsersHome) {
    const std::string share = dir + "/usr/share/zelvanor/";
    std::string en;
    ASSERT_TRUE(ReadFileBytes(std::string(ZEL_SOURCE_DIR) + "/langages/EN English.txt", en));
    WriteFile(share + "langages/EN English.txt", en);
    WriteFile(share + "son/Klaxon0.wav", "RIFF");
    ASSERT_TRUE(CreateDir(dir + "/usr/bin"));
    const AppDirectories dirs = ResolveDirectories(dir + "/usr/bin", {"", dir + "/home/u"});
    const std::string data = dir + "/home/u/.local/share/zelvanor/";

    ASSERT_EQ(AppStart(dirs), PasErreur);
    EXPECT_EQ(Repertoire_conf, data);
    EXPECT_TRUE(FileExists(data + "cg_conf.txt"));
    EXPECT_FALSE(DirectoryExists(dir + "/usr/bin/data"));
    EXPECT_FALSE(DirectoryExists(data + "son"));
    EXPECT_FALSE(DirectoryExists(data + "langages"));
    ASSERT_TRUE(AppShutdown());
    EXPECT_TRUE(FileExists(data + "cg_log.txt"));

    // The user adds a sound and a language file of their own.
    WriteFile(data + "son/Bell.wav", "RIFF");
    WriteFile(data + "langages/DE Deutsch.txt", "Section Messages\r\n");
    WriteFile(data + "cg_conf.txt", "Langue=EN\r\nFichierSon=Klaxon0\r\n");
    ASSERT_EQ(AppStart(dirs), PasErreur);
    EXPECT_EQ(Principal.textes[18], "&File"); // the installed English file
    PreferenceFormCreate();
    PreferenceFormShow();
    auto langs = cg_preference.cg_pref_langue;
    std::sort(langs.begin(), langs.end());
    EXPECT_EQ(langs, (std::vector<std::string>{"DE Deutsch", "EN English", "FR Français"}));
    auto sounds = cg_preference.cg_liste_alarme;
    std::sort(sounds.begin(), sounds.end());
    EXPECT_EQ(sounds, (std::vector<std::string>{"Bell", "Klaxon0"}));
    cg_test_alarmeClick();
    ASSERT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(sound.played[0].first, share + "son/Klaxon0.wav");

    // The preferences show the data directory and open it.
    EXPECT_EQ(cg_preference.cg_pref_rep, data);
    cg_pref_open_dirClick();
    ASSERT_EQ(links.opened.size(), 1u);
    EXPECT_EQ(links.opened[0], "file://" + data);
}

TEST_F(AppTest, StartRemovesWhatASaveCutShortLeftBehind) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const std::string stale = Data() + "cg_conf.txt.tmp" + std::to_string(child) + "_0";
    WriteFile(Data() + "cg_conf.txt", "SeuilAlarme=77\r\n");
    WriteFile(stale, "SeuilAl");
    Start();
    EXPECT_FALSE(FileExists(stale));
    EXPECT_EQ(Fichier_conf.alerte_comptage, 77);
}

TEST_F(AppTest, StartFailuresShowOneMessageAndLeaveNothingRunning) {
    // The executable's directory unknown.
    EXPECT_EQ(AppStart(""), Pb_Repertoire_Conf);
    // A data directory that cannot be created (its parent is a file).
    WriteFile(dir + "/plain", "x");
    EXPECT_EQ(AppStart(dir + "/plain"), Pb_Repertoire_Conf);
    // A configuration file that cannot be created (a directory holds its name).
    ASSERT_TRUE(CreateDir(dir + "/data"));
    ASSERT_TRUE(CreateDir(dir + "/data/cg_conf.txt"));
    EXPECT_EQ(AppStart(dir), Pb_Fichier_Conf);

    ASSERT_EQ(dialogs.informations.size(), 3u);
    EXPECT_EQ(dialogs.informations[0], GetMessagePgm(Pb_Repertoire_Conf));
    EXPECT_EQ(dialogs.informations[1], GetMessagePgm(Pb_Repertoire_Conf));
    EXPECT_EQ(dialogs.informations[2], GetMessagePgm(Pb_Fichier_Conf));
    EXPECT_FALSE(AppRunning());
    EXPECT_EQ(Thread_ES, nullptr);
    EXPECT_EQ(EntreesSorties, nullptr);
}

TEST_F(AppTest, ViewedFileOfTheConfiguration) {
    WriteFile(Data() + "VORN8_00042.txt", kCapture);
    WriteFile(Data() + "VORN8_00042_Conf.txt", "CGM=VORN8\r\nConvSievert=0.00812\r\n");

    struct Case {
        const char* name;
        const char* source;
        bool deleted;
        size_t records;
        const char* factor; // shown in the statistics page
    } cases[] = {
        {"file shown", "Fichier", false, 3, "0.00812"},
        {"capture shown: file loaded, nothing displayed", "Capture", false, 3, ""},
        {"deleted file", "Fichier", true, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = Data() + (c.deleted ? "gone.txt" : "VORN8_00042.txt");
        WriteFile(Data() + "cg_conf.txt",
                  "FichierCSV=" + file + "\r\nSource=" + c.source + "\r\nAffCPM=False\r\n");
        Principal.cg_facteur_conversion.clear();
        Start();
        EXPECT_EQ(F_Fichier.size(), c.records);
        EXPECT_EQ(Principal.cg_facteur_conversion, c.factor);
        // tab_CPM false: the dose-rate chart alone, units switch on µSv/h.
        EXPECT_FALSE(Principal.chartComptageMn_visible);
        EXPECT_TRUE(Principal.chartComptageSV_visible);
        EXPECT_EQ(Principal.cg_Tab_RadioGroup_unit, CMSV);
        EXPECT_TRUE(dialogs.informations.empty());
        AppShutdown();
    }
}

TEST_F(AppTest, ShutdownSavesConfigurationCaptureAndJournalInThatOrder) {
    Start();
    Fichier_conf.alerte_comptage = 77;
    Fichier_conf.type_compteur_Capture = CVORN8;
    Fichier_conf.Serial_Compteur = 42;
    AjoutValeurCSV(F_Capture, EncodeDateTime(2024, 5, 1, 10, 0), 60, 12);
    ASSERT_TRUE(AppShutdown());

    const std::string conf = Data() + "cg_conf.txt", capture = Data() + "VORN8_00042.txt",
                      journal = Data() + "cg_log.txt";
    EXPECT_NE(ReadFile(conf).find("SeuilAlarme=77"), std::string::npos);
    EXPECT_NE(ReadFile(capture).find(";60;12"), std::string::npos);
    struct stat a {
    }, b{}, c{};
    ASSERT_EQ(stat(conf.c_str(), &a), 0);
    ASSERT_EQ(stat(capture.c_str(), &b), 0);
    ASSERT_EQ(stat(journal.c_str(), &c), 0);
    auto ns = [](const struct stat& s) {
        return s.st_mtim.tv_sec * 1000000000LL + s.st_mtim.tv_nsec;
    };
    EXPECT_LE(ns(a), ns(b));
    EXPECT_LE(ns(b), ns(c));
}

TEST_F(AppTest, FileThatCannotBeSavedAtShutdownIsNamedInTheJournalFile) {
    for (const char* blocked : {"VORN8_00042.txt", "cg_conf.txt"}) {
        SCOPED_TRACE(blocked);
        Start();
        Fichier_conf.type_compteur_Capture = CVORN8;
        Fichier_conf.Serial_Compteur = 42;
        AjoutValeurCSV(F_Capture, EncodeDateTime(2024, 5, 1, 10, 0), 60, 12);
        // A directory in place of the file.
        std::remove((Data() + blocked).c_str());
        ASSERT_TRUE(CreateDir(Data() + blocked));
        EXPECT_FALSE(AppShutdown());
        // The journal is written last, so it holds the failure and the file's name.
        EXPECT_NE(ReadFile(Data() + "cg_log.txt")
                      .find(GetMessagePgm(pb_ecr_fichier) + ": " + Data() + blocked),
                  std::string::npos);
        EXPECT_FALSE(AppRunning());
        ::rmdir((Data() + blocked).c_str());
    }
}
