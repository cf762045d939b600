// The statistics of a capture list over the display window, shown in the history and
// distribution series and the fields of the "Statistiques" page.
#include <gtest/gtest.h>

#include "app/app.h"
#include "base/regional.h"
#include "chart/nice_chart.h"
#include "model/model.h"
#include "records/statistics.h"
#include "settings/config.h"

using namespace zel;

namespace {

class PaintCounter : public ChartHost {
  public:
    int paints = 0;
    TextMeasurer& Measurer() override { return m_; }
    void PaintNow(TNiceChart&) override { ++paints; }
    void DrawFocusRect(const TRect&) override {}

  private:
    FixedTextMeasurer m_;
};

class StatCSVTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        histo_.SetHost(&histo_host_);
        gauss_.SetHost(&gauss_host_);
        SerieHisto = histo_.AddSeries(skBar);
        SerieGauss = gauss_.AddSeries(skBar);
        saved_ = Fichier_conf;
        Fichier_conf.tab_CPM = true;
        Fichier_conf.date_deb = EncodeDateTime(2024, 3, 15, 0, 0, 0);
        Fichier_conf.date_fin = EncodeDateTime(2024, 3, 16, 0, 0, 0);
        Principal.cg_nb_events = "previous";
    }
    void TearDown() override {
        SerieHisto = nullptr;
        SerieGauss = nullptr;
        Fichier_conf = saved_;
        ResetRegional();
    }
    static TCaptureList List(std::initializer_list<const char*> lines) {
        TCaptureList f;
        for (const char* l : lines)
            f.push_back(l);
        return f;
    }
    static std::vector<std::pair<double, double>> Points(const TNiceSeries* s) {
        std::vector<std::pair<double, double>> v;
        for (const TXYInfo& p : s->Values)
            v.emplace_back(p.X, p.Y);
        return v;
    }
    static void ExpectValueFieldsEmpty() {
        const TprincipalModel& p = Principal;
        for (const std::string* f :
             {&p.cg_moyenne_cpm, &p.cg_moyenne_Sv, &p.Cg_max_CPM, &p.Cg_Max_SV, &p.cg_date_max,
              &p.cg_ecart_type_CPM, &p.cg_ecart_type_SV})
            EXPECT_EQ(*f, "");
    }

    PaintCounter histo_host_, gauss_host_;
    TNiceChart histo_, gauss_;
    type_fichier_conf saved_;
};

} // namespace

TEST_F(StatCSVTest, EmptyList) {
    Principal.cg_moyenne_cpm = "stale";
    EXPECT_EQ(StatCSV(TCaptureList{}, 0.0057, CVORN3), Traitement_Termine);
    EXPECT_TRUE(SerieHisto->Values.empty());
    EXPECT_TRUE(SerieGauss->Values.empty());
    ExpectValueFieldsEmpty();
    EXPECT_EQ(Principal.cg_nb_events, "0");
}

TEST_F(StatCSVTest, MeanMaximumDeviationAndDistribution) {
    const TCaptureList f = List(
        {"2024/03/15 08:00:00;60;10", "2024/03/15 08:01:00;60;20", "2024/03/15 08:02:00;60;15"});
    EXPECT_EQ(StatCSV(f, 0.0057, CVORN3), Traitement_Termine);
    const TprincipalModel& p = Principal;
    EXPECT_EQ(p.cg_moyenne_cpm, "15");
    EXPECT_EQ(p.cg_moyenne_Sv, "0.0855");
    EXPECT_EQ(p.Cg_max_CPM, "20");
    EXPECT_EQ(p.Cg_Max_SV, "0.114");
    EXPECT_EQ(p.cg_date_max, "2024/03/15 08:01");
    EXPECT_EQ(p.cg_ecart_type_CPM, "4.0825");
    EXPECT_EQ(p.cg_ecart_type_SV, "0.0233");
    EXPECT_EQ(p.cg_nb_events, "3");

    ASSERT_EQ(SerieHisto->Values.size(), 3u);
    EXPECT_EQ(SerieHisto->Values[1].X, EncodeDateTime(2024, 3, 15, 8, 1, 0));
    EXPECT_EQ(SerieHisto->Values[1].Y, 20);
    const std::vector<std::pair<double, double>> gauss = {
        {10, 1.0 / 3}, {15, 1.0 / 3}, {20, 1.0 / 3}};
    EXPECT_EQ(Points(SerieGauss), gauss);
    // Both charts were held in update mode: one layout and one paint each.
    EXPECT_EQ(histo_host_.paints, 1);
    EXPECT_EQ(gauss_host_.paints, 1);
    EXPECT_FALSE(histo_.Updating());
    EXPECT_EQ(histo_.FormatY(), "%.0f");
    EXPECT_EQ(gauss_.FormatX(), "%5.0f%");
}

TEST_F(StatCSVTest, WhichRecordsCountAndHow) {
    const struct {
        const char* name;
        std::vector<const char*> lines;
        TTypeCompteur model;
        const char* nb;
        const char* max;
        const char* mean;
    } cases[] = {
        {"zero counts are skipped",
         {"2024/03/15 08:00:00;60;0", "2024/03/15 08:01:00;60;12"},
         CVORN2,
         "1",
         "12",
         "12"},
        {"error marks and overflows count as 9999",
         {"2024/03/15 08:00:00;60;-1", "2024/03/15 08:01:00;60;12000"},
         CVORN9,
         "2",
         "9999",
         "9999"},
        {"Gamma Scout pulses per period become per minute",
         {"2024/03/15 08:00:00;120;30", "2024/03/15 08:02:00;120;61"},
         GAMMA_SCOUT2,
         "2",
         "31",
         "22.8"},
        {"before the window, no period, or no date: skipped",
         {"1899/12/30 00:00:00;60;40", "2024/03/14 23:59:59;60;50", "2024/03/15 08:00:00;0;60",
          "2024/03/15 08:01:00;-60;70", "2024/03/15 08:02:00;60;7"},
         CVORN3,
         "1",
         "7",
         "7"},
        {"a record past the window ends the scan",
         {"2024/03/15 08:00:00;60;5", "2024/03/16 00:00:01;60;6", "2024/03/15 09:00:00;60;7"},
         CVORN3,
         "1",
         "5",
         "5"},
        {"the window's end is included", {"2024/03/16 00:00:00;60;5"}, CVORN3, "1", "5", "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCaptureList f;
        for (const char* l : c.lines)
            f.push_back(l);
        EXPECT_EQ(StatCSV(f, 0.0057, c.model), Traitement_Termine);
        EXPECT_EQ(Principal.cg_nb_events, c.nb);
        EXPECT_EQ(Principal.Cg_max_CPM, c.max);
        EXPECT_EQ(Principal.cg_moyenne_cpm, c.mean);
    }
}

TEST_F(StatCSVTest, GammaScoutHalfCountsFallInTheEvenClass) {
    const TCaptureList f = List({"2024/03/15 08:00:00;120;30", "2024/03/15 08:02:00;120;61"});
    StatCSV(f, 0.0057, GAMMA_SCOUT1);
    EXPECT_EQ(SerieHisto->Values[0].Y, 15);
    EXPECT_EQ(SerieHisto->Values[1].Y, 30.5);
    const std::vector<std::pair<double, double>> gauss = {{15, 0.5}, {30, 0.5}};
    EXPECT_EQ(Points(SerieGauss), gauss);
    EXPECT_EQ(Principal.Cg_max_CPM, "31"); // 30.5 written without decimals
}

TEST_F(StatCSVTest, FirstRecordToReachTheMaximumGivesItsDate) {
    const TCaptureList f = List(
        {"2024/03/15 08:00:00;60;9", "2024/03/15 08:01:00;60;20", "2024/03/15 08:02:00;60;20"});
    StatCSV(f, 0.0057, CVORN3);
    EXPECT_EQ(Principal.cg_date_max, "2024/03/15 08:01");
    // Equal values: no deviation (not a rounding error below zero).
    StatCSV(
        List({"2024/03/15 08:00:00;60;7", "2024/03/15 08:01:00;60;7", "2024/03/15 08:02:00;60;7"}),
        0.0057, CVORN3);
    EXPECT_EQ(Principal.cg_ecart_type_CPM, "0");
}

TEST_F(StatCSVTest, DoseRateMode) {
    Fichier_conf.tab_CPM = false;
    StatCSV(List({"2024/03/15 08:00:00;60;100"}), 0.0057, CVORN3);
    ASSERT_EQ(SerieHisto->Values.size(), 1u);
    EXPECT_DOUBLE_EQ(SerieHisto->Values[0].Y, 0.57);
    ASSERT_EQ(SerieGauss->Values.size(), 1u);
    EXPECT_DOUBLE_EQ(SerieGauss->Values[0].X, 0.57);
    EXPECT_EQ(SerieGauss->Values[0].Y, 1);
    EXPECT_EQ(histo_.FormatY(), "%5.3f");
    EXPECT_EQ(gauss_.FormatX(), "%5.3f%");
    // The fields show both units whatever the mode.
    EXPECT_EQ(Principal.cg_moyenne_cpm, "100");
    EXPECT_EQ(Principal.cg_moyenne_Sv, "0.57");
}

TEST_F(StatCSVTest, AnUnreadableLineFailsTheWholeComputation) {
    for (const char* bad : {"", "2024/03/15 08:01:00;60", "garbage"}) {
        SCOPED_TRACE(bad);
        Principal.cg_nb_events = "previous";
        const TCaptureList f =
            List({"2024/03/15 08:00:00;60;10", bad, "2024/03/15 08:02:00;60;15"});
        EXPECT_EQ(StatCSV(f, 0.0057, CVORN3), Pb_Fichier_Log);
        EXPECT_TRUE(SerieHisto->Values.empty());
        EXPECT_TRUE(SerieGauss->Values.empty());
        ExpectValueFieldsEmpty();
        EXPECT_EQ(Principal.cg_nb_events, "previous");
        EXPECT_FALSE(histo_.Updating());
        EXPECT_FALSE(gauss_.Updating());
    }
}

TEST_F(StatCSVTest, GammaScoutRateBeyondTheClassesIsBounded) {
    // 9999 pulses in 30 s: 19998 per minute, shown as the bound like any overflow.
    EXPECT_EQ(StatCSV(List({"2024/03/15 08:00:00;60;10", "2024/03/15 08:01:00;30;9999"}), 0.0057,
                      GAMMA_SCOUT1),
              Traitement_Termine);
    EXPECT_EQ(Principal.Cg_max_CPM, "9999");
    const std::vector<std::pair<double, double>> gauss = {{10, 0.5}, {9999, 0.5}};
    EXPECT_EQ(Points(SerieGauss), gauss);
}

TEST_F(StatCSVTest, RegionalSeparatorsInTheFields) {
    SetRegional(RegionalSettings{'.', 'h', ',', "de", "DE"});
    StatCSV(List({"2024/03/15 08:00:00;60;10", "2024/03/15 08:01:00;60;20",
                  "2024/03/15 08:02:00;60;15"}),
            0.0057, CVORN3);
    EXPECT_EQ(Principal.cg_ecart_type_CPM, "4,0825");
    EXPECT_EQ(Principal.cg_moyenne_Sv, "0,0855");
    EXPECT_EQ(Principal.cg_date_max, "2024.03.15 08h01");
}

TEST_F(StatCSVTest, WithoutChartsOnlyTheFields) {
    SerieHisto = nullptr;
    SerieGauss = nullptr;
    EXPECT_EQ(StatCSV(List({"2024/03/15 08:00:00;60;10"}), 0.0057, CVORN3), Traitement_Termine);
    EXPECT_EQ(Principal.cg_nb_events, "1");
}
