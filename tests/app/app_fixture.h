#pragma once
// A headless front end for the application tests: the test thread is the main thread, dialogs
// answer from a script, sounds and links are recorded. Each test gets its own directory
// standing for the executable's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "base/ports.h"
#include "base/regional.h"
#include "base/textfile.h"

namespace zeltest {

class ScriptedDialogs : public zel::DialogPort {
  public:
    std::vector<std::string> informations;
    std::vector<std::string> questions;
    std::deque<bool> okCancelAnswers;                 // empty: Cancel
    std::deque<std::optional<std::string>> openFiles; // nullopt or empty queue: cancelled
    std::deque<std::optional<std::string>> saveFiles;
    int busyOn = 0;
    int busyOff = 0;

    void information(const std::string& text) override { informations.push_back(text); }
    bool okCancel(const std::string& text) override {
        questions.push_back(text);
        if (okCancelAnswers.empty()) return false;
        const bool r = okCancelAnswers.front();
        okCancelAnswers.pop_front();
        return r;
    }
    int yesNoCancel(const std::string& text) override {
        questions.push_back(text);
        return -1;
    }
    std::vector<std::string> openFilters; // the filter of each open dialog shown
    bool openFile(const std::string&, const std::string&, const std::string& filter,
                  std::string& path) override {
        openFilters.push_back(filter);
        return Next(openFiles, path);
    }
    bool saveFile(const std::string&, const std::string&, const std::string&,
                  std::string& path) override {
        return Next(saveFiles, path);
    }
    void busy(bool on) override { (on ? busyOn : busyOff)++; }

  private:
    static bool Next(std::deque<std::optional<std::string>>& q, std::string& path) {
        if (q.empty()) return false;
        auto v = q.front();
        q.pop_front();
        if (!v) return false;
        path = *v;
        return true;
    }
};

class RecordingSound : public zel::SoundPort {
  public:
    std::vector<std::pair<std::string, bool>> played;
    int stops = 0;
    bool play(const std::string& path, bool loop) override {
        played.emplace_back(path, loop);
        return true;
    }
    void stop() override { ++stops; }
};

class RecordingLinks : public zel::LinkPort {
  public:
    std::vector<std::string> opened;
    bool works = true; // false: as if no browser could start
    bool openUrl(const std::string& url) override {
        opened.push_back(url);
        return works;
    }
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = zel::GetPorts();
        zel::Ports& p = zel::GetPorts();
        p.main = &main_;
        p.dialogs = &dialogs;
        p.sound = &sound;
        p.links = &links;
        zel::SetRegional(zel::FixedFormat());
        std::string tmpl = std::string(ZEL_BINARY_DIR) + "/tmp-app-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }

    void TearDown() override {
        if (zel::AppRunning()) zel::AppShutdown();
        zel::GetPorts() = saved_;
        zel::ResetRegional();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Starts with the test directory as the executable's; fails the test when it does not.
    void Start() { ASSERT_EQ(zel::AppStart(dir), zel::PasErreur); }

    std::string Data() const { return dir + "/data/"; }

    void WriteFile(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_TRUE(zel::AtomicWriteFile(path, text));
    }

    std::string ReadFile(const std::string& path) {
        std::string s;
        zel::ReadFileBytes(path, s);
        return s;
    }

    std::string dir;
    ScriptedDialogs dialogs;
    RecordingSound sound;
    RecordingLinks links;

  private:
    zel::QueueMainThread main_;
    zel::Ports saved_;
};

} // namespace zeltest
