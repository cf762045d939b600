// zelvanor-sim seen from the host's side of its pseudo-terminal: the replies to every request,
// for each counter model and Gamma Scout firmware generation, and the faults it offers.
#include <gtest/gtest.h>

// GCC 12 with the sanitizers reports false positives inside std::regex.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "child_process.h"

namespace {

// The simulator as a child process; its first output line is the device path.
class Sim {
  public:
    explicit Sim(const std::vector<std::string>& args) {
        pid_ = SpawnPiped(ZEL_SIM, args, out_);
        if (out_ >= 0) path = ReadFirstLine(out_);
    }
    ~Sim() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    // True when the simulator ended by itself within the time given.
    bool ExitsWithin(int ms) {
        for (int64_t end = NowMs() + ms; NowMs() < end; usleep(20000)) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) return exited_ = true;
        }
        return false;
    }
    void Stop() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        exited_ = true;
    }

    std::string path;

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool exited_ = false;
};

// The host's end, opened and set up as a serial port would be.
class Host {
  public:
    Host(const std::string& path, speed_t speed) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        counter_speed = cfgetospeed(&t);
        cfmakeraw(&t);
        cfsetspeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~Host() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    void Send(const std::string& s) {
        ASSERT_EQ(write(fd_, s.data(), s.size()), ssize_t(s.size()));
    }

    // One line (up to a carriage return, blanks and line feeds trimmed, empty lines skipped),
    // or "<none>" after `ms` without one, "<hangup>" when the line is gone. The wait is long for
    // a loaded machine: only the tests of silence wait for nothing, with a short time of their own.
    std::string Line(int ms = 10000) {
        const int64_t end = NowMs() + ms;
        while (true) {
            const size_t cr = buf_.find('\r');
            if (cr != std::string::npos) {
                std::string line = buf_.substr(0, cr);
                buf_.erase(0, cr + 1);
                const size_t a = line.find_first_not_of(" \n");
                if (a == std::string::npos) continue;
                return line.substr(a, line.find_last_not_of(' ') - a + 1);
            }
            const int64_t left = end - NowMs();
            if (left <= 0) return "<none>";
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char chunk[4096];
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n > 0)
                buf_.append(chunk, static_cast<size_t>(n));
            else if (n == 0 || errno != EAGAIN)
                return "<hangup>";
        }
    }
    // The first line that is not a count line.
    std::string Reply(int ms = 10000) {
        std::string l;
        do
            l = Line(ms);
        while (l.rfind("CM=", 0) == 0);
        return l;
    }
    // Lines until `ms` of silence.
    std::vector<std::string> LinesUntilSilence(int ms = 500) {
        std::vector<std::string> out;
        for (std::string l = Line(ms); l != "<none>" && l != "<hangup>"; l = Line(ms))
            out.push_back(l);
        return out;
    }
    // Writes a command one character at a time, as the host does for the clock commands.
    void SendSlowly(const std::string& s) {
        for (char c : s) {
            Send(std::string(1, c));
            usleep(50000);
        }
    }

    speed_t counter_speed = B0; // the speed the simulator set before we changed anything

  private:
    int fd_ = -1;
    std::string buf_;
};

bool Matches(const std::string& s, const char* re) {
    return std::regex_match(s, std::regex(re));
}

TEST(SimSmoke, VornModelsAnswerEveryRequest) {
    struct Case {
        const char* model;
        speed_t speed;
        const char* parameters;
        const char* internal;
        const char* download_header;
    } cases[] = {
        {"VORN2", B19200, "PC=OFF,OFF,PM,50", "ID=3600", "DL=\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d"},
        {"VORN3", B9600, "PC=OFF,OFF,PM,50", "ID=3600", "DL=INT1,O\\d+,P3600"},
        {"VORN8", B9600, "PC=OFF,OFF,PM,50", "ID=905,8760,5,0", "DL=INT2,O\\d+,P3600"},
        {"VORN9", B9600, "PC=OFF,OFF,PM,50", "ID=905,8760,5,0", "DL=INT2,O\\d+,P3600"},
        {"VORN10", B9600, "PC=OFF,OFF,PM,50,LI36(,\\d+){5}", "ID=905,8760,5,0",
         "DL=INT2,O\\d+,P3600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        Sim sim({"--model", c.model, "--serial", "4321", "--period-ms", "250", "--history", "5"});
        ASSERT_FALSE(sim.path.empty());
        Host host(sim.path, c.speed);
        ASSERT_TRUE(host.ok());
        EXPECT_EQ(host.counter_speed, c.speed);

        EXPECT_TRUE(Matches(host.Line(), "CM=\\d+"));
        host.Send("V\r");
        EXPECT_EQ(host.Reply(), std::string("VP=2.1,") + c.model + ",4321");
        host.Send("F\r");
        EXPECT_EQ(host.Reply(), "CF=0.0057");
        host.Send("P\r");
        EXPECT_TRUE(Matches(host.Reply(), c.parameters));
        host.Send("P=ON,OFF,SV,80\r");
        EXPECT_EQ(host.Reply().substr(0, 15), "PC=ON,OFF,SV,80");
        host.Send("G\r");
        EXPECT_EQ(host.Reply(), c.internal);
        host.Send("D\r");
        EXPECT_TRUE(Matches(host.Reply(), c.download_header));
        std::vector<std::string> values;
        for (std::string l = host.Reply(); l != "DL=END"; l = host.Reply()) {
            ASSERT_TRUE(Matches(l, "DL=\\d+(,\\d+)*")) << l;
            values.push_back(l);
        }
        EXPECT_EQ(values.size(), 1u); // five stored hours, one line
        host.Send("I2024/05/17 10:23\r");
        EXPECT_EQ(host.Reply(), "INOK");
        host.Send("B\r");
        EXPECT_TRUE(Matches(host.Line(), "CM=\\d+"));
    }
}

TEST(SimSmoke, GammaScoutGenerationsAnswerEveryRequest) {
    struct Case {
        const char* firmware;
        speed_t speed;
        const char* standard;
        const char* started;
        const char* version;
        const char* dump_line;
        std::vector<std::string> internal; // the internal-data lines before the seven data lines
    } cases[] = {
        {"5.43",
         B2400,
         "Standard",
         "PC-MODE gestartet",
         "Version 5\\.43",
         "[0-9a-f]{4}( [0-9a-f]{2}){16}",
         {"b0 07"}},
        {"6.01",
         B9600,
         "Standard",
         "PC-MODE gestartet",
         "Version 6\\.01",
         "[0-9a-f]{32}",
         {"b0 07"}},
        {"6.50",
         B9600,
         "Standard",
         "PC-MODE gestartet",
         "Version 6\\.50 4321 [0-9a-f]{4} \\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d",
         "[0-9a-f]{66}",
         {"b0 07"}},
        {"7.02",
         B460800,
         "Standard",
         "PC-MODE gestartet",
         "Version 7\\.02Lb07 1020 004321 [0-9a-f]{4} \\d\\d\\.\\d\\d\\.\\d\\d "
         "\\d\\d:\\d\\d:\\d\\d",
         "[0-9a-f]{66}",
         {"GAMMA-SCOUT SoftCal gueltig", "b0 00 07 7e 00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        Sim sim(
            {"--model", "GS", "--firmware", c.firmware, "--serial", "4321", "--log-hours", "3"});
        ASSERT_FALSE(sim.path.empty());
        Host host(sim.path, c.speed);
        ASSERT_TRUE(host.ok());
        EXPECT_EQ(host.counter_speed, c.speed);

        host.Send("v\r");
        EXPECT_EQ(host.Line(), c.standard);
        host.Send("b\r");
        EXPECT_EQ(host.Line(600), "<none>") << "no dump out of PC mode";
        host.Send("P\r");
        EXPECT_EQ(host.Line(), c.started);
        host.Send("v\r");
        EXPECT_TRUE(Matches(host.Line(), c.version));
        host.Send("c\r");
        for (const std::string& line : c.internal)
            EXPECT_EQ(host.Line(), line);
        for (int i = 0; i < 7; ++i)
            EXPECT_TRUE(Matches(host.Line(), "[0-9a-f]{20}"));

        host.Send("b\r");
        EXPECT_EQ(host.Line(), "GAMMA-SCOUT Protokoll");
        const auto dump = host.LinesUntilSilence();
        ASSERT_FALSE(dump.empty());
        for (const auto& line : dump) {
            ASSERT_TRUE(Matches(line, c.dump_line)) << line;
            if (line.size() != 66) continue;
            unsigned sum = 0;
            for (size_t i = 0; i < 64; i += 2)
                sum += std::stoul(line.substr(i, 2), nullptr, 16);
            ASSERT_EQ(sum & 0xFF, std::stoul(line.substr(64), nullptr, 16)) << line;
        }

        host.SendSlowly("t170524102345");
        EXPECT_EQ(host.Line(), "Datum und Zeit gesetzt");
        host.SendSlowly("u09:07");
        EXPECT_EQ(host.Line(), "Zeit gesetzt");
        host.Send("z\r");
        EXPECT_EQ(host.Line(), "Protokollspeicher geloescht");
        host.Send("X\r");
        EXPECT_EQ(host.Line(), "PC-MODE beendet");
    }
}

TEST(SimSmoke, HostAtAnotherSpeedIsNotUnderstood) {
    {
        Sim sim({"--model", "GS", "--firmware", "5.43", "--mode", "pc"});
        Host host(sim.path, B9600);
        ASSERT_TRUE(host.ok());
        host.Send("v\r");
        EXPECT_EQ(host.Line(800), "<none>");
    }
    {
        Sim sim({"--model", "GS", "--firmware", "5.43", "--mode", "pc", "--any-line"});
        Host host(sim.path, B9600);
        ASSERT_TRUE(host.ok());
        host.Send("v\r");
        EXPECT_EQ(host.Line(), "Version 5.43");
    }
}

TEST(SimSmoke, SilentCounterSendsNothing) {
    Sim sim({"--model", "VORN8", "--period-ms", "100", "--silent"});
    Host host(sim.path, B9600);
    ASSERT_TRUE(host.ok());
    host.Send("V\r");
    EXPECT_EQ(host.Line(800), "<none>");
}

TEST(SimSmoke, GarbageComesBetweenRealLines) {
    Sim sim({"--model", "VORN3", "--period-ms", "100", "--garbage"});
    Host host(sim.path, B9600);
    ASSERT_TRUE(host.ok());
    int noise = 0, counts = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string l = host.Line();
        if (l.rfind("CM=", 0) == 0)
            ++counts;
        else if (!std::regex_search(l, std::regex("[A-Za-z]")))
            ++noise;
    }
    EXPECT_GE(noise, 3);
    EXPECT_GE(counts, 3);
    host.Send("V\r");
    std::string reply;
    for (int i = 0; i < 10 && reply.rfind("VP=", 0) != 0; ++i)
        reply = host.Line();
    EXPECT_EQ(reply, "VP=2.1,VORN3,1234");
}

TEST(SimSmoke, DropAfterHangsUpAfterItsLines) {
    Sim sim({"--model", "VORN8", "--period-ms", "100", "--drop-after", "3"});
    Host host(sim.path, B9600);
    ASSERT_TRUE(host.ok());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Matches(host.Line(), "CM=\\d+")) << i;
    EXPECT_EQ(host.Line(), "<hangup>");
    EXPECT_TRUE(sim.ExitsWithin(3000));
}

TEST(SimSmoke, LinkPointsAtTheDeviceWhileRunning) {
    const std::string link = std::string(ZEL_BINARY_DIR) + "/sim_smoke_link";
    unlink(link.c_str());
    Sim sim({"--model", "VORN2", "--link", link});
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(sim.path, target);
    sim.Stop();
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0);
}

} // namespace
