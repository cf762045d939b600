#include "serial/serial_line.h"
#include "settings_fixture.h"

namespace zel::test {
namespace {

class ConfigTest : public SettingsTest {
  protected:
    std::string confPath() const { return Repertoire_conf + "cg_conf.txt"; }
    void WriteConf(const std::string& text) { WriteFile(confPath(), text); }
    TextList ReadConf() {
        TextList l;
        EXPECT_TRUE(LoadTextFile(confPath(), l));
        return l;
    }
};

TEST_F(ConfigTest, MissingFileGivesDefaultsAndLoadsNoLanguage) {
    WriteLanguage("FR Français", "Section Messages\r\n0,'loaded'\r\n");
    Fichier_conf.alerte_comptage = 7; // leftovers are reset
    EXPECT_TRUE(LireConf());
    const type_fichier_conf& f = Fichier_conf;
    EXPECT_EQ(f.Langue, "FR");
    EXPECT_EQ(f.Fichier_alarme, "Klaxon0");
    EXPECT_EQ(f.alerte_comptage, 50);
    EXPECT_FALSE(f.alerte_active);
    EXPECT_FALSE(f.alerte_sonore);
    EXPECT_TRUE(f.tab_CPM);
    EXPECT_DOUBLE_EQ(f.conversion_sievert_capture, 0.0057);
    EXPECT_DOUBLE_EQ(f.conversion_sievert_Fichier, 0.0057);
    EXPECT_EQ(f.date_deb, clock.t);
    EXPECT_NEAR(f.date_fin, IncSecond(clock.t, 86399), 1e-9);
    EXPECT_EQ(f.type_compteur_Fichier, NotInitialized);
    EXPECT_EQ(f.type_compteur_Capture, NotInitialized);
    EXPECT_EQ(f.PortCom, 2);
    EXPECT_EQ(f.Source, 1);
    EXPECT_EQ(f.NomCom, "");
    EXPECT_EQ(f.Fichier_CSV, "");
    EXPECT_TRUE(F_Erreur.empty());
}

TEST_F(ConfigTest, EmptyFileLoadsTheLocaleLanguage) {
    WriteConf("");
    WriteLanguage("EN English", "Section Messages\r\n0,'english'\r\n");
    WriteLanguage("FR Français", "Section Messages\r\n0,'français'\r\n");
    EXPECT_TRUE(LireConf());
    EXPECT_EQ(GetMessagePgm(erreur_systeme), "français");

    WriteConf("Langue = EN\r\n");
    EXPECT_TRUE(LireConf());
    EXPECT_EQ(Fichier_conf.Langue, "EN");
    EXPECT_EQ(GetMessagePgm(erreur_systeme), "english");
}

TEST_F(ConfigTest, AHandWrittenLowerCaseCodeLoadsItsLanguage) {
    WriteLanguage("EN English", "Section Messages\r\n0,'english'\r\n");
    WriteFile(Repertoire_langues + "fr Français.TXT", "Section Messages\r\n0,'français'\r\n");
    const struct {
        const char* line;
        const char* code;
        const char* text;
        const char* ioText; // the serial texts follow the same language
    } cases[] = {
        {"Langue=en", "EN", "english", "Reception timeout"},
        {"Langue=fr", "FR", "français", "Time-out en réception"},
        {"Langue=Fr", "FR", "français", "Time-out en réception"},
    };
    for (const auto& c : cases) {
        WriteConf(std::string(c.line) + "\r\n");
        EXPECT_TRUE(LireConf()) << c.line;
        EXPECT_EQ(Fichier_conf.Langue, c.code) << c.line;
        EXPECT_EQ(GetMessagePgm(erreur_systeme), c.text) << c.line;
        EXPECT_EQ(GetIOError(ErrTimeout), c.ioText) << c.line;
    }
}

TEST_F(ConfigTest, RoundTripOfEveryPersistentField) {
    type_fichier_conf& f = Fichier_conf;
    f.Langue = "EN";
    f.alerte_comptage = 123;
    f.alerte_active = true;
    f.alerte_sonore = true;
    f.Fichier_alarme = "Sirène 2";
    f.tab_CPM = false;
    f.Fichier_CSV = "/home/me/data/VORN8 00123.txt";
    f.date_deb = EncodeDateTime(2024, 3, 10, 14, 30);
    f.date_fin = EncodeDateTime(2024, 3, 20, 9, 0);
    f.PortCom = 4;
    f.Source = 0;
    f.NomCom = "ttyUSB0";
    ASSERT_TRUE(SauveConf());
    EXPECT_EQ(ReadConf(),
              (TextList{"Langue=EN", "SeuilAlarme=123", "AlarmeActive=True", "AlarmeSonore=True",
                        "FichierSon=Sirène 2", "AffCPM=False",
                        "FichierCSV=/home/me/data/VORN8 00123.txt", "DateDeb=2024/03/10",
                        "DateFin=2024/03/20", "Com=4 (460800bps, 7bits, 1 stop, Parity even)",
                        "Source=Fichier", "NomCom=ttyUSB0"}));

    const type_fichier_conf saved = f;
    f = type_fichier_conf{};
    ASSERT_TRUE(LireConf());
    EXPECT_EQ(f.Langue, saved.Langue);
    EXPECT_EQ(f.alerte_comptage, saved.alerte_comptage);
    EXPECT_EQ(f.alerte_active, saved.alerte_active);
    EXPECT_EQ(f.alerte_sonore, saved.alerte_sonore);
    EXPECT_EQ(f.Fichier_alarme, saved.Fichier_alarme);
    EXPECT_EQ(f.tab_CPM, saved.tab_CPM);
    EXPECT_EQ(f.Fichier_CSV, saved.Fichier_CSV);
    EXPECT_EQ(f.date_deb, EncodeDateTime(2024, 3, 10)); // midnight of the saved days
    EXPECT_EQ(f.date_fin, EncodeDateTime(2024, 3, 20));
    EXPECT_EQ(f.PortCom, saved.PortCom);
    EXPECT_EQ(f.Source, saved.Source);
    EXPECT_EQ(f.NomCom, saved.NomCom);
}

TEST_F(ConfigTest, WindowDatesSurviveAnyRegionalDateSeparator) {
    for (char sep : {'/', '.', '-'}) {
        SetRegional(RegionalSettings{sep, ':', '.', "fr", "FR"});
        Fichier_conf.date_deb = EncodeDateTime(2023, 12, 1, 5, 0);
        Fichier_conf.date_fin = EncodeDateTime(2024, 1, 31, 23, 0);
        ASSERT_TRUE(SauveConf());
        ASSERT_TRUE(LireConf());
        EXPECT_EQ(Fichier_conf.date_deb, EncodeDateTime(2023, 12, 1)) << sep;
        EXPECT_EQ(Fichier_conf.date_fin, EncodeDateTime(2024, 1, 31)) << sep;
    }
}

TEST_F(ConfigTest, ValuesThatDoNotReadKeepTheirDefaults) {
    const TDateTime now = clock.t;
    const struct {
        const char* line;
        std::function<void(const type_fichier_conf&)> check;
    } cases[] = {
        {"affcpm = false", [](auto& f) { EXPECT_FALSE(f.tab_CPM); }},
        {"AffCPM=no", [](auto& f) { EXPECT_TRUE(f.tab_CPM); }},
        {"AFFCPMX=False", [](auto& f) { EXPECT_TRUE(f.tab_CPM); }}, // not the key
        {"AffCPM False", [](auto& f) { EXPECT_TRUE(f.tab_CPM); }},  // no "="
        {"alarmeactive=TRUE", [](auto& f) { EXPECT_TRUE(f.alerte_active); }},
        {"SeuilAlarme=abc", [](auto& f) { EXPECT_EQ(f.alerte_comptage, 50); }},
        {"SeuilAlarme=-5", [](auto& f) { EXPECT_EQ(f.alerte_comptage, -5); }},
        {"Com=7", [](auto& f) { EXPECT_EQ(f.PortCom, 7); }},
        {"Com=3 (9600bps, 7bits, 1 stop, Parity even)", [](auto& f) { EXPECT_EQ(f.PortCom, 3); }},
        {"Com=x", [](auto& f) { EXPECT_EQ(f.PortCom, 2); }},
        {"Source=capture", [](auto& f) { EXPECT_EQ(f.Source, 1); }},
        {"Source=xyz", [](auto& f) { EXPECT_EQ(f.Source, 1); }},
        {"Source=FICHIER", [](auto& f) { EXPECT_EQ(f.Source, 0); }},
        {"DateDeb=yesterday", [now](auto& f) { EXPECT_EQ(f.date_deb, now); }},
        {"DateDeb=2024/02/30", [now](auto& f) { EXPECT_EQ(f.date_deb, now); }},
        {"DateDeb=2024.03.01", [](auto& f) { EXPECT_EQ(f.date_deb, EncodeDateTime(2024, 3, 1)); }},
        {"DateDeb=1899/12/30", [now](auto& f) { EXPECT_EQ(f.date_deb, now); }}, // reads as 0
        {"NomCom=", [](auto& f) { EXPECT_EQ(f.NomCom, ""); }},
        {"FichierCSV =  /a b/c.txt  ", [](auto& f) { EXPECT_EQ(f.Fichier_CSV, "/a b/c.txt"); }},
        {"Langue=fr", [](auto& f) { EXPECT_EQ(f.Langue, "FR"); }}, // codes are upper case
        {"garbage line", [](auto& f) { EXPECT_EQ(f.alerte_comptage, 50); }},
    };
    for (const auto& c : cases) {
        WriteConf(std::string(c.line) + "\r\n");
        EXPECT_TRUE(LireConf()) << c.line;
        SCOPED_TRACE(c.line);
        c.check(Fichier_conf);
    }
}

TEST_F(ConfigTest, LastOccurrenceWinsAndDatesAreSwapped) {
    WriteConf("SeuilAlarme=10\r\nDateDeb=2024/03/20\r\nDateFin=2024/03/10\r\nSeuilAlarme=20\r\n");
    EXPECT_TRUE(LireConf());
    EXPECT_EQ(Fichier_conf.alerte_comptage, 20);
    EXPECT_EQ(Fichier_conf.date_deb, EncodeDateTime(2024, 3, 10));
    EXPECT_EQ(Fichier_conf.date_fin, EncodeDateTime(2024, 3, 20));
}

TEST_F(ConfigTest, ComAbove255StopsTheReading) {
    // 4294967297 wraps to 1 in 32 bits; 99999999999999999999 overflows 64.
    for (const char* com : {"300", "256", "4294967297", "99999999999999999999"}) {
        SCOPED_TRACE(com);
        WriteConf(std::string("SeuilAlarme=10\r\nCom=") + com +
                  "\r\nSeuilAlarme=20\r\nAffCPM=False\r\n");
        EXPECT_FALSE(LireConf());
        EXPECT_EQ(Fichier_conf.alerte_comptage, 10);
        EXPECT_TRUE(Fichier_conf.tab_CPM);
        EXPECT_EQ(Fichier_conf.PortCom, 2);
    }
    WriteConf("Com=255\r\n");
    EXPECT_TRUE(LireConf());
    EXPECT_EQ(Fichier_conf.PortCom, 255);
}

TEST_F(ConfigTest, ComAbove4IsNotSaved) {
    Fichier_conf.PortCom = 7;
    ASSERT_TRUE(SauveConf());
    const TextList l = ReadConf();
    EXPECT_EQ(l.size(), 11u);
    for (const auto& line : l)
        EXPECT_NE(line.rfind("Com=", 0), 0u) << line;

    Fichier_conf.PortCom = 0;
    ASSERT_TRUE(SauveConf());
    EXPECT_EQ(ReadConf()[9], "Com=0 (19200bps, 8bits, 1 stop, Parity none)");
}

TEST_F(ConfigTest, SaveReplacesTheFileWholeOrReportsFailure) {
    WriteConf("SeuilAlarme=77\r\nsome old line that is longer than the new file\r\n");
    Fichier_conf.alerte_comptage = 5;
    ASSERT_TRUE(SauveConf());
    EXPECT_EQ(ReadConf()[1], "SeuilAlarme=5");
    EXPECT_EQ(ReadConf().size(), 12u);
    int files = 0; // no temporary left beside it
    for (const auto& e : std::filesystem::directory_iterator(Repertoire_conf)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);

    Repertoire_conf = dir + "no such directory/";
    EXPECT_FALSE(SauveConf());
}

} // namespace
} // namespace zel::test
