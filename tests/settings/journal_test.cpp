#include <atomic>
#include <thread>

#include "settings_fixture.h"

namespace zel::test {
namespace {

class JournalTest : public SettingsTest {};

TEST_F(JournalTest, LineFormatAndDirectionMark) {
    Trt_log("", true);
    EXPECT_TRUE(F_Log.empty());
    EXPECT_TRUE(Principal.cg_info_status.empty());

    Trt_log("V", true);
    Trt_log("CM=37", false);
    EXPECT_EQ(F_Log, (TextList{"2024/03/15 08:05 - V", "2024/03/15 08:05 - CM=37"}));
    EXPECT_EQ(Principal.cg_info_status, (std::vector<std::string>{"-> V", "<- CM=37"}));

    SetRegional(RegionalSettings{'.', '.', ',', "de", "DE"});
    Trt_log("x", true);
    EXPECT_EQ(F_Log.back(), "2024.03.15 08.05 - x");
}

TEST_F(JournalTest, KeepsTheNewestLines) {
    for (int i = 0; i <= MaxLog; ++i)
        Trt_log(std::to_string(i), true);
    ASSERT_EQ(F_Log.size(), size_t(MaxLog));
    EXPECT_EQ(F_Log.front(), "2024/03/15 08:05 - 1");
    EXPECT_EQ(F_Log.back(), "2024/03/15 08:05 - 10000");
    EXPECT_EQ(Principal.cg_info_status.size(), size_t(MaxLog + 1));

    // A longer journal file (edited by hand) is cut at the next line.
    F_Log.resize(MaxLog + 50, "old");
    Trt_log("new", true);
    EXPECT_EQ(F_Log.size(), size_t(MaxLog));
    EXPECT_EQ(F_Log.back(), "2024/03/15 08:05 - new");
}

TEST_F(JournalTest, OtherThreadsQueueInOrderWithoutWaiting) {
    QueueMainThread main;
    GetPorts().main = &main;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            Trt_log("w" + std::to_string(i), false);
        done = true; // reached while the main thread is not serving the queue
    });
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_TRUE(F_Log.empty());
    clock.t = EncodeDateTime(2024, 3, 15, 9, 0); // the line is dated when it is written
    main.processEvents();
    ASSERT_EQ(F_Log.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(F_Log[i], "2024/03/15 09:00 - w" + std::to_string(i));
        EXPECT_EQ(Principal.cg_info_status[i], "<- w" + std::to_string(i));
    }
}

TEST_F(JournalTest, JournalFileRoundTripIsAtomic) {
    EXPECT_TRUE(ChargeJournal()); // no file yet: empty journal
    EXPECT_TRUE(F_Log.empty());
    Trt_log("a", true);
    Trt_log("b", false);
    ASSERT_TRUE(SauveJournal());
    const TextList written = F_Log;
    F_Log.clear();
    ASSERT_TRUE(ChargeJournal());
    EXPECT_EQ(F_Log, written);
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(Repertoire_conf)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);

    // An unwritable place fails and says so.
    Repertoire_conf = dir + "missing/";
    EXPECT_FALSE(SauveJournal());
}

TEST_F(JournalTest, AlarmThresholds) {
    Fichier_conf.alerte_active = true;
    Fichier_conf.alerte_comptage = 50;
    const struct {
        int32_t value;
        bool raisedAfter;
    } steps[] = {{49, false}, {50, true}, {80, true}};
    for (const auto& s : steps) {
        Check_Alarme(s.value);
        EXPECT_EQ(Alarme_en_cours, s.raisedAfter) << s.value;
    }
    StopAlarm();
    EXPECT_FALSE(Alarme_en_cours);
    Check_Alarme(50);
    EXPECT_TRUE(Alarme_en_cours);
    StopAlarm();
    Check_Alarme(-1);
    EXPECT_TRUE(Alarme_en_cours);
    StopAlarm();

    Fichier_conf.alerte_active = false;
    for (int32_t v : {-1, 50, 100000}) {
        Check_Alarme(v);
        EXPECT_FALSE(Alarme_en_cours) << v;
    }
}

TEST_F(JournalTest, AlarmPicturesBlinkAndStop) {
    Fichier_conf.alerte_active = true;
    Check_Alarme(60);
    ASSERT_TRUE(Alarme_en_cours);
    EXPECT_TRUE(Principal.FlipTimer_enabled);
    EXPECT_EQ(Principal.FlipTimer_interval, 1000);
    EXPECT_FALSE(Principal.cg_ra_a_visible);
    EXPECT_TRUE(Principal.cg_ra_i_visible);
    EXPECT_TRUE(Principal.alarm_hints);

    EXPECT_EQ(FlipTimerTick(), 1000); // raised picture shown for a second
    EXPECT_TRUE(Principal.cg_ra_a_visible);
    EXPECT_FALSE(Principal.cg_ra_i_visible);
    EXPECT_EQ(FlipTimerTick(), 200); // then the idle one for a fifth
    EXPECT_FALSE(Principal.cg_ra_a_visible);
    EXPECT_TRUE(Principal.cg_ra_i_visible);
    EXPECT_EQ(FlipTimerTick(), 1000);

    StopAlarm();
    EXPECT_FALSE(Alarme_en_cours);
    EXPECT_FALSE(Principal.FlipTimer_enabled);
    EXPECT_FALSE(Principal.cg_ra_a_visible);
    EXPECT_TRUE(Principal.cg_ra_i_visible);
    EXPECT_FALSE(Principal.alarm_hints);
    EXPECT_EQ(sound.stops, 1);

    // Acknowledging with nothing raised changes nothing.
    Principal.cg_ra_a_visible = true;
    Principal.FlipTimer_enabled = true;
    StopAlarm();
    EXPECT_EQ(sound.stops, 1);
    EXPECT_TRUE(Principal.cg_ra_a_visible);
    EXPECT_TRUE(Principal.FlipTimer_enabled);
}

TEST_F(JournalTest, AlarmSound) {
    Fichier_conf.alerte_active = true;
    Fichier_conf.Fichier_alarme = "Klaxon0";

    Fichier_conf.alerte_sonore = true;
    Check_Alarme(50); // no such file: blinks silently
    EXPECT_TRUE(Alarme_en_cours);
    EXPECT_TRUE(sound.played.empty());
    StopAlarm();

    WriteFile(Repertoire_son + "Klaxon0.wav", "RIFF");
    Fichier_conf.alerte_sonore = false;
    Check_Alarme(50);
    EXPECT_TRUE(sound.played.empty());
    StopAlarm();

    Fichier_conf.alerte_sonore = true;
    Check_Alarme(50);
    EXPECT_EQ(sound.played, (std::vector<std::string>{Repertoire_son + "Klaxon0.wav+loop"}));
    StopAlarm();

    // Installed: the user's sound first, the installed one when the user has none.
    InstalledSoundDir = dir + "installed/";
    CreateDir(InstalledSoundDir);
    WriteFile(InstalledSoundDir + "Klaxon0.wav", "RIFF");
    WriteFile(InstalledSoundDir + "Bell.wav", "RIFF");
    Fichier_conf.Fichier_alarme = "Bell";
    Check_Alarme(50);
    StopAlarm();
    Fichier_conf.Fichier_alarme = "Klaxon0";
    Check_Alarme(50);
    EXPECT_EQ(sound.played, (std::vector<std::string>{Repertoire_son + "Klaxon0.wav+loop",
                                                      InstalledSoundDir + "Bell.wav+loop",
                                                      Repertoire_son + "Klaxon0.wav+loop"}));
}

TEST_F(JournalTest, SupprimePariteAndCherche_ListBox) {
    std::string s = "\xC1\x41";
    SupprimeParite(s);
    EXPECT_EQ(s, "AA");

    const TextList entries{"COM1", "COM3", "com3"};
    EXPECT_EQ(Cherche_ListBox("com3", entries), 1);
    EXPECT_EQ(Cherche_ListBox("COM1", entries), 0);
    EXPECT_EQ(Cherche_ListBox("COM", entries), -1);
    EXPECT_EQ(Cherche_ListBox("x", TextList{}), -1);
    // Only a..z fold: "é" and "É" differ.
    EXPECT_EQ(Cherche_ListBox("\xC3\xA9", TextList{"\xC3\x89"}), -1);
}

TEST_F(JournalTest, SaveDialogAsksItsOwnOverwriteQuestion) {
    const std::string existing = dir + "exists.txt", fresh = dir + "fresh.txt";
    WriteFile(existing, "x");

    struct Case {
        const char* name;
        std::vector<std::string> choices;
        std::vector<bool> answers;
        bool result;
        std::string file;
        size_t questions;
    } cases[] = {
        {"new file", {fresh}, {}, true, fresh, 0},
        {"cancel", {""}, {}, false, "", 0},
        {"existing, yes", {existing}, {true}, true, existing, 1},
        {"existing, no, then a new one", {existing, fresh}, {false}, true, fresh, 1},
        {"existing, no, then cancel", {existing, ""}, {false}, false, "", 1},
        {"existing twice", {existing, existing}, {false, true}, true, existing, 2},
    };
    for (auto& c : cases) {
        dialogs = FakeDialogs{};
        dialogs.choices = c.choices;
        dialogs.answers = c.answers;
        TSaveDialog d;
        EXPECT_EQ(ThemeSafeLaunchSaveDialog(d), c.result) << c.name;
        if (c.result) {
            EXPECT_EQ(d.FileName, c.file) << c.name;
        }
        EXPECT_EQ(dialogs.questions.size(), c.questions) << c.name;
        EXPECT_EQ(dialogs.saveCalls, 0) << c.name; // never the dialog's own question
    }
    EXPECT_EQ(dialogs.questions.front(),
              existing + " existe déjà\n\nSouhaitez vous le remplacer ?");

    // Without the overwrite question the dialog simply runs.
    dialogs = FakeDialogs{};
    dialogs.choices = {existing};
    TSaveDialog plain;
    plain.OverwritePrompt = false;
    EXPECT_TRUE(ThemeSafeLaunchSaveDialog(plain));
    EXPECT_EQ(dialogs.saveCalls, 1);
    EXPECT_TRUE(dialogs.questions.empty());
}

} // namespace
} // namespace zel::test
