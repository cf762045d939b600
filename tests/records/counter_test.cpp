#include <gtest/gtest.h>

#include "base/datetime.h"
#include "records/capture.h"
#include "records/counter.h"
#include "records/records_fixture.h"
#include "settings/config.h"

using namespace zel;

TEST(CounterIdentity, ModelNames) {
    struct Case {
        const char* name;
        TTypeCompteur model;
    } cases[] = {
        {"VORN2", CVORN2},     {" vorn4 ", CVORN3}, {"VORN3", CVORN3},   {"VORN6", CVORN3},
        {"VORN8", CVORN8},     {"vorn9", CVORN9},   {"VORN10", CVORN10}, {"GS1", GAMMA_SCOUT1},
        {"gs2", GAMMA_SCOUT2}, {"VORN7", Unknown},  {"GS3", Unknown},    {"", Unknown},
        {"VORN3_", Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DonneCompteur(c.name), c.model) << c.name;
}

TEST(CounterIdentity, PrefixesAndStems) {
    struct Case {
        TTypeCompteur model;
        const char* prefix;
        bool resets_serial;
    } cases[] = {
        {Unknown, "Unknown_", true},        {CVORN2, "VORN2_", false},
        {CVORN3, "VORN3_", false},          {CVORN8, "VORN8_", false},
        {CVORN9, "VORN9_", false},          {CVORN10, "VORN10_", false},
        {GAMMA_SCOUT1, "GS1_", false},      {GAMMA_SCOUT2, "GS2_", false},
        {NotInitialized, "Unknown_", true}, {static_cast<TTypeCompteur>(42), "Unknown_", true},
    };
    for (const auto& c : cases) {
        Fichier_conf.Serial_Compteur = 77;
        EXPECT_EQ(DonnePrefixe(c.model), c.prefix);
        EXPECT_EQ(Fichier_conf.Serial_Compteur, c.resets_serial ? 0u : 77u) << c.prefix;
    }
    EXPECT_EQ(RacineCompteur("VORN3_", 1234), "VORN3_01234");
    EXPECT_EQ(RacineCompteur("VORN3_", 7), "VORN3_00007");
    EXPECT_EQ(RacineCompteur("GS2_", 123456), "GS2_123456");
    EXPECT_EQ(RacineCompteur("GS2_", 4294967295u), "GS2_4294967295");
}

using CounterConf = RecordsTest;

TEST_F(CounterConf, NamesWithoutStemGiveDefaults) {
    for (const char* name : {"mesures.txt", "VORN3.txt", "_01234.txt", "VORN3_x.txt", ""}) {
        double fc = 1;
        TTypeCompteur m = CVORN2;
        EXPECT_FALSE(LireConfCompteur(path(name), fc, m)) << name;
        EXPECT_DOUBLE_EQ(fc, Conversion_Sievert_LND712);
        EXPECT_EQ(m, NotInitialized);
    }
    double fc;
    TTypeCompteur m;
    EXPECT_FALSE(LireConfCompteur(path("VORN3_01234.txt"), fc, m)); // stem fine, no file
}

TEST_F(CounterConf, ReadsFactorAndModel) {
    struct Case {
        const char* content;
        double fc;
        TTypeCompteur model;
    } cases[] = {
        {"DateModif=2024/03/15 08:00:00\r\nCGM=VORN3_\r\nConvSievert=0.00570\r\n", 0.0057, CVORN3},
        {"ConvSievert=0\r\nCGM=GS2_\r\n", 0.0081208, GAMMA_SCOUT2},
        {"ConvSievert=abc\r\n", 0.0081208, NotInitialized},
        {"  convsievert = 0.01\r\ncgm=vorn10_\r\nConvSievert=0.02\r\n", 0.02, CVORN10},
        {"ConvSievertX=0.5\r\nCGM=VORN77_\r\n", 0.0081208, Unknown},
    };
    for (const auto& c : cases) {
        write("VORN3_01234_Conf.txt", c.content);
        double fc = 0;
        TTypeCompteur m = Unknown;
        EXPECT_TRUE(LireConfCompteur(path("VORN3_01234_DL.txt"), fc, m)) << c.content;
        EXPECT_DOUBLE_EQ(fc, c.fc) << c.content;
        EXPECT_EQ(m, c.model) << c.content;
    }
}

TEST_F(CounterConf, FoundInTheDataDirectoryInAnyLetterCase) {
    write("VORN8_00005_conf.txt", "CGM=VORN8_\r\n");
    double fc;
    TTypeCompteur m;
    // Whatever directory the capture file lies in, and whatever the case of the stored name.
    EXPECT_TRUE(LireConfCompteur("/elsewhere/VORN8_00005.txt", fc, m));
    EXPECT_EQ(m, CVORN8);
    EXPECT_TRUE(LireConfCompteur(path("vorn8_00005.txt"), fc, m));
    EXPECT_EQ(m, CVORN8);
    // The spelling we write wins when both exist.
    write("VORN8_00005_Conf.txt", "CGM=VORN9_\r\n");
    EXPECT_TRUE(LireConfCompteur(path("VORN8_00005.txt"), fc, m));
    EXPECT_EQ(m, CVORN9);
}

using CounterSave = RecordsTest;

namespace {
void Live(std::initializer_list<const char*> lines) {
    F_Capture.clear();
    for (const char* l : lines)
        F_Capture.push_back(l);
}
} // namespace

TEST_F(CounterSave, EmptyLiveCaptureTouchesNoFile) {
    std::string nom = "x";
    EXPECT_TRUE(SauveCaptureCompteur(nom));
    EXPECT_EQ(nom, "");
    EXPECT_TRUE(files().empty());
}

TEST_F(CounterSave, UnidentifiedCounterSavesAsUnknown00000) {
    Fichier_conf.type_compteur_Capture = NotInitialized;
    Fichier_conf.Serial_Compteur = 42;
    Live({"2024/03/15 08:00:00;60;1"});
    std::string nom;
    EXPECT_TRUE(SauveCaptureCompteur(nom));
    EXPECT_EQ(nom, path("Unknown_00000"));
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 0u);
    EXPECT_EQ(files(), (std::vector<std::string>{"Unknown_00000.txt", "Unknown_00000_Conf.txt"}));
    EXPECT_EQ(read("Unknown_00000.txt"), "2024/03/15 08:00:00;60;1\r\n");
}

TEST_F(CounterSave, MergesIntoTheFileAndIsIdempotent) {
    Fichier_conf.type_compteur_Capture = CVORN3;
    Fichier_conf.Serial_Compteur = 123456;
    Fichier_conf.conversion_sievert_capture = 0.0057;
    write("VORN3_123456.txt", "2024/03/15 07:00:00;60;5\r\n2024/03/15 08:01:00;60;7\r\n");
    Live({"2024/03/15 08:00:00;60;1", "2024/03/15 08:00:30;60;2", "2024/03/15 08:01:00;60;3",
          "2024/03/15 08:02:00;60;4"});
    const TextList live_before = F_Capture.lines();
    std::string nom;
    ASSERT_TRUE(SauveCaptureCompteur(nom));
    EXPECT_EQ(nom, path("VORN3_123456"));
    const std::string first = read("VORN3_123456.txt");
    EXPECT_EQ(first, "2024/03/15 07:00:00;60;5\r\n2024/03/15 08:00:00;60;1\r\n"
                     "2024/03/15 08:01:00;60;7\r\n2024/03/15 08:02:00;60;4\r\n");
    EXPECT_EQ(F_Capture.lines(), live_before);

    ASSERT_TRUE(SauveCaptureCompteur(nom));
    EXPECT_EQ(read("VORN3_123456.txt"), first);

    TextList conf;
    ASSERT_TRUE(LoadTextFile(path("VORN3_123456_Conf.txt"), conf));
    ASSERT_EQ(conf.size(), 3u);
    EXPECT_EQ(conf[0].rfind("DateModif=", 0), 0u);
    TCaptureRecord r;
    EXPECT_FALSE(LireLigneCSV(conf[0].substr(10), r)); // a date alone, well formed
    EXPECT_NE(r.T, 0);
    EXPECT_EQ(conf[1], "CGM=VORN3_");
    EXPECT_EQ(conf[2], "ConvSievert=0.00570");
    // What was written reads back.
    double fc;
    TTypeCompteur m;
    EXPECT_TRUE(LireConfCompteur(path("VORN3_123456.txt"), fc, m));
    EXPECT_DOUBLE_EQ(fc, 0.0057);
    EXPECT_EQ(m, CVORN3);
}

TEST_F(CounterSave, RecordsAndFactorReadBackUnderTheSystemRegion) {
    // The locale of the environment, as the desktop program has it: its date separator goes
    // into the records, the factor keeps its "." (a run under fr_FR or de_DE shows a comma).
    ResetRegional();
    Fichier_conf.type_compteur_Capture = CVORN8;
    Fichier_conf.Serial_Compteur = 7;
    Fichier_conf.conversion_sievert_capture = 0.0065;
    F_Capture.clear();
    AjoutValeurCSV(F_Capture, EncodeDateTime(2024, 3, 15, 8, 5, 0), 60, 23);
    AjoutValeurCSV(F_Capture, EncodeDateTime(2024, 3, 15, 8, 6, 30), 90, 1234567);
    std::string nom;
    ASSERT_TRUE(SauveCaptureCompteur(nom));

    TextList conf;
    ASSERT_TRUE(LoadTextFile(path("VORN8_00007_Conf.txt"), conf));
    ASSERT_EQ(conf.size(), 3u);
    EXPECT_EQ(conf[2], "ConvSievert=0.00650");

    erreur_programme st = PasErreur;
    TCaptureList back;
    ASSERT_TRUE(ChargeDonnees(back, path("VORN8_00007.txt"), st));
    EXPECT_EQ(Fichier_conf.conversion_sievert_Fichier, 0.0065);
    EXPECT_EQ(Fichier_conf.type_compteur_Fichier, CVORN8);
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(back[i].Valide);
        EXPECT_EQ(back[i].T, F_Capture[i].T);
        EXPECT_EQ(back[i].Duree, F_Capture[i].Duree);
        EXPECT_EQ(back[i].Comptage, F_Capture[i].Comptage);
    }
}

TEST_F(CounterSave, FactorIsWrittenSoThatItReadsBackAsItself) {
    const struct {
        double factor;
        const char* line;
    } cases[] = {{0.0057, "ConvSievert=0.00570"},
                 {0.0081208, "ConvSievert=0.0081208"}, // a Gamma Scout report's factor
                 {0.5, "ConvSievert=0.50000"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(SauveConfCompteur(path("GS2_00001_Conf.txt"), GAMMA_SCOUT2, c.factor));
        TextList conf;
        ASSERT_TRUE(LoadTextFile(path("GS2_00001_Conf.txt"), conf));
        ASSERT_EQ(conf.size(), 3u);
        EXPECT_EQ(conf[2], c.line);
        double fc;
        TTypeCompteur m;
        EXPECT_TRUE(LireConfCompteur(path("GS2_00001.txt"), fc, m));
        EXPECT_EQ(fc, c.factor);
    }
}

TEST_F(CounterSave, DataFileFailureStillWritesConfiguration) {
    Fichier_conf.type_compteur_Capture = CVORN2;
    Fichier_conf.Serial_Compteur = 9;
    // A directory where the capture file should be: it can be neither read nor replaced.
    std::filesystem::create_directory(path("VORN2_00009.txt"));
    Live({"2024/03/15 08:00:00;60;1"});
    std::string nom;
    EXPECT_FALSE(SauveCaptureCompteur(nom));
    EXPECT_EQ(nom, path("VORN2_00009.txt"));
    EXPECT_TRUE(FileExists(path("VORN2_00009_Conf.txt")));
}

TEST_F(CounterSave, UnreadableCaptureFileIsNotReplaced) {
    Fichier_conf.type_compteur_Capture = CVORN2;
    Fichier_conf.Serial_Compteur = 9;
    write("VORN2_00009.txt", "2020/01/01 00:00:00;60;1\r\n");
    std::filesystem::permissions(path("VORN2_00009.txt"), std::filesystem::perms::none);
    std::string probe;
    if (ReadFileBytes(path("VORN2_00009.txt"), probe)) GTEST_SKIP() << "permissions not enforced";
    Live({"2024/03/15 08:00:00;60;1"});
    std::string nom;
    EXPECT_FALSE(SauveCaptureCompteur(nom));
    EXPECT_EQ(nom, path("VORN2_00009.txt"));
    std::filesystem::permissions(path("VORN2_00009.txt"), std::filesystem::perms::owner_all);
    EXPECT_EQ(read("VORN2_00009.txt"), "2020/01/01 00:00:00;60;1\r\n");
}

TEST_F(CounterSave, DownloadSavedEvenWhenEmpty) {
    Fichier_conf.type_compteur_Capture = GAMMA_SCOUT2;
    Fichier_conf.Serial_Compteur = 1234;
    std::string nom;
    EXPECT_TRUE(SauveDownLoadCompteur(nom));
    EXPECT_EQ(read("GS2_01234_DL.txt"), "");
    EXPECT_TRUE(FileExists(path("GS2_01234_Conf.txt")));

    // An existing download file is rewritten without its overlaps.
    write("GS2_01234_DL.txt", "2024/03/15 08:00:00;600;1\r\n2024/03/15 08:05:00;600;2\r\n"
                              "2024/03/15 08:10:00;600;3\r\n");
    F_DownLoad.push_back("2024/03/15 08:20:00;600;4");
    EXPECT_TRUE(SauveDownLoadCompteur(nom));
    EXPECT_EQ(read("GS2_01234_DL.txt"), "2024/03/15 08:00:00;600;1\r\n2024/03/15 08:10:00;600;3\r\n"
                                        "2024/03/15 08:20:00;600;4\r\n");
}
