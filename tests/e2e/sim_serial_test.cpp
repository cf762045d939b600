// The program's own serial line, opened with each line setting of the connection dialog, on
// the simulator's pseudo-terminal: the counter of that setting answers its identification
// request, and a counter of another speed does not.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/app.h"
#include "child_process.h"
#include "serial/entrees_sorties.h"

namespace zel {
namespace {

class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args) { path = StartSim(args, pid_); }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    std::string path;

  private:
    pid_t pid_ = -1;
};

// The first non-empty line, trimmed, or "" after the line's one-second silences.
std::string ReceiveLine(TEntreesSorties& line) {
    for (int i = 0; i < 3; ++i) {
        std::string pdu;
        int32_t st = 0;
        line.RECEIVE(255, 13, 0, pdu, st);
        if (st != 0) return "";
        const size_t a = pdu.find_first_not_of(" \r\n");
        if (a != std::string::npos) return pdu.substr(a, pdu.find_last_not_of(" \r\n") - a + 1);
    }
    return "";
}

TEST(SimSerial, EachLineSettingReachesItsCounter) {
    struct Case {
        int32_t PortCom;
        std::vector<std::string> sim;
        const char* request;
        const char* reply_start;
    } cases[] = {
        {0, {"--model", "VORN2"}, "V\r", "VP=2.1,VORN2,1234"},
        {1, {"--model", "VORN10"}, "V\r", "VP=2.1,VORN10,1234"},
        {2, {"--model", "GS", "--firmware", "5.43", "--mode", "pc"}, "v\r", "Version 5.43"},
        {3, {"--model", "GS", "--firmware", "6.50", "--mode", "pc"}, "v\r", "Version 6.50 12345 "},
        {4, {"--model", "GS", "--firmware", "7.02"}, "v\r", "Standard"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.PortCom);
        SimProcess sim(c.sim);
        ASSERT_FALSE(sim.path.empty());
        const TLigneSerie ligne = LigneSerie(c.PortCom);
        TEntreesSorties line;
        int32_t st = -1;
        line.OuvrirCom(sim.path, ligne.BaudRate, ligne.ByteSize, ligne.Parity, ligne.StopBits, st);
        ASSERT_EQ(st, 0);
        if (c.PortCom == 0) {
            line.SEND("\r", st); // the model 2 line begins with a lone carriage return
            ASSERT_EQ(st, 0);
        }
        line.SEND(c.request, st);
        ASSERT_EQ(st, 0);
        const std::string reply = ReceiveLine(line);
        EXPECT_EQ(reply.substr(0, std::string(c.reply_start).size()), c.reply_start) << reply;
        line.FermerCom(st);
    }
}

TEST(SimSerial, SevenBitLineReopensAtTheSameSetting) {
    SimProcess sim({"--model", "GS", "--firmware", "6.50", "--mode", "pc"});
    const TLigneSerie ligne = LigneSerie(3);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        TEntreesSorties line;
        int32_t st = -1;
        line.OuvrirCom(sim.path, ligne.BaudRate, ligne.ByteSize, ligne.Parity, ligne.StopBits, st);
        ASSERT_EQ(st, 0);
        line.SEND("P\r", st);
        EXPECT_EQ(ReceiveLine(line), "PC-MODE gestartet");
        line.FermerCom(st);
    }
}

TEST(SimSerial, AnotherSpeedGetsNoReply) {
    SimProcess sim({"--model", "GS", "--firmware", "5.43", "--mode", "pc"});
    const TLigneSerie ligne = LigneSerie(3); // 9600 bit/s for a 2400 bit/s counter
    TEntreesSorties line;
    int32_t st = -1;
    line.OuvrirCom(sim.path, ligne.BaudRate, ligne.ByteSize, ligne.Parity, ligne.StopBits, st);
    ASSERT_EQ(st, 0);
    line.SEND("v\r", st);
    std::string pdu;
    line.RECEIVE(255, 13, 0, pdu, st);
    EXPECT_EQ(st, ErrTimeout);
}

} // namespace
} // namespace zel
