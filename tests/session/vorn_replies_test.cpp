#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "records/counter.h"
#include "reply_fixture.h"
#include "session/statistics_view.h"

namespace zel::testing {
namespace {

class VornReplies : public ReplyTest {
  protected:
    void SetUp() override {
        ReplyTest::SetUp();
        Connecte(CVORN8);
        Fichier_conf.conversion_sievert_capture = 0.0057;
        Fichier_conf.Source = CFICHIER; // statistics of a viewed file: not touched by counts
        mn_ = std::make_unique<TNiceChart>();
        sv_ = std::make_unique<TNiceChart>();
        SerieComptageMn = mn_->AddSeries(skBar);
        SerieComptageSV = sv_->AddSeries(skBar);
        Principal.chartComptageMn = mn_.get();
        Principal.chartComptageSV = sv_.get();
    }
    void TearDown() override {
        Principal.chartComptageMn = Principal.chartComptageSV = nullptr;
        SerieComptageMn = SerieComptageSV = nullptr;
        mn_.reset();
        sv_.reset();
        ReplyTest::TearDown();
    }
    // Count lines one minute apart, going on from the previous call.
    void Comptes(const std::vector<int32_t>& counts) {
        for (int32_t c : counts)
            Recoit("CM=" + std::to_string(c), IncSecond(T0, 60.0 * minute_++));
    }
    int minute_ = 0;
    void Telechargement() {
        T->SetDLParam(3600, Entier1);
        T->SetComdAttendue(Comd_DL);
        F_DownLoad.clear();
    }
    std::unique_ptr<TNiceChart> mn_, sv_;
};

TEST_F(VornReplies, CountLineShowsValuesAddsPointsAndRecord) {
    SetRegional(RegionalSettings{'/', ':', ',', "fr", "FR"});
    Recoit("CM=37");
    EXPECT_EQ(Principal.cg_cpm_mn, "37");
    EXPECT_EQ(Principal.cg_sv_H, "0,211"); // regional decimal separator
    ASSERT_EQ(SerieComptageMn->Values.size(), 1u);
    ASSERT_EQ(SerieComptageSV->Values.size(), 1u);
    EXPECT_EQ(SerieComptageMn->Values[0].X, T0);
    EXPECT_EQ(SerieComptageMn->Values[0].Y, 37);
    EXPECT_NEAR(SerieComptageSV->Values[0].Y, 37 * 0.0057, 1e-12);
    ASSERT_EQ(F_Capture.size(), 1u);
    EXPECT_EQ(F_Capture[0].T, T0);
    EXPECT_EQ(F_Capture[0].Duree, 60);
    EXPECT_EQ(F_Capture[0].Comptage, 37);
    EXPECT_EQ(Journal(), std::vector<std::string>{Recu("CM=37")});
    EXPECT_EQ(T->Commande, Comd_Rien);
}

TEST_F(VornReplies, NegativeCountIsMarkedRaisesAlarmAndIsSummed) {
    Fichier_conf.alerte_active = true;
    Fichier_conf.alerte_comptage = 50;
    Recoit("CM=-1");
    EXPECT_EQ(Principal.cg_cpm_mn, "***");
    EXPECT_EQ(Principal.cg_sv_H, "***");
    ASSERT_EQ(SerieComptageMn->Values.size(), 1u);
    EXPECT_EQ(SerieComptageMn->Values[0].Y, 9999);
    // The dose chart carries the same mark in µSv/h.
    EXPECT_NEAR(SerieComptageSV->Values[0].Y, 9999 * 0.0057, 1e-9);
    EXPECT_TRUE(Alarme_en_cours);
    EXPECT_EQ(T->Cpt_H_mn[0], -1);
    ASSERT_EQ(F_Capture.size(), 1u);
    EXPECT_EQ(F_Capture[0].Comptage, -1);
}

TEST_F(VornReplies, CountTheCaptureDoesNotKeepIsShownButNotCharted) {
    Recoit("CM=37", T0);
    Recoit("CM=40", T0); // the same second: lines are stamped to the second
    Recoit("CM=-1", T0);
    Recoit("CM=12", IncSecond(T0, 1));
    EXPECT_EQ(Principal.cg_cpm_mn, "12");
    ASSERT_EQ(F_Capture.size(), 2u);
    for (TNiceSeries* s : {SerieComptageMn, SerieComptageSV}) {
        ASSERT_EQ(s->Values.size(), 2u);
        EXPECT_EQ(s->Values[0].X, F_Capture[0].T);
        EXPECT_EQ(s->Values[1].X, F_Capture[1].T);
    }
    EXPECT_EQ(SerieComptageMn->Values[1].Y, 12);
    // The hour still sums every count received.
    EXPECT_EQ(T->Cpt_H_mn[0], 37 + 40 - 1 + 12);
}

TEST_F(VornReplies, RepeatedHourOfTheAutumnClockChangeIsShownAndToldOnce) {
    // Counts at 02:57:30, 02:58:30, 02:59:30; then the clock goes back an hour and the counts
    // of 02:00:45 to 02:58:45 are dated before the capture's last record; 02:59:45 is not.
    const TDateTime avant = EncodeDateTime(2024, 10, 27, 2, 57, 30);
    for (int i = 0; i < 3; ++i)
        Recoit("CM=" + std::to_string(10 + i), IncSecond(avant, 60.0 * i));
    const TDateTime apres = EncodeDateTime(2024, 10, 27, 2, 0, 45);
    Journal();
    for (int i = 0; i < 59; ++i) {
        Recoit("CM=" + std::to_string(100 + i), IncSecond(apres, 60.0 * i));
        EXPECT_EQ(Principal.cg_cpm_mn, std::to_string(100 + i));
    }
    const std::string dit = Emis(CountsNotKeptClockBack) + "59";
    EXPECT_EQ(std::count(Principal.cg_info_status.begin(), Principal.cg_info_status.end(), dit), 0);
    Recoit("CM=7", IncSecond(apres, 60.0 * 59));
    Recoit("CM=8", IncSecond(apres, 60.0 * 60));
    const std::vector<std::string> j = Journal();
    EXPECT_EQ(std::count(j.begin(), j.end(), dit), 1) << ::testing::PrintToString(j);
    const auto recu = std::find(j.begin(), j.end(), Recu("CM=7"));
    ASSERT_NE(recu, j.end());
    EXPECT_EQ(*(recu + 1), dit); // told when the clock has caught up

    // The capture keeps its date order; the charts show every count.
    ASSERT_EQ(F_Capture.size(), 5u);
    EXPECT_EQ(F_Capture[3].Comptage, 7);
    for (TNiceSeries* s : {SerieComptageMn, SerieComptageSV})
        EXPECT_EQ(s->Values.size(), 3u + 59u + 2u);
    EXPECT_EQ(SerieComptageMn->Values[3].X, apres);
    EXPECT_EQ(SerieComptageMn->Values[3].Y, 100);
    EXPECT_EQ(T->Nb_Mn, 3 + 59 + 2 - 60);
}

TEST_F(VornReplies, FactorReplyConvertsTheCounterCountsSoFarAgain) {
    Fichier_conf.Source = CCAPTURE; // the statistics show the live capture
    Fichier_conf.alerte_comptage = 100;
    double statistiques = 0; // the factor the statistics were last shown with
    SetStatisticsView([&](const TCaptureList&, double f, TTypeCompteur) { statistiques = f; });
    struct Oublie {
        ~Oublie() { SetStatisticsView(nullptr); }
    } oublie;
    Comptes({51}); // the previous counter, with its factor 0.0057
    T->SetComdAttendue(Comd_VP);
    Recoit("VP=2.1,VORN8,99", IncSecond(T0, 90)); // no file of its own: 0.0081208 until it says
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_capture, Conversion_Sievert_LND712);
    Comptes({37, -1, 12});
    EXPECT_DOUBLE_EQ(statistiques, Conversion_Sievert_LND712);

    T->SetComdAttendue(comd_CF);
    Recoit("CF=0.0065", IncSecond(T0, 200));
    ASSERT_EQ(SerieComptageSV->Values.size(), 4u);
    const double attendu[] = {51 * 0.0057, 37 * 0.0065, 9999 * 0.0065, 12 * 0.0065};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(SerieComptageSV->Values[i].Y, attendu[i], 1e-9) << i;
        EXPECT_EQ(SerieComptageSV->Values[i].X, SerieComptageMn->Values[i].X) << i;
    }
    EXPECT_EQ(Principal.cg_sv_H, "0.078"); // the last count, 12
    EXPECT_DOUBLE_EQ(statistiques, 0.0065);
    EXPECT_EQ(Principal.cg_seuil_alarme_SV, "0.65000");
    // The hour's dose sum holds the previous counter's count as it was, this one's anew.
    EXPECT_NEAR(T->Cpt_H_SV[0], 51 * 0.0057 + (37 - 1 + 12) * 0.0065, 1e-12);
    EXPECT_EQ(Principal.cg_tr_moy_sv, "0.1507"); // (0.2907 + 48 x 0.0065) / 4
}

TEST_F(VornReplies, UnreadableCountIsIncorrect) {
    Recoit("CM=abc");
    EXPECT_EQ(Journal(), (std::vector<std::string>{Recu("CM=abc"), Emis(Cmd_Compteur_Incorrecte),
                                                   Emis(Cmd_Compteur_Incorrecte)}));
    EXPECT_TRUE(F_Capture.empty());
}

TEST_F(VornReplies, SixtiethCountClosesTheHourAndSavesTheCapture) {
    Comptes(std::vector<int32_t>(59, 10));
    EXPECT_EQ(T->I_Cpt_H, 0);
    EXPECT_EQ(T->Nb_Mn, 59);
    EXPECT_FALSE(Existe("VORN8_01234.txt"));
    Comptes({10});
    EXPECT_EQ(T->I_Cpt_H, 1);
    EXPECT_EQ(T->Nb_Mn, 0);
    EXPECT_EQ(T->Cpt_H_mn[0], 600);
    EXPECT_EQ(T->Cpt_H_mn[1], 0);
    EXPECT_TRUE(Existe("VORN8_01234.txt"));
    TextList saved;
    ASSERT_TRUE(LoadTextFile(Repertoire_conf + "VORN8_01234.txt", saved));
    EXPECT_EQ(saved.size(), 60u);
    EXPECT_FALSE(T->H24);
}

TEST_F(VornReplies, MeansCoverTheMinutesSoFarWithIntegerTruncation) {
    Comptes({37});
    EXPECT_EQ(Principal.cg_tr_moy_cpm, "37");
    EXPECT_EQ(Principal.cg_tr_moy_sv, "0.2109"); // 4 significant digits, "." always

    std::vector<int32_t> counts;
    int64_t sum = 37;
    for (int i = 1; i < 90; ++i) {
        counts.push_back(i % 7 + 20);
        sum += i % 7 + 20;
    }
    Comptes(counts);
    EXPECT_EQ(Principal.cg_tr_moy_cpm, std::to_string(sum / 90));
}

TEST_F(VornReplies, After24HoursMeansCoverTheCompleteHoursOnly) {
    // Hour h counts (h + 1) * 10 per minute.
    for (int h = 0; h < 24; ++h)
        Comptes(std::vector<int32_t>(60, (h + 1) * 10));
    EXPECT_TRUE(T->H24);
    EXPECT_EQ(T->I_Cpt_H, 24);
    EXPECT_EQ(Principal.cg_tr_moy_cpm, "125"); // (10 + ... + 240) / 24
    EXPECT_EQ(Principal.cg_tr_moy_sv, "0.7125");

    Comptes(std::vector<int32_t>(30, 250)); // the hour in progress is left out
    EXPECT_EQ(Principal.cg_tr_moy_cpm, "125");

    Comptes(std::vector<int32_t>(30, 250)); // 25th hour complete: the ring wraps to slot 0
    EXPECT_EQ(T->I_Cpt_H, 0);
    EXPECT_EQ(T->Cpt_H_mn[0], 0);
    EXPECT_TRUE(T->H24);
    EXPECT_EQ(Principal.cg_tr_moy_cpm, "135"); // hours 2 to 25: (20 + ... + 250) / 24
}

TEST_F(VornReplies, GarbledHugeCountsSaturateTheHourlySum) {
    Comptes(std::vector<int32_t>(20, 134217727)); // the largest count a line can carry
    EXPECT_EQ(T->Cpt_H_mn[0], std::numeric_limits<int32_t>::max());
}

TEST(DecodeDLTest, Encodings) {
    struct Case {
        TCodage codage;
        int32_t in;
        bool ok;
        int32_t out;
    } cases[] = {
        {Entier1, 5, true, 5},         {Entier1, -1, true, -1},       {Entier2, -1, true, -1},
        {Entier2, 5, true, 5},         {Entier2, 0x2005, true, 50},   {Entier2, 0x4001, true, 100},
        {Entier2, 0x6005, true, 5000}, {Entier2, 0x1FFF, true, 8191}, {Entier2, 0x8005, false, 0},
        {Entier2, 32773, false, 0},
    };
    for (const Case& c : cases) {
        int32_t out = 12345;
        EXPECT_EQ(DecodeDL(c.codage, c.in, out), c.ok) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST_F(VornReplies, Model8DownloadRunsBackwardFromTheHeader) {
    Telechargement();
    Recoit("DL=INT2,O30,P3600", T0);
    EXPECT_EQ(T->Commande, Comd_DL_suite);
    EXPECT_EQ(T->Codage, Entier2);
    EXPECT_EQ(T->Periode, 3600);
    Recoit("DL=5,8197,32773", IncSecond(T0, 2));
    EXPECT_EQ(Principal.enr, "1");
    Recoit("DL=END", IncSecond(T0, 3));
    EXPECT_EQ(T->Commande, Comd_Rien);
    EXPECT_EQ(T->LastDLDateTime, 0);

    ASSERT_EQ(F_DownLoad.size(), 2u);
    EXPECT_EQ(DateMs(F_DownLoad[0].T), DateMs(IncSecond(T0, -3630)));
    EXPECT_EQ(F_DownLoad[0].Comptage, 50);
    EXPECT_EQ(DateMs(F_DownLoad[1].T), DateMs(IncSecond(T0, -30)));
    EXPECT_EQ(F_DownLoad[1].Comptage, 5);
    EXPECT_EQ(F_DownLoad[1].Duree, 3600);

    TextList saved;
    ASSERT_TRUE(LoadTextFile(Repertoire_conf + "VORN8_01234_DL.txt", saved));
    EXPECT_EQ(saved.size(), 2u);
    EXPECT_TRUE(Existe("VORN8_01234_Conf.txt"));
}

TEST_F(VornReplies, Model2DownloadRunsForwardFromItsDate) {
    Connecte(CVORN2, 77);
    Telechargement();
    Recoit("DL=24/05/17 10:00");
    EXPECT_EQ(T->Commande, Comd_DL_suite);
    Recoit("DL=12,15");
    Recoit("DL=END");
    ASSERT_EQ(F_DownLoad.size(), 2u);
    EXPECT_EQ(F_DownLoad[0].T, EncodeDateTime(2024, 5, 17, 10, 0, 0));
    EXPECT_EQ(F_DownLoad[0].Comptage, 12);
    EXPECT_EQ(DateMs(F_DownLoad[1].T), DateMs(EncodeDateTime(2024, 5, 17, 11, 0, 0)));
    EXPECT_EQ(F_DownLoad[1].Comptage, 15);
    EXPECT_TRUE(Existe("VORN2_00077_DL.txt"));
}

TEST_F(VornReplies, DownloadWithoutHeaderIsDatedFromItsFirstLine) {
    Telechargement();
    Recoit("DL=7,8", T0);
    Recoit("DL=NODATA");
    EXPECT_EQ(T->Commande, Comd_Rien);
    ASSERT_EQ(F_DownLoad.size(), 2u);
    EXPECT_EQ(F_DownLoad[1].T, T0);
    EXPECT_EQ(F_DownLoad[1].Comptage, 7);
    EXPECT_FALSE(Existe("VORN8_01234_DL.txt")); // nothing to save
}

TEST_F(VornReplies, DownloadLinesThatDoNotFit) {
    // Not asked for: the line ends as an incorrect command.
    Recoit("DL=5,6");
    EXPECT_TRUE(F_DownLoad.empty());
    EXPECT_EQ(Journal(), (std::vector<std::string>{Recu("DL=5,6"), Emis(Cmd_Compteur_Incorrecte)}));

    // An unknown header item stops the download.
    Telechargement();
    Recoit("DL=INT2,X5");
    EXPECT_EQ(T->Commande, Comd_Rien);
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{Recu("DL=INT2,X5"), Emis(Cmd_Compteur_Incorrecte),
                                        Emis(Cmd_Compteur_Incorrecte)}));
}

TEST_F(VornReplies, ParameterReplies) {
    struct Case {
        TTypeCompteur model;
        const char* line;
        bool accepted;
        int led, buz, unites;
        const char* seuil;
        const char* date;
        const char* heure;
    } cases[] = {
        {CVORN3, "PC=ON,OFF,SV,100", true, 0, 1, 0, "100", "", ""},
        {CVORN3, "PC = OFF , ON , PM , 42", true, 1, 0, 1, "42", "", ""},
        {CVORN10, "PC=ON,OFF,SV,100,LI36,24,12,31,0,0", true, 0, 1, 0, "100", "24/12/31", "0:0"},
        // Out-of-range parts are left out with their separator.
        {CVORN10, "PC=ON,ON,PM,60,AL45,24,13,31,24,5", true, 0, 0, 1, "60", "24/31", ":5"},
        // A shorter model 10 reply is not accepted.
        {CVORN10, "PC=ON,OFF,SV,100,LI36,24", false, 0, 1, 0, "100", "", ""},
        // Nothing read: the dialog keeps its own selections, alarms off and counts per minute.
        {CVORN3, "PC=MAYBE", false, 1, 1, 1, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Connecte(c.model);
        cg_param_vornx = TParamVornModel{};
        T->SetComdAttendue(Comd_mode_PC);
        Journal();
        Recoit(c.line);
        const std::vector<std::string> j = Journal();
        EXPECT_EQ(j.size() == 1, c.accepted); // only the reply itself is journalled
        EXPECT_EQ(T->Commande, Comd_Rien);
        EXPECT_EQ(cg_param_vornx.led, c.led);
        EXPECT_EQ(cg_param_vornx.buz, c.buz);
        EXPECT_EQ(cg_param_vornx.unites, c.unites);
        EXPECT_EQ(cg_param_vornx.seuil, c.seuil);
        EXPECT_EQ(cg_param_vornx.Date, c.date);
        EXPECT_EQ(cg_param_vornx.Heure, c.heure);
    }
}

TEST_F(VornReplies, ConversionFactor) {
    Connecte(CVORN3);
    T->SetComdAttendue(comd_CF);
    Recoit("CF=0.0065");
    EXPECT_EQ(Fichier_conf.conversion_sievert_capture, 0.0065);
    EXPECT_EQ(cg_param_vornx.facteur_conversion, "0.0065");
    EXPECT_EQ(T->Commande, Comd_Rien);

    Fichier_conf.conversion_sievert_capture = 0.0081208;
    T->SetComdAttendue(comd_CF);
    Journal();
    Recoit("CF=0");
    EXPECT_EQ(Fichier_conf.conversion_sievert_capture, 0.0057);
    EXPECT_EQ(Journal(), (std::vector<std::string>{Recu("CF=0"), Emis(pb_conversion)}));

    // Not asked for: rejected, the factor unchanged.
    Recoit("CF=0.01");
    EXPECT_EQ(Fichier_conf.conversion_sievert_capture, 0.0057);
}

TEST_F(VornReplies, InternalData) {
    Connecte(CVORN3);
    T->SetComdAttendue(Comd_ID);
    Recoit("ID=3600");
    EXPECT_EQ(cg_param_vornx.batterie, "3.6");
    EXPECT_EQ(T->Commande, Comd_Rien);

    Connecte(CVORN8);
    T->SetComdAttendue(Comd_ID);
    Recoit("ID=450,1000,200,30");
    EXPECT_EQ(cg_param_vornx.batterie, "4.5");
    EXPECT_EQ(cg_param_vornx.mem_max, "1000");
    EXPECT_EQ(cg_param_vornx.mem_used, "200");
    EXPECT_EQ(cg_param_vornx.jours, "30");

    T->SetComdAttendue(Comd_ID);
    Journal();
    Recoit("ID=450,");
    EXPECT_EQ(Journal(), (std::vector<std::string>{Recu("ID=450,"), Emis(Cmd_Compteur_Incorrecte),
                                                   Emis(Cmd_Compteur_Incorrecte)}));
}

} // namespace
} // namespace zel::testing
