// The user changes the language while the session thread journals the faults of a dead line,
// then connects to a counter of another model: the session journals in the language picked
// last and treats the new model's silence as its own (the end of a Gamma Scout dump). Run under
// ThreadSanitizer too, this is where the two threads meet over the configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/app.h"
#include "app/app_fixture.h"
#include "base/ports.h"
#include "base/textfile.h"
#include "child_process.h"
#include "model/model.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace {

using namespace zel;

class LanguageModelChange : public zeltest::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        std::string en;
        ASSERT_TRUE(ReadFileBytes(std::string(ZEL_SOURCE_DIR) + "/langages/EN English.txt", en));
        WriteFile(dir + "/langages/EN English.txt", en);
        WriteFile(dir + "/langages/FR Français.txt", "Section Principal\r\n39,'Enr.'\r\n");
        WriteFile(Data() + "cg_conf.txt", "Langue=FR\r\n");
    }
    void TearDown() override {
        sims_.StopAll();
        AppTest::TearDown();
    }

    std::string StartSim(const std::vector<std::string>& args) { return sims_.Start(args); }

    // The preferences dialog: pick the language, OK.
    static void Pick(const std::string& entry) {
        PreferenceFormShow();
        const auto& l = cg_preference.cg_pref_langue;
        cg_pref_langueChange(static_cast<int>(std::find(l.begin(), l.end(), entry) - l.begin()));
        cg_pref_OKClick();
    }

    static void Pump(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end)
            MainThread().waitMs(10);
    }

    static size_t Journalled(const std::string& text) {
        size_t n = 0;
        for (const auto& l : F_Log)
            n += l.size() >= text.size() &&
                 l.compare(l.size() - text.size(), text.size(), text) == 0;
        return n;
    }

    Simulators sims_;
};

TEST_F(LanguageModelChange, WhileTheSessionJournalsFaults) {
    // A VORN8 whose cable goes once it has told its identity and factor.
    const std::string vorn = StartSim(
        {"--model", "VORN8", "--serial", "88", "--period-ms", "60000", "--drop-after", "2"});
    const std::string gs = StartSim({"--model", "GS", "--firmware", "6.50", "--serial", "4242",
                                     "--mode", "pc", "--log-hours", "2"});
    const std::string silent = StartSim({"--model", "GS", "--firmware", "6.50", "--silent"});
    ASSERT_FALSE(vorn.empty() || gs.empty() || silent.empty());
    Start();
    PreferenceFormCreate();
    ASSERT_EQ(cg_preference.cg_pref_langue.size(), 2u);

    ASSERT_TRUE(AppConnect(vorn, 1));
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, CVORN8);
    // The line dies while the language goes back and forth: the fault is told once.
    for (int i = 0; i < 30; ++i) {
        Pick(i % 2 ? "FR Français" : "EN English");
        Pump(100);
    }
    EXPECT_EQ(Journalled(GetIOError(EIO)), 1u);

    // Another model on the same program run: its dump ends with its silence, not a time-out.
    Pick("EN English");
    ASSERT_TRUE(AppConnect(gs, 3));
    ASSERT_EQ(Fichier_conf.type_compteur_Capture, GAMMA_SCOUT2);
    SetEmission(Comd_DL, "");
    EXPECT_EQ(Journalled(GetMessagePgm(FinDump)), 1u);
    EXPECT_EQ(Journalled(GetIOError(ErrTimeout, "EN")), 0u);
    EXPECT_TRUE(FileExists(Data() + "GS2_04242_DL.txt"));

    // A counter that never answers: its time-outs are told in the language picked last, also
    // when it is picked while the session is connected.
    ASSERT_TRUE(AppConnect(silent, 3));
    const size_t en = Journalled(GetIOError(ErrTimeout, "EN"));
    EXPECT_GE(en, 1u);
    Pick("FR Français");
    SetEmission(Comd_VP, "");
    EXPECT_EQ(Journalled(GetIOError(ErrTimeout, "FR")), 1u);
    EXPECT_EQ(Journalled(GetIOError(ErrTimeout, "EN")), en);
}

} // namespace
