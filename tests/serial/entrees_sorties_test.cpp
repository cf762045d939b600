// The serial line on real pseudo-terminals: the test holds the counter's end (the master).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>

#include "serial/entrees_sorties.h"

using namespace zel;
using Clock = std::chrono::steady_clock;

namespace {

int64_t MsSince(Clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

class PtyLine : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
        int32_t st = -1;
        line.OuvrirCom(path, 9600, UART_8bits, UART_None, UART_1stop, st);
        ASSERT_EQ(st, 0);
        ASSERT_TRUE(line.ComOuverte());
    }
    void TearDown() override {
        int32_t st;
        line.FermerCom(st);
        if (master != -1) close(master);
        close(slave);
    }
    void Counter(const std::string& s) {
        ASSERT_EQ(write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
    // What reached the counter within ms (or once `want` bytes came).
    std::string CounterReads(int ms, size_t want = SIZE_MAX) {
        std::string got;
        const auto t0 = Clock::now();
        for (int left = ms; left > 0 && got.size() < want;
             left = ms - static_cast<int>(MsSince(t0))) {
            struct pollfd p {
                master, POLLIN, 0
            };
            if (poll(&p, 1, left) <= 0) break;
            char buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

    int master = -1, slave = -1;
    std::string path;
    TEntreesSorties line;
};

} // namespace

TEST_F(PtyLine, ReadStopsAfterTheEndCharacterAndTheNextReadStartsBehindIt) {
    Counter("CM=12\r\n\xC1");
    std::string pdu;
    int32_t st = -1;
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(pdu, "CM=12\r");
    // The rest comes next, bytes as received (parity bits are the caller's business).
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    EXPECT_EQ(st, ErrTimeout);
    EXPECT_EQ(pdu, "\n\xC1");
    EXPECT_EQ(line.LineFault(), 0); // a silent line is no fault
}

TEST_F(PtyLine, ReadStopsAtTheByteCount) {
    Counter(std::string(300, 'A'));
    std::string pdu;
    int32_t st = -1;
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(pdu, std::string(255, 'A'));
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    EXPECT_EQ(st, ErrTimeout);
    EXPECT_EQ(pdu, std::string(45, 'A'));
}

TEST_F(PtyLine, HalfALineTimesOutAfterTheSilenceLimit) {
    struct Case {
        int32_t timeout;
        int64_t minMs, maxMs;
    } cases[] = {{0, 900, 1600}, {2, 1900, 2700}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeout);
        Counter("CM=1");
        std::string pdu = "old";
        int32_t st = -1;
        const auto t0 = Clock::now();
        line.RECEIVE(255, RETOUR_CHARIOT, c.timeout, pdu, st);
        const int64_t ms = MsSince(t0);
        EXPECT_EQ(st, ErrTimeout);
        EXPECT_EQ(pdu, "CM=1");
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
    }
}

TEST_F(PtyLine, SilenceLimitRestartsAtEveryByte) {
    // Three bytes 600 ms apart then the end: slower in total than the one-second limit, but
    // never a second of silence.
    std::thread counter([this] {
        for (const char* b : {"C", "M", "=", "5\r"}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            Counter(b);
        }
    });
    std::string pdu;
    int32_t st = -1;
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    counter.join();
    EXPECT_EQ(st, 0);
    EXPECT_EQ(pdu, "CM=5\r");
}

TEST_F(PtyLine, SendWritesTheTextAsItIsAndNothingForAnEmptyText) {
    int32_t st = -1;
    line.SEND("", st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(CounterReads(200), "");
    line.SEND("V\r", st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(CounterReads(500), "V\r");
    // Characters beyond ASCII leave as one byte each.
    line.SEND("\xC3\xA9", st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(CounterReads(500), "\xE9");
}

TEST_F(PtyLine, ClosedPortRefusesEveryTransfer) {
    int32_t st = -1;
    line.FermerCom(st);
    EXPECT_EQ(st, 0);
    EXPECT_FALSE(line.ComOuverte());
    line.FermerCom(st);
    EXPECT_EQ(st, 0);
    for (const std::string text : {"", "V\r"}) {
        line.SEND(text, st);
        EXPECT_EQ(st, ErrPortNotOpen);
    }
    std::string pdu = "untouched";
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    EXPECT_EQ(st, ErrPortNotOpen);
    EXPECT_EQ(pdu, "untouched");
}

TEST_F(PtyLine, ClosingWakesAReadUnderWay) {
    int32_t st = -1;
    std::string pdu;
    const auto t0 = Clock::now();
    std::thread reader([&] { line.RECEIVE(255, RETOUR_CHARIOT, 10, pdu, st); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int32_t closeSt = -1;
    line.FermerCom(closeSt);
    reader.join();
    EXPECT_EQ(closeSt, 0);
    EXPECT_EQ(st, ErrPortNotOpen);
    EXPECT_LT(MsSince(t0), 900);
}

TEST_F(PtyLine, ReadAfterTheOtherEndHungUpWaitsLikeASilentRead) {
    close(master);
    master = -1;
    std::string pdu;
    int32_t st = -1;
    const auto t0 = Clock::now();
    line.RECEIVE(255, RETOUR_CHARIOT, 0, pdu, st);
    EXPECT_EQ(st, ErrTimeout);
    EXPECT_GE(MsSince(t0), 900);      // no busy loop on a dead line
    EXPECT_EQ(line.LineFault(), EIO); // but the session can tell it from silence
}

TEST_F(PtyLine, WritesFromTwoThreadsDoNotInterleave) {
    // Blocks far larger than the pseudo-terminal's buffer, so each is written in several parts.
    const size_t block = 64 * 1024;
    std::string got;
    std::thread counter([&] { got = CounterReads(10000, 6 * block); });
    auto writer = [&](char c) {
        for (int i = 0; i < 3; ++i) {
            int32_t st = -1;
            line.SEND(std::string(block, c), st);
            EXPECT_EQ(st, 0);
        }
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    counter.join();
    ASSERT_EQ(got.size(), 6 * block);
    for (size_t i = 0; i < got.size(); i += block)
        EXPECT_EQ(got.substr(i, block), std::string(block, got[i])) << "block at " << i;
}

TEST_F(PtyLine, ReopensWithAnotherSettingAndKeepsOthersOff) {
    int32_t st = -1;
    line.OuvrirCom(path, 460800, UART_7bits, UART_Paire, UART_1stop, st);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(cfgetospeed(&line.DCB), static_cast<speed_t>(B460800));

    TEntreesSorties other;
    other.OuvrirCom(path, 9600, UART_8bits, UART_None, UART_1stop, st);
    EXPECT_NE(st, 0);
    EXPECT_FALSE(other.ComOuverte());

    line.FermerCom(st);
    other.OuvrirCom(path, 9600, UART_8bits, UART_None, UART_1stop, st);
    EXPECT_EQ(st, 0);
}

TEST(EntreesSorties, OpenFailuresLeaveThePortClosed) {
    char name[256] = {};
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    struct Case {
        std::string port;
        uint32_t baud;
        uint8_t size, parity, stop;
        int32_t status; // 0: any failure
    } cases[] = {
        {"", 9600, 8, 0, 0, ENOENT},
        {"zelvanor-no-such-port", 9600, 8, 0, 0, ENOENT},
        {"/dev/zelvanor-no-such-port", 9600, 8, 0, 0, ENOENT},
        {"/dev/null", 9600, 8, 0, 0, 0},
        {name, 12345, 8, 0, 0, ErrParameter},
        {name, 9600, 9, 0, 0, ErrParameter},
        {name, 9600, 8, 7, 0, ErrParameter},
        {name, 9600, 8, 0, 3, ErrParameter},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port + " " + std::to_string(c.baud));
        TEntreesSorties line;
        int32_t st = 0;
        line.OuvrirCom(c.port, c.baud, c.size, c.parity, c.stop, st);
        if (c.status != 0)
            EXPECT_EQ(st, c.status);
        else
            EXPECT_NE(st, 0);
        EXPECT_FALSE(line.ComOuverte());
        line.FermerCom(st);
        EXPECT_EQ(st, 0);
    }
    close(master);
    close(slave);
}
