// What the main window's controls and menus do, without a window.
#include <algorithm>

#include "app/app.h"
#include "app_fixture.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/capture.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

using namespace zel;

namespace {

const char* const kCapture = "2024/05/01 10:00:00;60;10\r\n"
                             "2024/05/01 10:01:00;60;20\r\n"
                             "2024/05/03 10:02:00;60;15\r\n";
const char* const kConf = "CGM=VORN8\r\nConvSievert=0.00570\r\n";

bool JournalHas(const std::string& text) {
    return std::any_of(F_Log.begin(), F_Log.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

class MainWindowTest : public zeltest::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteFile(Data() + "VORN8_00042.txt", kCapture);
        WriteFile(Data() + "VORN8_00042_Conf.txt", kConf);
        WriteFile(Data() + "VORN8_00043.txt", "2024/05/04 10:00:00;60;30\r\n");
        WriteFile(Data() + "VORN8_00043_Conf.txt", kConf);
        Start();
    }

    // Opens the first capture file through the menu: the file becomes the source.
    void OpenCapture() {
        dialogs.openFiles.push_back(Data() + "VORN8_00042.txt");
        cg_menuitem_ouvrirClick();
        ASSERT_EQ(F_Fichier.size(), 3u);
    }

    // Refreshes counted by the busy pointer they show.
    int Refreshes() const { return dialogs.busyOn; }
};

TEST_F(MainWindowTest, OpeningAFileShowsItOnTheHistoryPage) {
    ASSERT_EQ(Fichier_conf.Source, CCAPTURE);
    OpenCapture();
    EXPECT_EQ(Fichier_conf.Source, CFICHIER);
    EXPECT_EQ(Principal.cg_source, CFICHIER);
    EXPECT_EQ(Principal.cg_PageControl, 1);
    EXPECT_TRUE(Principal.cg_selection_visible);
    EXPECT_EQ(Principal.cg_facteur_conversion, "0.00570");
    EXPECT_EQ(Refreshes(), 1);
    EXPECT_EQ(dialogs.busyOn, dialogs.busyOff);
    EXPECT_EQ(Fichier_conf.date_deb, EncodeDateTime(2024, 5, 1, 10, 0));
    EXPECT_EQ(Fichier_conf.date_fin, EncodeDateTime(2024, 5, 3, 10, 2));
    EXPECT_TRUE(JournalHas(GetMessagePgm(Fichier_en_cours) + Data() + "VORN8_00042.txt"));
    EXPECT_FALSE(DisableEventMain);

    // A file that does not load: its status goes to the journal, nothing else changes.
    dialogs.openFiles.push_back(Data() + "missing.txt");
    cg_menuitem_ouvrirClick();
    EXPECT_TRUE(JournalHas(GetMessagePgm(Pb_ouvrir_fichier)));
    EXPECT_EQ(Refreshes(), 1);
    // Cancelling the dialog changes nothing.
    const size_t lines = F_Log.size();
    cg_menuitem_ouvrirClick();
    EXPECT_EQ(F_Log.size(), lines);
}

TEST_F(MainWindowTest, AFileThatDoesNotOpenLeavesTheViewAsItWas) {
    OpenCapture();
    // The dialog offers capture files first, and all files.
    ASSERT_FALSE(dialogs.openFilters.empty());
    EXPECT_EQ(dialogs.openFilters.back().find("*.txt"), dialogs.openFilters.back().find('(') + 1);
    EXPECT_NE(dialogs.openFilters.back().find("(*)"), std::string::npos);

    WriteFile(Data() + "VORN8_00050.txt", "2024/05/01 10:00:00;60;1000\r\n"); // no _Conf.txt
    WriteFile(Data() + "VORN8_00051.txt", "2024/05/01 10:00:00;60;10\r\n\r\nx\r\n");
    WriteFile(Data() + "VORN8_00051_Conf.txt", kConf);
    struct Case {
        std::string file;
        std::string journal; // the line that says why
    } cases[] = {
        {Data() + "VORN8_00050.txt", GetMessagePgm(pb_conf_compteur) + ": " + Data() +
                                         "VORN8_00050.txt, " + Data() + "VORN8_00050_Conf.txt"},
        {Data() + "VORN8_00042_Conf.txt",
         GetMessagePgm(Fichier_Vide) + ": " + Data() + "VORN8_00042_Conf.txt"},
        {Data() + "VORN8_00051.txt",
         GetMessagePgm(Pb_Fichier_Log) + ": " + Data() + "VORN8_00051.txt:2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        dialogs.openFiles.push_back(c.file);
        cg_menuitem_ouvrirClick();
        EXPECT_NE(F_Log.back().find(c.journal), std::string::npos) << F_Log.back();
        EXPECT_EQ(F_Fichier.size(), 3u);
        EXPECT_EQ(Fichier_conf.Fichier_CSV, Data() + "VORN8_00042.txt");
        EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_Fichier, 0.0057);
        EXPECT_EQ(Fichier_conf.type_compteur_Fichier, CVORN8);
        EXPECT_EQ(Principal.cg_facteur_conversion, "0.00570");
        // Reset shows the viewed file again, not the one refused.
        cg_resetClick();
        RafraichirSource();
        EXPECT_EQ(Principal.cg_nb_events, "3");
        EXPECT_EQ(Principal.Cg_max_CPM, "20");
    }
}

TEST_F(MainWindowTest, OpeningAFileEndingInABlankLine) {
    WriteFile(Data() + "VORN8_00042.txt", std::string(kCapture) + "\r\n");
    OpenCapture();
    EXPECT_EQ(Principal.cg_nb_events, "3");
    EXPECT_EQ(Fichier_conf.date_fin, EncodeDateTime(2024, 5, 3, 10, 2));
}

TEST_F(MainWindowTest, DateWindowRefreshesOnlyWhenADayChanges) {
    OpenCapture();
    const int before = Refreshes();
    // Another time on the same day: nothing.
    cg_date_debChange(EncodeDateTime(2024, 5, 1, 23, 0));
    EXPECT_EQ(Refreshes(), before);
    EXPECT_EQ(Fichier_conf.date_deb, EncodeDateTime(2024, 5, 1, 10, 0));
    // Another day: the bound moves and the display follows.
    cg_date_finChange(EncodeDateTime(2024, 5, 2, 12, 0));
    EXPECT_EQ(Refreshes(), before + 1);
    EXPECT_EQ(Fichier_conf.date_fin, EncodeDateTime(2024, 5, 2, 12, 0));
    // While the program sets the pickers itself, their changes are ignored.
    DisableEventMain = true;
    cg_date_finChange(EncodeDateTime(2024, 6, 2));
    DisableEventMain = false;
    EXPECT_EQ(Refreshes(), before + 1);

    // Reset brings back the records' span and refreshes; a second reset has nothing to do.
    cg_resetClick();
    EXPECT_EQ(Refreshes(), before + 2);
    EXPECT_EQ(Fichier_conf.date_fin, EncodeDateTime(2024, 5, 3, 10, 2));
    cg_resetClick();
    EXPECT_EQ(Refreshes(), before + 2);
    EXPECT_FALSE(DisableEventMain);
}

TEST_F(MainWindowTest, SourceAndUnitSwitches) {
    OpenCapture();
    int n = Refreshes();
    cg_sourceClick(CFICHIER); // already the source
    EXPECT_EQ(Refreshes(), n);
    cg_sourceClick(CCAPTURE);
    EXPECT_EQ(Fichier_conf.Source, CCAPTURE);
    EXPECT_EQ(Refreshes(), ++n);
    cg_sourceClick(CFICHIER);
    EXPECT_EQ(Fichier_conf.Source, CFICHIER);
    EXPECT_EQ(Refreshes(), ++n);

    struct Case {
        int item;
        bool tab_CPM;
        bool refresh;
    } cases[] = {
        {CCPM, true, false}, {CMSV, false, true}, {CMSV, false, false}, {CCPM, true, true}};
    for (const auto& c : cases) {
        cg_Tab_RadioGroup_unitClick(c.item);
        EXPECT_EQ(Fichier_conf.tab_CPM, c.tab_CPM);
        // One live chart at a time.
        EXPECT_EQ(Principal.chartComptageMn_visible, c.tab_CPM);
        EXPECT_EQ(Principal.chartComptageSV_visible, !c.tab_CPM);
        if (c.refresh) ++n;
        EXPECT_EQ(Refreshes(), n);
    }
}

TEST_F(MainWindowTest, ZoomSelectionOnTheHistoryChart) {
    OpenCapture();
    TNiceChart& c = *Principal.chartHisto;
    const int y = (c.RcChart.Top + c.RcChart.Bottom) / 2;
    const int x1 = c.RcChart.Left + 5, x2 = c.RcChart.Right - 5;
    double a = 0, b = 0;
    ASSERT_TRUE(c.ClientToChart(x1, y, a, b));

    auto drag = [&](int from, int to) {
        ChartMouseClickDown(TMouseButton::Left, from, y);
        ChartMouseMove(to, y);
        ChartMouseClickUP(TMouseButton::Left, to, y);
        EXPECT_EQ(LastX, 0);
        EXPECT_EQ(LastY, 0);
        return std::make_pair(Fichier_conf.date_deb, Fichier_conf.date_fin);
    };
    const auto leftToRight = drag(x1, x2);
    cg_resetClick();
    const auto rightToLeft = drag(x2, x1);
    EXPECT_EQ(leftToRight, rightToLeft);
    EXPECT_LT(rightToLeft.first, rightToLeft.second);
    EXPECT_EQ(Principal.date_debut, rightToLeft.first);
    EXPECT_EQ(Principal.date_fin, rightToLeft.second);
    EXPECT_EQ(c.CRect, TRect{});

    // Press and release on one pixel: only the rectangle goes.
    const int n = Refreshes();
    const auto window = std::make_pair(Fichier_conf.date_deb, Fichier_conf.date_fin);
    drag(x1, x1);
    EXPECT_EQ(Refreshes(), n);
    EXPECT_EQ(std::make_pair(Fichier_conf.date_deb, Fichier_conf.date_fin), window);

    // Another button sets no anchor; neither does a press outside the plot area.
    ChartMouseClickDown(TMouseButton::Right, x1, y);
    EXPECT_EQ(LastX, 0);
    ChartMouseClickDown(TMouseButton::Left, 0, 0);
    EXPECT_EQ(LastX, 0);
    ChartMouseClickUP(TMouseButton::Left, x2, y);
    EXPECT_EQ(Refreshes(), n);
}

TEST_F(MainWindowTest, AlarmControls) {
    struct Case {
        int threshold;
        double factor;
        const char* shown;
    } cases[] = {{50, 0.0057, "0.28500"}, {0, 0.0057, "0.00000"}, {100, 0.0081208, "0.81208"}};
    for (const auto& c : cases) {
        Fichier_conf.conversion_sievert_capture = c.factor;
        cg_seuil_alarmeChange(c.threshold);
        EXPECT_EQ(Fichier_conf.alerte_comptage, c.threshold);
        EXPECT_EQ(Principal.cg_seuil_alarme_SV, c.shown);
    }

    cg_alarme_activeClick(true);
    EXPECT_TRUE(Principal.cg_alarme_sonore_enabled);
    cg_alarme_sonoreClick(true);
    EXPECT_TRUE(Fichier_conf.alerte_sonore);
    // No alarm raised: unticking only disables the sound box.
    cg_alarme_activeClick(false);
    EXPECT_FALSE(Principal.cg_alarme_sonore_enabled);
    EXPECT_EQ(sound.stops, 0);

    // A raised alarm is lowered by unticking: sound and blinking stop.
    cg_alarme_activeClick(true);
    Fichier_conf.alerte_comptage = 50;
    Check_Alarme(60);
    ASSERT_TRUE(Alarme_en_cours);
    EXPECT_TRUE(Principal.FlipTimer_enabled);
    cg_alarme_activeClick(false);
    EXPECT_FALSE(Alarme_en_cours);
    EXPECT_FALSE(Principal.FlipTimer_enabled);
    EXPECT_TRUE(Principal.cg_ra_i_visible);
    EXPECT_FALSE(Principal.cg_ra_a_visible);
    EXPECT_EQ(sound.stops, 1);
}

TEST_F(MainWindowTest, MergeTwoCaptureFiles) {
    const std::string a = Data() + "VORN8_00042.txt", b = Data() + "VORN8_00043.txt",
                      out = Data() + "merged.txt";
    // Cancelling the first file: not a word in the journal.
    size_t lines = F_Log.size();
    cg_menuitem_CombineCSVClick();
    EXPECT_EQ(F_Log.size(), lines);

    // Cancelling the second file or the save: "Abandon".
    for (int step = 0; step < 2; ++step) {
        SCOPED_TRACE(step);
        dialogs.openFiles = {a};
        if (step == 1) dialogs.openFiles.push_back(b);
        cg_menuitem_CombineCSVClick();
        EXPECT_NE(F_Log.back().find(GetMessagePgm(Abandon)), std::string::npos);
        EXPECT_FALSE(FileExists(out));
    }

    dialogs.openFiles = {a, b};
    dialogs.saveFiles = {out};
    cg_menuitem_CombineCSVClick();
    EXPECT_TRUE(JournalHas(GetMessagePgm(CombineFichier1) + a));
    EXPECT_TRUE(JournalHas(GetMessagePgm(CombineFichier2) + b));
    EXPECT_TRUE(JournalHas(GetMessagePgm(CombineSauve) + out));
    TCaptureList merged;
    ASSERT_TRUE(merged.load(out));
    EXPECT_EQ(merged.size(), 4u);
    // The viewed records and their settings stay as they were.
    EXPECT_TRUE(F_Fichier.empty());
    EXPECT_EQ(Fichier_conf.Fichier_CSV, "");
    // No counter configuration can belong to that name: the journal says so.
    EXPECT_NE(F_Log.back().find(GetMessagePgm(pb_conf_compteur) + ": " + out), std::string::npos)
        << F_Log.back();

    // A second file that does not load: its status, and no save dialog.
    dialogs.openFiles = {a, std::string(Data() + "none.txt")};
    dialogs.saveFiles = {out};
    cg_menuitem_CombineCSVClick();
    EXPECT_NE(F_Log.back().find(GetMessagePgm(Pb_ouvrir_fichier)), std::string::npos);
    EXPECT_EQ(dialogs.saveFiles.size(), 1u);
}

TEST_F(MainWindowTest, MergeLeavesTheViewedFileAlone) {
    OpenCapture(); // a VORN8 file, factor 0.0057
    const char* const gs = "CGM=GS2_\r\nConvSievert=0.01\r\n";
    WriteFile(Data() + "GS2_00001.txt", "2024/06/01 10:00:00;600;50\r\n");
    WriteFile(Data() + "GS2_00001_Conf.txt", gs);
    WriteFile(Data() + "GS2_00002.txt", "2024/06/02 10:00:00;600;60\r\n");
    WriteFile(Data() + "GS2_00002_Conf.txt", gs);
    const std::string out = Data() + "GS2_00009.txt";
    dialogs.openFiles = {Data() + "GS2_00001.txt", Data() + "GS2_00002.txt"};
    dialogs.saveFiles = {out};
    cg_menuitem_CombineCSVClick();
    ASSERT_TRUE(JournalHas(GetMessagePgm(CombineSauve) + out));
    EXPECT_EQ(Fichier_conf.Fichier_CSV, Data() + "VORN8_00042.txt");
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_Fichier, 0.0057);
    EXPECT_EQ(Fichier_conf.type_compteur_Fichier, CVORN8);
    RafraichirSource();
    EXPECT_EQ(Principal.cg_moyenne_Sv, "0.0855"); // 15 CPM x 0.0057

    // Both inputs agree: the merged file has its configuration and opens.
    dialogs.openFiles = {out};
    cg_menuitem_ouvrirClick();
    EXPECT_EQ(F_Fichier.size(), 2u);
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_Fichier, 0.01);
    EXPECT_EQ(Fichier_conf.type_compteur_Fichier, GAMMA_SCOUT2);

    // Inputs that disagree: no configuration is made up; the journal says the file lacks one.
    const std::string out2 = Data() + "VORN8_00077.txt";
    dialogs.openFiles = {Data() + "GS2_00001.txt", Data() + "VORN8_00043.txt"};
    dialogs.saveFiles = {out2};
    cg_menuitem_CombineCSVClick();
    EXPECT_TRUE(FileExists(out2));
    EXPECT_FALSE(FileExists(Data() + "VORN8_00077_Conf.txt"));
    EXPECT_NE(F_Log.back().find(GetMessagePgm(pb_conf_compteur) + ": " + out2), std::string::npos)
        << F_Log.back();
}

TEST_F(MainWindowTest, ConfirmedCounterCommands) {
    // The session listens on a closed port: a posted command is journalled, then fails to
    // send; enough to see what was posted.
    SetEmission(Comd_Connecte, "");
    Fichier_conf.type_compteur_Capture = CVORN2;
    Fichier_conf.PortCom = 0;

    cg_menuitem_IClick();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], GetMessagePgm(Init_confirm));
    EXPECT_FALSE(JournalHas(GetMessagePgm(RazMemoire)));

    cg_menuitem_BClick();
    EXPECT_EQ(dialogs.questions.back(), GetMessagePgm(reboot_confirm));
    EXPECT_FALSE(JournalHas(GetMessagePgm(Redemarre)));

    dialogs.okCancelAnswers = {true};
    cg_menuitem_IClick();
    EXPECT_TRUE(JournalHas(GetMessagePgm(RazMemoire)));

    // Other VORN models set the clock without asking.
    Fichier_conf.type_compteur_Capture = CVORN8;
    const size_t asked = dialogs.questions.size();
    cg_menuitem_IClick();
    EXPECT_EQ(dialogs.questions.size(), asked);
}

TEST(MainWindowTexts, HelpAddressClockTextAndParameterDialogs) {
    EXPECT_TRUE(AdresseAide("FR").ends_with("/ressources/zelvanor/zelvanor_fr.htm"))
        << AdresseAide("FR");
    EXPECT_NE(AdresseAide("EN").find("zelvanor_en.htm"), std::string::npos);

    SetRegional({'.', '-', ',', "fr", "FR"});
    EXPECT_EQ(TexteDateHeureVORN(EncodeDateTime(2024, 3, 5, 9, 7)), "2024.03.05 09-07");
    ResetRegional();

    struct Case {
        TTypeCompteur t;
        int dialog;
    } cases[] = {{CVORN2, 0},       {CVORN3, 1},       {CVORN8, 1},
                 {CVORN9, 1},       {CVORN10, 1},      {Unknown, 0},
                 {GAMMA_SCOUT1, 2}, {GAMMA_SCOUT2, 2}, {NotInitialized, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ParamDialogPourModele(c.t), c.dialog) << int(c.t);
}

TEST_F(MainWindowTest, HelpPageOpensLocallyInTheConfiguredLanguage) {
    const std::string en = dir + "/help/en/index.html", fr = dir + "/help/fr/index.html";
    // No help installed: the box says which file is missing.
    Fichier_conf.Langue = "FR";
    cg_menu_aideClick();
    EXPECT_TRUE(links.opened.empty());
    ASSERT_EQ(dialogs.informations.size(), 1u);
    EXPECT_EQ(dialogs.informations[0], GetProgramText(ProgramText::HelpMissing) + en);

    ASSERT_TRUE(CreateDir(dir + "/help") && CreateDir(dir + "/help/en") &&
                CreateDir(dir + "/help/fr"));
    WriteFile(en, "<html></html>");
    WriteFile(fr, "<html></html>");
    struct Case {
        const char* code;
        std::string page;
    } cases[] = {
        {"FR", fr},
        {"fr", fr},
        {"EN", en},
        // No page in that language, or a code that names no directory: English.
        {"DE", en},
        {"../fr", en},
        {"", en},
    };
    for (const Case& c : cases) {
        links.opened.clear();
        Fichier_conf.Langue = c.code;
        cg_menu_aideClick();
        ASSERT_EQ(links.opened.size(), 1u) << c.code;
        EXPECT_EQ(links.opened[0], "file://" + c.page) << c.code;
    }
    EXPECT_EQ(dialogs.informations.size(), 1u);
    // No browser could start: the box gives the file.
    links.works = false;
    Fichier_conf.Langue = "FR";
    cg_menu_aideClick();
    ASSERT_EQ(dialogs.informations.size(), 2u);
    EXPECT_EQ(dialogs.informations[1], GetProgramText(ProgramText::HelpNotOpened) + fr);
}

} // namespace
