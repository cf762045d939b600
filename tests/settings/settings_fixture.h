#pragma once
// Shared set-up of the settings tests: a scratch directory standing for the program's
// directories, fake ports, and the globals reset between tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/ports.h"
#include "base/regional.h"
#include "base/textfile.h"
#include "model/model.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/language.h"
#include "settings/messages.h"

namespace zel::test {

class FakeClock : public ClockPort {
  public:
    TDateTime t = EncodeDateTime(2024, 3, 15, 8, 5, 30);
    TDateTime now() override { return t; }
    uint32_t tickMs() override { return 0; }
    void sleepMs(uint32_t) override {}
};

class FakeSound : public SoundPort {
  public:
    std::vector<std::string> played; // path, "+loop" when looping
    int stops = 0;
    bool play(const std::string& path, bool loop) override {
        played.push_back(path + (loop ? "+loop" : ""));
        return true;
    }
    void stop() override { ++stops; }
};

// Save dialogs answer from a script: each entry is a chosen file ("" = cancel); each Yes/No
// question takes the next answer.
class FakeDialogs : public DialogPort {
  public:
    std::vector<std::string> choices;
    std::vector<bool> answers;
    std::vector<std::string> questions;
    int saveCalls = 0, saveNoConfirmCalls = 0;

    void information(const std::string&) override {}
    bool okCancel(const std::string&) override { return false; }
    int yesNoCancel(const std::string&) override { return -1; }
    bool openFile(const std::string&, const std::string&, const std::string&,
                  std::string&) override {
        return false;
    }
    bool saveFile(const std::string&, const std::string&, const std::string&,
                  std::string& path) override {
        ++saveCalls;
        return next(path);
    }
    bool saveFileNoConfirm(const std::string&, const std::string&, const std::string&,
                           std::string& path) override {
        ++saveNoConfirmCalls;
        return next(path);
    }
    bool yesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void busy(bool) override {}

  private:
    bool next(std::string& path) {
        if (choices.empty()) return false;
        const std::string c = choices.front();
        choices.erase(choices.begin());
        if (c.empty()) return false;
        path = c;
        return true;
    }
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(AtomicWriteFile(path, bytes));
}

class SettingsTest : public ::testing::Test {
  protected:
    std::string dir; // ends in "/"
    FakeClock clock;
    FakeSound sound;
    FakeDialogs dialogs;
    Ports saved;

    void SetUp() override {
        char tmpl[] = "/tmp/zel_settings_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = std::string(tmpl) + "/";
        for (const char* sub : {"data", "son", "langages"})
            CreateDir(dir + sub);
        Repertoire_conf = dir + "data/";
        Repertoire_son = dir + "son/";
        Repertoire_langues = dir + "langages/";
        InstalledSoundDir.clear();
        InstalledLanguageDir.clear();
        saved = GetPorts();
        GetPorts().clock = &clock;
        GetPorts().sound = &sound;
        GetPorts().dialogs = &dialogs;
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        Fichier_conf = type_fichier_conf{};
        F_Erreur.clear();
        F_Langue.clear();
        F_Log.clear();
        Alarme_en_cours = false;
        Principal.cg_info_status.clear();
        Principal.cg_ra_a_visible = false;
        Principal.cg_ra_i_visible = true;
        Principal.alarm_hints = false;
        Principal.FlipTimer_enabled = false;
        Principal.FlipTimer_interval = 1000;
    }

    void TearDown() override {
        InstalledSoundDir.clear();
        InstalledLanguageDir.clear();
        GetPorts() = saved;
        ResetRegional();
        F_Erreur.clear();
        F_Langue.clear();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void WriteLanguage(const std::string& name, const std::string& text) {
        WriteFile(Repertoire_langues + name + ".txt", text);
    }
};

} // namespace zel::test
