// Sessions of a real Gamma Scout 7.02 replayed through zelvanor-cli log: a scripted counter on
// a pseudo-terminal answers v, c and b with the lines the counter sent in the transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/textfile.h"
#include "child_process.h"
#include "records/capture.h"
#include "settings/messages.h"

namespace {

const std::string kFixtures = ZEL_SOURCE_DIR "/tests/fixtures/real-counters/";

using Script = std::map<char, std::vector<std::string>>;

// What the counter answered to each one-letter command of the transcript: the lines after the
// command's line, up to the next command.
Script ReadScript(const std::string& file) {
    zel::TextList lines;
    EXPECT_TRUE(zel::LoadTextFile(kFixtures + file, lines)) << file;
    Script script;
    char command = 0;
    for (const std::string& line : lines) {
        if (line.size() == 1) {
            command = line[0];
            script[command];
        } else if (command != 0) {
            script[command].push_back(line);
        }
    }
    return script;
}

// The counter's end of a pseudo-terminal. Each line goes out CR LF ended, at the pace of the
// counter's 460800 bit/s with 10 bits a character, after a short reaction time.
class ScriptedCounter {
  public:
    explicit ScriptedCounter(Script script) : script_(std::move(script)) {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
        path_ = name;
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        KeepOutputProcessing(t);
        ioctl(slave_, TCSETS, &t);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedCounter() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_); // kept open so that the host may close and reopen
    }
    const std::string& path() const { return path_; }
    // Every byte the host sent, for failure messages.
    std::string received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    // The host's 7-bit request on a terminal that keeps 8 bits would change nothing and be
    // refused; output processing on our side makes every request change something.
    static void KeepOutputProcessing(termios& t) { t.c_oflag |= OPOST | ONLCR; }

    void Run() {
        while (!stop_) {
            termios host{};
            if (tcgetattr(master_, &host) == 0 && !(host.c_oflag & OPOST)) {
                KeepOutputProcessing(host);
                ioctl(master_, TCSETS, &host);
            }
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[256];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                received_.append(buf, static_cast<size_t>(n));
            }
            for (ssize_t i = 0; i < n; ++i)
                if (auto it = script_.find(buf[i]); it != script_.end()) Answer(it->second);
        }
    }

    void Answer(const std::vector<std::string>& lines) {
        usleep(20 * 1000);
        for (const std::string& line : lines) {
            const std::string out = line + "\r\n";
            if (!Write(out)) return;
            usleep(static_cast<useconds_t>(out.size() * 10 * 1000000 / 460800));
        }
    }

    bool Write(const std::string& s) {
        size_t done = 0;
        while (done < s.size() && !stop_) {
            const ssize_t n = write(master_, s.data() + done, s.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 20);
            } else {
                return false;
            }
        }
        return done == s.size();
    }

    Script script_;
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::string received_;
};

// zelvanor-cli log with its output read line by line.
class Cli {
  public:
    explicit Cli(std::vector<std::string> args) {
        pid_ = SpawnPiped(ZEL_CLI, std::move(args), out_);
    }
    ~Cli() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    bool started() const { return pid_ > 0; }

    // Reads output until a line starts with `prefix` (then returned) or `ms` have passed ("").
    std::string WaitForLine(const std::string& prefix, int ms) {
        for (const int64_t end = NowMs() + ms; NowMs() < end; Read(50))
            for (; seen_ < lines.size(); ++seen_)
                if (lines[seen_].rfind(prefix, 0) == 0) return lines[seen_++];
        return {};
    }
    int Stop(int ms) {
        kill(pid_, SIGTERM);
        const int status = WaitExit(pid_, ms);
        ended_ = true;
        while (Read(100)) { // what it printed last
        }
        return status;
    }

    std::vector<std::string> lines;

  private:
    // One read of the output within `ms`, split into lines; false when nothing came.
    bool Read(int ms) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) return false;
        char buf[4096];
        const ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) return false;
        partial_.append(buf, static_cast<size_t>(n));
        for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
            lines.push_back(partial_.substr(0, nl));
            partial_.erase(0, nl + 1);
        }
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    bool ended_ = false;
    size_t seen_ = 0;
    std::string partial_;
};

struct Transcript {
    const char* file;
    size_t dump_lines;
    size_t records;
    const char* report;
};

class RealCounterReplay : public ::testing::TestWithParam<Transcript> {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_replay_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        data_ = dir_ + "/data/";
        // The program's own French texts, whatever the language of the machine running this.
        ASSERT_TRUE(zel::CreateDir(data_));
        ASSERT_TRUE(zel::SaveTextFile(data_ + "cg_conf.txt", {"Langue=FR"}));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_, data_;
};

std::string Output(const Cli& cli, const ScriptedCounter& counter) {
    std::string s = "sent to the counter: ";
    for (char c : counter.received())
        s += c == '\r' ? std::string("\\r") : std::string(1, c);
    s += "\nprogram output:\n";
    for (const auto& l : cli.lines)
        s += "  " + l + "\n";
    return s;
}

TEST_P(RealCounterReplay, IdentifiedInternalDataShownAndLogDecoded) {
    const Transcript& t = GetParam();
    const Script script = ReadScript(t.file);
    ASSERT_EQ(script.size(), 3u);
    ASSERT_EQ(script.at('b').size(), 1 + t.dump_lines);
    ScriptedCounter counter(script);
    ASSERT_FALSE(counter.path().empty());

    Cli cli({"log", "--port", counter.path(), "--line", "gs7", "--dir", data_, "--do",
             "internal-data", "--do", "download"});
    ASSERT_TRUE(cli.started());
    // The silence after the dump ends it; the decoding's status follows.
    const std::string status = cli.WaitForLine("-> Gamma Scout", 240000);
    EXPECT_EQ(cli.Stop(15000), 0);
    ASSERT_EQ(status, "-> " + zel::GetMessagePgm(zel::gs_no_error)) << Output(cli, counter);

    // Every reply line shown as received, none refused.
    for (const auto& [command, replies] : script)
        for (const std::string& line : replies)
            EXPECT_NE(std::find(cli.lines.begin(), cli.lines.end(), "<- " + line), cli.lines.end())
                << command << ": " << line;
    const std::string refused = zel::GetMessagePgm(zel::Cmd_Compteur_Incorrecte);
    for (const std::string& line : cli.lines)
        EXPECT_EQ(line.find(refused), std::string::npos) << line;
    zel::TextList journal;
    ASSERT_TRUE(zel::LoadTextFile(data_ + "cg_log.txt", journal));
    for (const std::string& line : journal)
        EXPECT_EQ(line.find(refused), std::string::npos) << line;

    // The counter's own number names its files; the log is in its download file.
    zel::TCaptureList download;
    ASSERT_TRUE(download.load(data_ + "GS2_72467_DL.txt")) << Output(cli, counter);
    EXPECT_EQ(download.size(), t.records);
    for (const auto& record : download)
        ASSERT_TRUE(record.Valide);
    EXPECT_TRUE(std::filesystem::exists(data_ + "GS2_72467_Conf.txt"));
    EXPECT_TRUE(std::filesystem::exists(data_ + t.report));
    for (const auto& e : std::filesystem::directory_iterator(data_))
        EXPECT_EQ(e.path().filename().string().find("1020"), std::string::npos) << e.path();
}

INSTANTIATE_TEST_SUITE_P(
    Firmware702, RealCounterReplay,
    ::testing::Values(Transcript{"gs-fw7.02-session.txt", 534, 8519,
                                 "gs_72467_2019-04-11_02.05_2019-04-22_22.04.txt"},
                      Transcript{"gs-fw7.02-multilog.txt", 1, 7,
                                 "gs_72467_2019-04-23_20.52_2019-04-23_21.03.txt"}),
    [](const ::testing::TestParamInfo<Transcript>& i) {
        return i.index == 0 ? std::string("Session") : std::string("ShortLog");
    });

} // namespace
