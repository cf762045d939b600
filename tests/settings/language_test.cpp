#include "settings_fixture.h"

namespace zel::test {
namespace {

class LanguageTest : public SettingsTest {};

TEST_F(LanguageTest, CommentsAndEmptyMessagesSectionKeepBuiltInTexts) {
    WriteLanguage("XX", "* comment\r\n\r\n   * indented comment\r\nSection Messages\r\n");
    EXPECT_TRUE(ChargeFichierLangue("XX"));
    EXPECT_TRUE(F_Erreur.empty());
    EXPECT_EQ(GetMessagePgm(PasErreur), "Opération réalisée sans erreur");
}

TEST_F(LanguageTest, MessageNumbersAreIgnoredOrderCounts) {
    WriteLanguage("XX", "section messages\r\n5,'five'\r\n  9 , 'nine'\r\n1,'one' trailing\r\n");
    EXPECT_TRUE(ChargeFichierLangue("XX"));
    EXPECT_EQ(GetMessagePgm(erreur_systeme), "five");
    EXPECT_EQ(GetMessagePgm(non_connecte), "nine");
    EXPECT_EQ(GetMessagePgm(connecte_a), "one");
    EXPECT_EQ(GetMessagePgm(verif_connexion), "Erreur interne");
}

TEST_F(LanguageTest, QuotesAndErrors) {
    WriteLanguage("XX", "Section Principal\r\n7,'L''alarme'\r\n8,'unterminated\r\n9,'after'\r\n");
    EXPECT_FALSE(ChargeFichierLangue("XX"));
    std::string t;
    EXPECT_TRUE(DonneTexteLangue(FenetrePrincipal, 7, t));
    EXPECT_EQ(t, "L'alarme");
    EXPECT_FALSE(DonneTexteLangue(FenetrePrincipal, 9, t)); // reading stopped at the error
    EXPECT_TRUE(t.empty());

    const char* bad[] = {"Section Nowhere\r\n", "just words\r\n", "Section Messages\r\n1 'x'\r\n",
                         "Section Messages\r\n'x'\r\n"};
    for (const char* b : bad) {
        WriteLanguage("XX", b);
        EXPECT_FALSE(ChargeFichierLangue("XX")) << b;
    }
}

TEST_F(LanguageTest, OnlyTheFirstBlockOfASectionIsSearched) {
    WriteLanguage("XX",
                  "Section Principal\r\n1,'first'\r\n1,'first again'\r\n2,'two'\r\n"
                  "Section Connexion\r\n1,'connect'\r\n"
                  "Section Principal\r\n3,'second block'\r\n"
                  "Section Connexion\r\n"); // repeats nothing new: not added twice
    EXPECT_TRUE(ChargeFichierLangue("XX"));
    const struct {
        TFenetre w;
        int n;
        bool found;
        const char* text;
    } cases[] = {
        {FenetrePrincipal, 1, true, "first"}, {FenetrePrincipal, 2, true, "two"},
        {FenetrePrincipal, 3, false, ""},     {FenetreConnexion, 1, true, "connect"},
        {FenetreAPropos, 1, false, ""},       {FenetrePrincipal, 99, false, ""},
    };
    for (const auto& c : cases) {
        std::string t = "stale";
        EXPECT_EQ(DonneTexteLangue(c.w, c.n, t), c.found) << int(c.w) << " " << c.n;
        EXPECT_EQ(t, c.text);
    }
}

TEST_F(LanguageTest, WindowLinesAreKeptAsWrittenAndSectionsRepeatOnlyOnChange) {
    WriteLanguage("XX", "Section Principal\r\n  1,'a'\r\nSection principal\r\n2,'b'\r\n"
                        "Section Messages\r\n0,'m'\r\n");
    EXPECT_TRUE(ChargeFichierLangue("XX"));
    EXPECT_EQ(F_Langue, (TextList{"Section Principal", "  1,'a'", "2,'b'"}));
    EXPECT_EQ(F_Erreur, (TextList{"m"}));
}

TEST_F(LanguageTest, MissingFileBringsBackFrenchMessagesButKeepsWindowTexts) {
    WriteLanguage("XX", "Section Messages\r\n0,'zero'\r\nSection APropos\r\n1,'About'\r\n");
    ASSERT_TRUE(ChargeFichierLangue("XX"));
    EXPECT_FALSE(ChargeFichierLangue("nothing here"));
    EXPECT_EQ(GetMessagePgm(PasErreur), "Opération réalisée sans erreur");
    std::string t;
    EXPECT_TRUE(DonneTexteLangue(FenetreAPropos, 1, t));
    EXPECT_EQ(t, "About");
}

TEST_F(LanguageTest, Utf16AndWindows1252FilesLoad) {
    // "Section Messages / 0,'Prêt'" in UTF-16 LE with BOM and in Windows-1252.
    const std::string text = "Section Messages\r\n0,'Pr\xC3\xAAt'\r\n";
    std::string utf16 = "\xFF\xFE";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC3\xAA") == 0) {
            utf16 += std::string("\xEA\x00", 2);
            ++i;
        } else {
            utf16 += text[i];
            utf16 += '\0';
        }
    }
    WriteLanguage("U16", utf16);
    WriteLanguage("CP", "Section Messages\r\n0,'Pr\xEAt'\r\n");
    for (const char* name : {"U16", "CP"}) {
        EXPECT_TRUE(ChargeFichierLangue(name)) << name;
        EXPECT_EQ(GetMessagePgm(erreur_systeme), "Prêt") << name;
    }
}

// The list of the preferences upper-cases the code and drops the extension; the file on disk
// may be spelt either way, and the file system tells the cases apart.
TEST_F(LanguageTest, FilesAreFoundInAnyLetterCaseOfCodeAndExtension) {
    WriteFile(Repertoire_langues + "fr Français.txt", "Section Messages\r\n0,'fr'\r\n");
    WriteFile(Repertoire_langues + "EN English.TXT", "Section Messages\r\n0,'en'\r\n");
    WriteFile(Repertoire_langues + "de Deutsch.Txt", "Section Messages\r\n0,'de'\r\n");
    WriteFile(Repertoire_langues + "IT.txt", "Section Messages\r\n0,'it exact'\r\n");
    WriteFile(Repertoire_langues + "it.txt", "Section Messages\r\n0,'it lower'\r\n");
    const struct {
        const char* asked;
        const char* text;
    } cases[] = {
        {"FR Français", "fr"}, {"fr Français", "fr"}, {"EN English", "en"},
        {"DE Deutsch", "de"},  {"IT", "it exact"}, // the name as asked wins when it exists
        {"it", "it lower"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ChargeFichierLangue(c.asked)) << c.asked;
        EXPECT_EQ(GetMessagePgm(erreur_systeme), c.text) << c.asked;
    }
    EXPECT_FALSE(ChargeFichierLangue("ES Español"));
    EXPECT_EQ(GetMessagePgm(erreur_systeme), "Erreur interne");

    // The file for a configured code, in any case, as ChargeFichierLangue takes it.
    const struct {
        const char* code;
        const char* name;
    } codes[] = {
        {"FR", "fr Français"}, {"fr", "fr Français"}, {"en", "EN English"}, {"De", "de Deutsch"}};
    for (const auto& c : codes) {
        std::string name;
        EXPECT_TRUE(FindLanguageFile(c.code, name)) << c.code;
        EXPECT_EQ(name, c.name) << c.code;
    }
    std::string name = "untouched";
    EXPECT_FALSE(FindLanguageFile("ES", name));
    EXPECT_EQ(name, "untouched");
}

TEST_F(LanguageTest, ACodeItselfComesBeforeANameThatStartsWithIt) {
    WriteLanguage("ENGLISH old", "Section Messages\r\n0,'old'\r\n");
    WriteLanguage("EN English", "Section Messages\r\n0,'en'\r\n");
    std::string name;
    ASSERT_TRUE(FindLanguageFile("EN", name));
    EXPECT_EQ(name, "EN English");
}

// Installed, the user's language directory comes first and the installed one after it: a file
// of the user's replaces the installed file of the same name, the others are all found.
TEST_F(LanguageTest, UserFilesBeforeInstalledOnes) {
    InstalledLanguageDir = dir + "installed/";
    CreateDir(InstalledLanguageDir);
    WriteFile(InstalledLanguageDir + "EN English.txt", "Section Messages\r\n0,'installed en'\r\n");
    WriteFile(InstalledLanguageDir + "DE Deutsch.txt", "Section Messages\r\n0,'installed de'\r\n");
    WriteLanguage("EN English", "Section Messages\r\n0,'user en'\r\n");
    WriteLanguage("NL Nederlands", "Section Messages\r\n0,'user nl'\r\n");
    const struct {
        const char* code;
        const char* text;
    } cases[] = {{"EN", "user en"}, {"DE", "installed de"}, {"NL", "user nl"}};
    for (const auto& c : cases) {
        std::string name;
        ASSERT_TRUE(FindLanguageFile(c.code, name)) << c.code;
        EXPECT_TRUE(ChargeFichierLangue(name)) << c.code;
        EXPECT_EQ(GetMessagePgm(erreur_systeme), c.text) << c.code;
    }

    // Without a language directory of the user's, the installed files alone.
    std::filesystem::remove_all(Repertoire_langues);
    std::string name;
    ASSERT_TRUE(FindLanguageFile("en", name));
    EXPECT_TRUE(ChargeFichierLangue(name));
    EXPECT_EQ(GetMessagePgm(erreur_systeme), "installed en");
}

TEST_F(LanguageTest, ExtractLangueString) {
    EXPECT_EQ(ExtractLangueString("fr Français"), "FR");
    EXPECT_EQ(ExtractLangueString("EN"), "EN");
    EXPECT_EQ(ExtractLangueString(""), "");
    EXPECT_EQ(ExtractLangueString("de-ch Deutsch"), "DE-CH");
}

TEST_F(LanguageTest, LanguageIDsFromTheLocale) {
    const struct {
        const char* language;
        const char* country;
        const char* lang;
        const char* fallback;
    } cases[] = {
        {"fr", "FR", "FR_FR", "FR"},
        {"en", "GB", "EN_GB", "EN"},
        {"de", "", "", "DE"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SetRegional(RegionalSettings{'/', ':', '.', c.language, c.country});
        std::string lang = "x", fallback = "y";
        GetLanguageIDs(lang, fallback);
        EXPECT_EQ(lang, c.lang);
        EXPECT_EQ(fallback, c.fallback);
    }
}

} // namespace
} // namespace zel::test
