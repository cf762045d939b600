#include "settings/texts.h"
#include "settings_fixture.h"

namespace zel::test {
namespace {

class ProgramTextsTest : public SettingsTest {};

const ProgramText kAll[] = {
    ProgramText::Connecting,
    ProgramText::Identified,
    ProgramText::CounterSilentSince,
    ProgramText::CounterLost,
    ProgramText::ReconnectingTo,
    ProgramText::NextTryIn,
    ProgramText::ReconnectedAfter,
    ProgramText::LastCountAt,
    ProgramText::PrefReconnect,
    ProgramText::PrefResume,
    ProgramText::PrefAlarmOnLoss,
    ProgramText::PrefConnection,
    ProgramText::StopAlarmHint,
    ProgramText::CopyChart,
    ProgramText::SaveChartAs,
    ProgramText::ExportRecords,
    ProgramText::ChartSaved,
    ProgramText::RecordsExported,
    ProgramText::FileNotWritten,
    ProgramText::AxisPercentOfRecords,
    ProgramText::AxisCountsPerMinute,
    ProgramText::AxisDoseRate,
    ProgramText::RecordsSpan,
    ProgramText::SpanFrom,
    ProgramText::SpanTo,
    ProgramText::HelpNotOpened,
    ProgramText::HelpMissing,
    ProgramText::ReportMenu,
    ProgramText::ReportSaveAs,
    ProgramText::ReportClose,
    ProgramText::ReportWritten,
    ProgramText::NoReport,
};

TEST_F(ProgramTextsTest, FrenchBuiltInEnglishShippedAndFrenchForWhatAFileLacks) {
    EXPECT_EQ(GetProgramText(ProgramText::CounterLost), "Compteur perdu : ");
    for (ProgramText t : kAll)
        EXPECT_FALSE(GetProgramText(t).empty()) << int(t);

    Repertoire_langues = std::string(ZEL_SOURCE_DIR) + "/langages/";
    ASSERT_TRUE(ChargeFichierLangue("EN English"));
    EXPECT_EQ(GetProgramText(ProgramText::CounterLost), "Counter lost: ");
    EXPECT_EQ(GetProgramText(ProgramText::ReconnectedAfter), "Reconnected after ");
    // The English file has every text, and none is the French one.
    for (ProgramText t : kAll) {
        const std::string en = GetProgramText(t);
        TextList saved;
        saved.swap(F_Langue);
        const std::string fr = GetProgramText(t);
        saved.swap(F_Langue);
        EXPECT_FALSE(en.empty()) << int(t);
        EXPECT_NE(en, fr) << int(t);
    }

    // A file written before these texts existed: it loads, and they stay French.
    Repertoire_langues = dir + "langages/";
    WriteLanguage("XX", "Section Messages\r\n0,'x'\r\nSection Textes\r\n4,'Perdu: '\r\n");
    ASSERT_TRUE(ChargeFichierLangue("XX"));
    EXPECT_EQ(GetProgramText(ProgramText::CounterLost), "Perdu: ");
    EXPECT_EQ(GetProgramText(ProgramText::ReconnectingTo), "Reconnexion à ");
}

// The shipped French file says what the built-in texts say.
TEST_F(ProgramTextsTest, ShippedFrenchFileMatchesTheBuiltInTexts) {
    std::vector<std::string> builtIn;
    for (ProgramText t : kAll)
        builtIn.push_back(GetProgramText(t));
    Repertoire_langues = std::string(ZEL_SOURCE_DIR) + "/langages/";
    ASSERT_TRUE(ChargeFichierLangue("FR Français"));
    for (size_t i = 0; i < std::size(kAll); ++i) {
        std::string t;
        EXPECT_TRUE(DonneTexteLangue(TextesProgramme, static_cast<int32_t>(kAll[i]), t)) << i;
        EXPECT_EQ(t, builtIn[i]);
    }
}

} // namespace
} // namespace zel::test
