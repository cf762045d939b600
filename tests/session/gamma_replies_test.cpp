#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/textfile.h"
#include "gammascout/gamma_scout.h"
#include "records/counter.h"
#include "reply_fixture.h"
#include "session/emission.h"

namespace zel::testing {
namespace {

class Identification : public ReplyTest {
  protected:
    void Demande(TCommande c) { T->SetComdAttendue(c); }
    void Gamma(std::string& version, std::string& serie, std::string& eeprom, std::string& date) {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        version = cg_param_gamma.version;
        serie = cg_param_gamma.serie;
        eeprom = cg_param_gamma.EEPROM;
        date = cg_param_gamma.DateHeure;
    }
    void SetUp() override {
        ReplyTest::SetUp();
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        cg_param_gamma.version = cg_param_gamma.serie = cg_param_gamma.EEPROM = "?";
        cg_param_gamma.DateHeure.clear();
        cg_param_vornx.version.clear();
    }
};

TEST_F(Identification, VornOnAFreshConnectionTakesTheNewCounter) {
    ASSERT_TRUE(SauveConfCompteur(Repertoire_conf + "VORN8_01234_Conf.txt", CVORN8, 0.0065));
    AjoutValeurCSV(F_Capture, T0, 60, 12); // counted before the identification
    Demande(Comd_VP);
    Recoit("VP=2.1,VORN8,1234");
    EXPECT_EQ(T->Commande, Comd_Rien);
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN8);
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 1234u);
    EXPECT_EQ(Version_compteur, 2.1);
    EXPECT_EQ(cg_param_vornx.version, "01234");
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_capture, 0.0065);
    EXPECT_TRUE(F_Capture.empty());
    EXPECT_TRUE(Existe("Unknown_00000.txt")); // the previous identity's records are kept
    EXPECT_EQ(Principal.caption, "Zelvanor  - VORN8");
    EXPECT_FALSE(Principal.cg_menuitem_B_enabled);
    EXPECT_TRUE(Principal.cg_menuitem_D_enabled);
    // Identified only now: the reply is journalled after it was handled.
    EXPECT_EQ(Journal(), std::vector<std::string>{Recu("VP=2.1,VORN8,1234")});

    // The same counter again: nothing saved or reloaded, the version text refreshed.
    AjoutValeurCSV(F_Capture, IncSecond(T0, 60), 60, 13);
    Fichier_conf.conversion_sievert_capture = 0.0057;
    Demande(Comd_VP);
    Recoit("VP=2.2,VORN8,1234");
    EXPECT_EQ(F_Capture.size(), 1u);
    EXPECT_EQ(Fichier_conf.conversion_sievert_capture, 0.0057);
    EXPECT_EQ(cg_param_vornx.version, "V 2.2");
    EXPECT_FALSE(Existe("VORN8_01234.txt"));
}

TEST_F(Identification, VornWithoutModelOrSerial) {
    Connecte(CVORN3, 55);
    Demande(Comd_VP);
    Recoit("VP=2.1");
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN3);
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 0u);
    // No configuration file for VORN3_00000: the factor of the LND712 tube.
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_capture, Conversion_Sievert_LND712);

    // A serial number above 28 bits counts as none; an unknown name as Unknown.
    Demande(Comd_VP);
    Recoit("VP=1.0,VORN7,300000000");
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, Unknown);
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 0u);
    EXPECT_EQ(Principal.caption, "Zelvanor " + GetMessagePgm(Compteur_inconnu));
}

TEST_F(Identification, VersionRepliesOfGammaScouts) {
    struct Case {
        const char* line;
        TTypeCompteur model;
        uint32_t serial;
        const char* version;
        const char* eeprom;
        const char* date;
    } cases[] = {
        {"Version 6.05", GAMMA_SCOUT1, 0, "6.05", "?", ""},
        // Firmware below 6.00 sends blanks around its text.
        {" Version 5.43 ", GAMMA_SCOUT1, 0, "5.43", "?", ""},
        {"Version 6.91 123456 0.5 1A2B 17.05.24 10:23:45", GAMMA_SCOUT2, 123456, "6.91", "6699",
         "17.05.2024 10:23:45"},
        {"Version 7.05 123456 1A2B 17.05.24 10:23:45", GAMMA_SCOUT2, 123456, "7.05", "6699",
         "17.05.2024 10:23:45"},
        // Firmware 7.x glues letters and digits to its version number; the six-digit field
        // after the first number is the serial number.
        {"Version 7.02Lb07 1020 072467 42a5 22.04.19 22:05:28", GAMMA_SCOUT2, 72467, "7.02",
         "17061", "22.04.2019 22:05:28"},
        {"Version 7.02Lb07 1020 000042 4bde 18.02.21 15:42:39", GAMMA_SCOUT2, 42, "7.02", "19422",
         "18.02.2021 15:42:39"},
        // The same form where no extra field is expected.
        {"Version 7.05 1020 072467 42a5 22.04.19 22:05:28", GAMMA_SCOUT2, 72467, "7.05", "17061",
         "22.04.2019 22:05:28"},
        // A second field that is no six-digit one, or not followed by a log size and a clock,
        // leaves the serial number first.
        {"Version 6.95 1020 72467 42a5 22.04.19 22:05:28", GAMMA_SCOUT2, 1020, "6.95", "17061",
         "22.04.2019 22:05:28"},
        {"Version 7.05 123456 004321 17.05.24 10:23:45", GAMMA_SCOUT2, 123456, "7.05", "17185",
         "17.05.2024 10:23:45"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TearDown();
        SetUp();
        SetRegional(RegionalSettings{'.', ':', '.', "de", "DE", "DD/MM/YYYY"});
        Demande(Comd_VP);
        Recoit(c.line);
        EXPECT_EQ(T->Commande, Comd_Rien);
        EXPECT_EQ(Fichier_conf.type_compteur_Capture, c.model);
        EXPECT_EQ(Fichier_conf.Serial_Compteur, c.serial);
        EXPECT_TRUE(Fichier_conf.GammaScoutPCMode);
        std::string version, serie, eeprom, date;
        Gamma(version, serie, eeprom, date);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(serie, c.serial ? std::to_string(c.serial) : "?");
        EXPECT_EQ(eeprom, c.eeprom);
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(Journal().size(), 1u); // the reply only
    }
}

TEST_F(Identification, FirmwareVersionKeepsItsDecimalsInAnyLocale) {
    // The version picks the reboot letter and the log decoder; read as 6 or 7 under a decimal
    // comma, a 6.90 counter would get "i" and another decoder.
    struct Case {
        const char* line;
        double version;
        const char* reboot;
        int decoder;
        erreur_programme refusal;
    } cases[] = {
        {"Version 6.90 123456 0.5 1A2B 17.05.24 10:23:45", 6.9, "N", 0, gs_version_non_supportee},
        {"Version 6.50 123456 1A2B 17.05.24 10:23:45", 6.5, "i", 3, PasErreur},
        {"Version 7.02Lb07 1020 073160 4bde 18.02.21 15:42:39", 7.02, "N", 4, PasErreur},
        {"Version 5.43", 5.43, "i", 1, PasErreur},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Demande(Comd_VP);
        Recoit(c.line);
        EXPECT_EQ(Fichier_conf.Version_GS, c.version);
        EXPECT_EQ(Journal().size(), 1u); // the reply only: it read to its end

        TEmission E;
        E.Commande = Comd_BO;
        E.ReponseAttendue = Comd_BO;
        SetEmission_GAMMA_SCOUT(E);
        EXPECT_EQ(E.S1, c.reboot);

        erreur_programme refusal = PasErreur;
        EXPECT_EQ(ChooseDumpDecoder(Fichier_conf.Version_GS, refusal), c.decoder);
        EXPECT_EQ(refusal, c.refusal);
        Journal(); // drop what the command wrote
    }
}

TEST_F(Identification, GammaScoutStandardModeAndBrokenVersion) {
    AjoutValeurCSV(F_Capture, T0, 60, 12);
    Fichier_conf.GammaScoutPCMode = true;
    Demande(Comd_VP);
    Recoit("Standard");
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, GAMMA_SCOUT2);
    EXPECT_FALSE(Fichier_conf.GammaScoutPCMode);
    EXPECT_TRUE(F_Capture.empty());
    EXPECT_EQ(Principal.caption, "Zelvanor  - GAMMA-SCOUT V2");
    EXPECT_TRUE(Principal.cg_menuitem_Mode_acq_enabled);

    // What was read before the failing item stays stored.
    Journal();
    Demande(Comd_VP);
    Recoit("Version 7.05 4321 ZZ");
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, GAMMA_SCOUT2);
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 4321u);
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{Recu("Version 7.05 4321 ZZ"), Emis(Cmd_Compteur_Incorrecte),
                                        Emis(Cmd_Compteur_Incorrecte)}));
}

TEST_F(Identification, GammaScoutTakesItsOwnFactor) {
    // A VORN counter was connected before: its factor and serial number are left over, and
    // its serial has Gamma Scout files under it too.
    struct Case {
        const char* line;
        double own; // 0: the counter has no configuration file
        uint32_t serial;
        const char* stem;
        double factor;
    } cases[] = {
        {"Version 7.05 123456 1A2B 17.05.24 10:23:45", 0, 123456, "GS2_123456",
         Conversion_Sievert_LND712},
        {"Version 7.05 123456 1A2B 17.05.24 10:23:45", 0.009, 123456, "GS2_123456", 0.009},
        {"Version 5.43", 0, 0, "GS1_00000", Conversion_Sievert_LND712},
        {"Standard", 0, 0, "GS2_00000", Conversion_Sievert_LND712},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " / " + std::to_string(c.own));
        TearDown();
        SetUp();
        Fichier_conf.conversion_sievert_capture = 0.0057;
        Fichier_conf.Serial_Compteur = 1234;
        for (const char* other : {"GS1_01234_Conf.txt", "GS2_01234_Conf.txt"})
            ASSERT_TRUE(SauveConfCompteur(Repertoire_conf + other, GAMMA_SCOUT2, 0.0042));
        if (c.own > 0) {
            ASSERT_TRUE(SauveConfCompteur(NomFichierConfCompteur(c.stem), GAMMA_SCOUT2, c.own));
        }
        Demande(Comd_VP);
        Recoit(c.line);
        EXPECT_EQ(Fichier_conf.Serial_Compteur, c.serial);
        EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_capture, c.factor);
        // What its files say afterwards.
        std::string Nom;
        ASSERT_TRUE(SauveDownLoadCompteur(Nom));
        TextList conf;
        ASSERT_TRUE(LoadTextFile(NomFichierConfCompteur(c.stem), conf));
        ASSERT_EQ(conf.size(), 3u);
        EXPECT_EQ(conf[2], c.own > 0 ? "ConvSievert=0.00900" : "ConvSievert=0.0081208");
    }
}

TEST_F(Identification, UnidentifiedCounterTakesOnlyAnIdentification) {
    Recoit("CM=12");
    EXPECT_TRUE(Journal().empty());
    EXPECT_TRUE(F_Capture.empty());
    Recoit("VP=2.1,VORN3,9"); // not asked for
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, NotInitialized);
}

TEST_F(Identification, PcModeReplies) {
    Connecte(GAMMA_SCOUT2);
    Demande(comd_PC_mode);
    Recoit("PC-MODE gestartet");
    EXPECT_TRUE(Fichier_conf.GammaScoutPCMode);
    EXPECT_EQ(T->Commande, Comd_Rien);

    Journal();
    Recoit("PC-MODE beendet"); // not in answer to X
    EXPECT_TRUE(Fichier_conf.GammaScoutPCMode);
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{Recu("PC-MODE beendet"), Emis(Cmd_Compteur_Incorrecte),
                                        Emis(Cmd_Compteur_Incorrecte)}));

    Demande(Comd_Mode_Acq);
    Recoit("pc-mode BEENDET");
    EXPECT_FALSE(Fichier_conf.GammaScoutPCMode);
    EXPECT_EQ(T->Commande, Comd_Rien);
}

TEST_F(Identification, InternalDataEndsWithItsAnnouncedLines) {
    Connecte(GAMMA_SCOUT2);
    Demande(Comd_ID);
    T->SetNbInternalData();
    Recoit("0a 03");
    EXPECT_EQ(T->Nblignes, 3);
    Recoit("aa bb");
    Recoit("cc dd");
    EXPECT_EQ(T->Commande, Comd_ID);
    Recoit("ee ff"); // the fourth line in all
    EXPECT_EQ(T->Commande, Comd_Rien);
    EXPECT_EQ(T->Nblignes, -1);

    // A header announcing nothing ends the reply at once.
    Demande(Comd_ID);
    T->SetNbInternalData();
    Recoit("0a 00");
    EXPECT_EQ(T->Commande, Comd_Rien);
}

TEST_F(Identification, InternalDataOfFirmware7) {
    // As a 7.02 counter answers: its calibration state, a header of five numbers whose third
    // is the count of lines, then the lines.
    const std::vector<std::string> reply = {
        "GAMMA-SCOUT SoftCal gueltig", "b0 00 07 7e 00",       "cd0900001a05f6da2d00",
        "9a210000c1e1acb12d00",        "9a7d00002f0995c63c00", "00a0020002009af24b00",
        "9a46080004001cc23c00",        "c47d130085010e9e2d00", "15dd4400990210b32d00"};
    Connecte(GAMMA_SCOUT2);
    Demande(Comd_ID);
    T->SetNbInternalData();
    std::vector<std::string> shown;
    for (size_t i = 0; i < reply.size(); ++i) {
        EXPECT_EQ(T->Commande, Comd_ID) << "ended before line " << i;
        Recoit(reply[i]);
        shown.push_back(Recu(reply[i]));
    }
    EXPECT_EQ(T->Commande, Comd_Rien);
    EXPECT_EQ(T->Nblignes, -1);
    EXPECT_EQ(Journal(), shown); // every line shown, none refused

    // Not a header, with or without the calibration line before it.
    for (const char* line : {"SoftCal gueltig", "b0"}) {
        SCOPED_TRACE(line);
        Demande(Comd_ID);
        T->SetNbInternalData();
        Recoit("gamma-scout softcal ungueltig");
        EXPECT_EQ(T->Commande, Comd_ID);
        Journal();
        Recoit(line);
        EXPECT_EQ(Journal(), (std::vector<std::string>{Recu(line), Emis(Cmd_Compteur_Incorrecte),
                                                       Emis(Cmd_Compteur_Incorrecte)}));
        EXPECT_EQ(T->Commande, Comd_Rien);
    }
}

TEST_F(Identification, ClockAcknowledgements) {
    Connecte(GAMMA_SCOUT2);
    struct Case {
        TCommande en_cours;
        const char* line;
        bool ends;
    } cases[] = {
        {Comd_IN, "Datum 17.05.24", true}, {Comd_H, "Zeit 10:23", true}, {Comd_DL, "zeit", true},
        {Comd_IN, "INOK", true},           {Comd_H, "INOK", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Demande(c.en_cours);
        Journal();
        Recoit(c.line);
        EXPECT_EQ(T->Commande, Comd_Rien); // ended, or cleared as an incorrect reply
        EXPECT_EQ(Journal().size(), c.ends ? 1u : 2u);
    }
    Connecte(CVORN8);
    Demande(Comd_IN);
    Journal();
    Recoit("INOK");
    EXPECT_EQ(Journal().size(), 1u);
}

TEST_F(Identification, DumpIsGatheredLineByLine) {
    Connecte(GAMMA_SCOUT2);
    F_Dump.push_back("old");
    Demande(Comd_DL);
    Recoit("GAMMA-SCOUT Protokoll");
    EXPECT_EQ(T->Commande, Comd_DL_suite);
    EXPECT_TRUE(F_Dump.empty());
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{Recu("GAMMA-SCOUT Protokoll"), Emis(Lecture_En_Cours)}));
    Recoit("0000 56 34 12 ff");
    Recoit("Version lookalike 1");
    EXPECT_EQ(F_Dump, (TextList{"0000 56 34 12 ff", "Version lookalike 1"}));
    EXPECT_EQ(Principal.enr, "2");

    // A header nobody asked for is an incorrect reply.
    T->ReinitAutomate(Initial);
    Journal();
    Recoit("GAMMA-SCOUT Protokoll");
    EXPECT_EQ(Journal().size(), 2u);
}

TEST_F(Identification, ClearReply) {
    Connecte(GAMMA_SCOUT1);
    Demande(Comd_Clear_Data);
    Recoit("Protokollspeicher geloescht");
    EXPECT_EQ(T->Commande, Comd_Rien);
    EXPECT_EQ(Journal().size(), 1u);
}

} // namespace
} // namespace zel::testing
