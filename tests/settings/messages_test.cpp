#include <cerrno>
#include <cstring>

#include "serial/serial_line.h"
#include "settings_fixture.h"

namespace zel::test {
namespace {

class MessagesTest : public SettingsTest {};

TEST_F(MessagesTest, BuiltInTexts) {
    const struct {
        erreur_programme id;
        const char* text;
    } cases[] = {
        {erreur_systeme, "Erreur interne"},
        {non_connecte, "Non connecté"},
        {connecte_a, "Connecté à "},
        {Pb_ouvrir_fichier, "Problème lors de l'ouverture du fichier "},
        {PasErreur, "Opération réalisée sans erreur"},
        {gs_GAP_erreur, "Gamma Scout: Codage GAP Incorrect"},
        {Overwrite1, "%s existe déjà"},
        {pb_conf_compteur, "Pb avec Fichier configuration Compteur"},
        {PortInUse,
         "Le port %s est utilisé par un autre programme. Fermez ce programme, puis réessayez."},
        {static_cast<erreur_programme>(NombreMessages), "Erreur interne"},
        {static_cast<erreur_programme>(255), "Erreur interne"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetMessagePgm(c.id), c.text) << int(c.id);
    EXPECT_EQ(int(pb_conf_compteur), 60);
    EXPECT_EQ(int(PasErreur), 24);
}

TEST_F(MessagesTest, ReplacementListReplacesEveryMessage) {
    for (int i = 0; i < 10; ++i)
        F_Erreur.push_back("text " + std::to_string(i));
    const struct {
        int value;
        const char* text;
    } cases[] = {
        {0, "text 0"},          {3, "text 3"}, {9, "text 9"},
        {10, "Erreur interne"}, // the French table is not consulted any more
        {60, "Erreur interne"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetMessagePgm(static_cast<erreur_programme>(c.value)), c.text) << c.value;
}

// A language file made before the port messages existed: those fall back to their built-in
// text rather than "Erreur interne"; the older ones keep the all-or-nothing rule.
TEST_F(MessagesTest, MessagesNewerThanTheFileKeepTheirBuiltInText) {
    for (int i = 0; i < NombreMessagesAnciens; ++i)
        F_Erreur.push_back("old " + std::to_string(i));
    EXPECT_EQ(GetMessagePgm(pb_conf_compteur), "old 60");
    EXPECT_EQ(GetMessagePgm(PortMissingMark), "%s (absent)");
    EXPECT_EQ(GetMessagePgm(static_cast<erreur_programme>(NombreMessages)), "Erreur interne");
    F_Erreur.resize(10);
    EXPECT_EQ(GetMessagePgm(pb_conf_compteur), "Erreur interne");
    EXPECT_EQ(GetMessagePgm(PortGone),
              "Le port %s n'existe pas ou n'est plus branché. Vérifiez le câble du compteur.");
}

TEST_F(MessagesTest, MessageWithReplacesEveryPlaceholder) {
    EXPECT_EQ(MessageWith(PortNotSerial, "/tmp/x"), "/tmp/x n'est pas un port série.");
    EXPECT_EQ(MessageWith(PortGroupAdvice, "uucp"),
              "Ajoutez votre utilisateur au groupe uucp (sudo usermod -aG uucp $USER), puis "
              "fermez la session et ouvrez-la à nouveau.");
    // A name holding the placeholder itself is put in once, not expanded again.
    EXPECT_EQ(MessageWith(PortMissingMark, "%s"), "%s (absent)");
    EXPECT_EQ(MessageWith(PasErreur, "x"), "Opération réalisée sans erreur");
}

TEST_F(MessagesTest, SerialTextsByLanguage) {
    const struct {
        const char* langue;
        int32_t code;
        const char* text;
    } cases[] = {
        {"FR", 10003, "File d'attente pleine"},      {"fr", 10003, "Tranceive Queue is full"},
        {"EN", 10003, "Tranceive Queue is full"},    {"", 9997, "Reception timeout"},
        {"FR", 9997, "Time-out en réception"},       {"FR", 0, "OK"},
        {"EN", 9991, "Port owned by other process"},
    };
    for (const auto& c : cases) {
        Fichier_conf.Langue = c.langue;
        EXPECT_EQ(GetIOError(c.code), c.text) << c.langue << " " << c.code;
    }
}

// What the journal says for the statuses a Linux serial line gives: the fixed texts sit on the
// errno values they stand for here, and no text speaks of a COM port.
TEST_F(MessagesTest, LinuxStatusesGetTheirOwnTexts) {
    auto sys = [](int code) {
        return std::string(strerror(code)) + " (" + std::to_string(code) + ")";
    };
    const struct {
        const char* langue;
        int32_t status;
        std::string text;
    } cases[] = {
        {"FR", ENOENT, "Port introuvable (err. Sys. 02)"},
        {"EN", ENOENT, "Port not reachable (syst-error 02)"},
        {"FR", ErrFileNotFound, "Port introuvable (err. Sys. 02)"},
        {"FR", EBADF, "Handle Incorrect (err. Sys. 09)"},
        {"EN", ErrHandle, "Incorrect Handle (err. Sys. 09)"},
        {"FR", EINVAL, "Erreur de paramètre lors de l'ouverture du port (err. Sys. 22)"},
        {"EN", ErrParameter, "Error during port initialization (syst-error 22)"},
        // Windows' numbers mean something else here and get the system's text.
        {"EN", ENXIO, sys(ENXIO)},
        {"FR", ENXIO, sys(ENXIO)},
        {"EN", 87, sys(87)},
        {"EN", EIO, sys(EIO)},
        {"EN", EBUSY, sys(EBUSY)},
        {"EN", ENOTTY, sys(ENOTTY)},
        {"EN", EACCES, sys(EACCES)},
        {"FR", ErrTimeout, "Time-out en réception"},
        {"EN", ErrPortNotOpen, "Instance not yet connected"},
    };
    for (const auto& c : cases) {
        Fichier_conf.Langue = c.langue;
        const std::string t = GetIOError(c.status);
        EXPECT_EQ(t, c.text) << c.langue << " " << c.status;
        EXPECT_EQ(t.find("COM"), std::string::npos) << t;
    }
}

TEST_F(MessagesTest, SystemCodesGetTheSystemTextAndTheCode) {
    Fichier_conf.Langue = "EN";
    EXPECT_EQ(GetIOError(EACCES),
              std::string(strerror(EACCES)) + " (" + std::to_string(EACCES) + ")");
    // A negative status is shown as the unsigned number it is on the wire.
    const std::string neg = GetIOError(-1);
    EXPECT_NE(neg.find("(4294967295)"), std::string::npos) << neg;
    for (char c : GetIOError(123456))
        EXPECT_GT(static_cast<unsigned char>(c), 31u);
}

TEST_F(MessagesTest, ShippedEnglishFileGivesAllMessages) {
    Repertoire_langues = std::string(ZEL_SOURCE_DIR) + "/langages/";
    ASSERT_TRUE(ChargeFichierLangue("EN English"));
    ASSERT_EQ(F_Erreur.size(), size_t(NombreMessages));
    EXPECT_EQ(MessageWith(PortInUse, "/dev/ttyUSB0"),
              "The port /dev/ttyUSB0 is in use by another program. Close that program, then try "
              "again.");
    EXPECT_EQ(GetMessagePgm(erreur_systeme), "Internal error");
    EXPECT_EQ(GetMessagePgm(PasErreur), "Operation completed without error");
    // Callers append names and values to these, and format Overwrite1.
    EXPECT_EQ(GetMessagePgm(connecte_a).back(), ' ');
    EXPECT_EQ(GetMessagePgm(Fichier_en_cours).back(), ' ');
    EXPECT_EQ(GetMessagePgm(Pb_ouvrir_fichier).back(), ' ');
    EXPECT_NE(GetMessagePgm(Overwrite1).find("%s"), std::string::npos);
    for (int i = 0; i < NombreMessages; ++i)
        EXPECT_FALSE(GetMessagePgm(static_cast<erreur_programme>(i)).empty()) << i;

    // Every window asks for its numbers; all of them are present.
    const struct {
        TFenetre w;
        int last;
    } windows[] = {{FenetrePrincipal, 39}, {FenetrePreference, 5}, {FenetreConnexion, 4},
                   {FenetreAPropos, 2},    {FenetreParamVORN, 17}, {FenetreParamGS, 6}};
    for (const auto& w : windows) {
        for (int n = 1; n <= w.last; ++n) {
            std::string t;
            EXPECT_TRUE(DonneTexteLangue(w.w, n, t)) << int(w.w) << " " << n;
            EXPECT_FALSE(t.empty()) << int(w.w) << " " << n;
        }
    }
}

} // namespace
} // namespace zel::test
