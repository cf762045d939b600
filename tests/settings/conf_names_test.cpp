// Names read from cg_conf.txt that end up in paths: they stay inside their directories.
#include "settings_fixture.h"

namespace zel::test {
namespace {

TEST_F(SettingsTest, AlarmSoundNameWithADirectoryIsNotTaken) {
    struct Case {
        const char* line;
        const char* sound;
    } cases[] = {
        {"FichierSon=Sirène 2", "Sirène 2"},
        {"FichierSon=../../../etc/passwd", "Klaxon0"},
        {"FichierSon=/tmp/other", "Klaxon0"},
        {"FichierSon=..", ".."}, // "son/...wav": still in the sounds directory
    };
    for (const Case& c : cases) {
        WriteFile(Repertoire_conf + "cg_conf.txt", std::string(c.line) + "\r\n");
        Fichier_conf = type_fichier_conf{};
        LireConf();
        EXPECT_EQ(Fichier_conf.Fichier_alarme, c.sound) << c.line;
    }
}

} // namespace
} // namespace zel::test
