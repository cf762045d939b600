#include "sim/vorn_counter.h"

#include <gtest/gtest.h>

// GCC 12 with the sanitizers reports false positives inside std::regex.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>

#include <sstream>
#include <vector>

namespace zel::sim {
namespace {

const TDateTime kNoon = EncodeDateTime(2024, 5, 17, 12, 0, 0);

Moment At(int64_t ms) {
    return Moment{ms, IncSecond(kNoon, ms / 1000.0)};
}

std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> out;
    std::string line;
    for (char c : s) {
        if (c == '\r') {
            out.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    EXPECT_TRUE(line.empty()) << "unterminated: " << line;
    return out;
}

VornOptions Model(int model) {
    VornOptions o;
    o.model = model;
    o.serial = 4321;
    o.version = "3.05";
    o.period_ms = 1000;
    o.history_hours = 3;
    return o;
}

TEST(VornCounter, AnswersEachRequestInTheFormOfItsModel) {
    struct Case {
        int model;
        const char* request;
        const char* reply; // a regular expression over the whole reply line
    } cases[] = {
        {2, "V", "VP=3\\.05,VORN2,4321"},
        {10, "V", "VP=3\\.05,VORN10,4321"},
        {3, "F", "CF=0\\.0057"},
        {3, "F=0.0065", "CF=0\\.0065"},
        {8, "F=abc", "CF=0\\.0057"},
        {3, "P", "PC=OFF,OFF,PM,50"},
        {9, "P=ON,OFF,SV,120", "PC=ON,OFF,SV,120"},
        {9, "P=MAYBE,OFF,SV,120", "PC=OFF,OFF,PM,50"}, // refused, unchanged
        {10, "P", "PC=OFF,OFF,PM,50,LI36,24,5,17,12,0"},
        {10, "P=ON,ON,SV,100,AL45,24,12,31,0,0", "PC=ON,ON,SV,100,AL45,24,12,31,0,0"},
        {3, "G", "ID=3600"},
        {8, "G", "ID=905,8760,3,0"},
        {2, "I2024/05/17 10:23", "INOK"},
        {8, "I2024-05-17 10:23", "INOK"},
    };
    for (const Case& c : cases) {
        VornCounter counter(Model(c.model), At(0));
        const auto lines = Lines(counter.Receive(std::string(c.request) + "\r", At(10)));
        ASSERT_EQ(lines.size(), 1u) << c.model << " " << c.request;
        EXPECT_TRUE(std::regex_match(lines[0], std::regex(c.reply)))
            << c.model << " " << c.request << " -> " << lines[0];
    }
}

TEST(VornCounter, IgnoresWhatItDoesNotKnow) {
    VornCounter counter(Model(8), At(0));
    for (const char* request : {"B\r", "Q\r", "\r", "\n", "I2024/13/40 10:23\r"})
        EXPECT_EQ(counter.Receive(request, At(10)), "") << request;
}

TEST(VornCounter, RequestsMayArriveInPiecesAndEndWithCrLf) {
    VornCounter counter(Model(3), At(0));
    EXPECT_EQ(counter.Receive("V", At(1)), "");
    EXPECT_EQ(counter.Receive("\r\nF\r", At(2)), "VP=3.05,VORN3,4321\rCF=0.0057\r");
}

TEST(VornCounter, SetClockMovesTheModel10Calendar) {
    VornCounter counter(Model(10), At(0));
    counter.Receive("I2023/01/02 03:04\r", At(0));
    EXPECT_EQ(counter.Receive("P\r", At(60000)), "PC=OFF,OFF,PM,50,LI36,23,1,2,3,5\r");
}

TEST(VornCounter, SendsOneCountLinePerPeriodAroundTheMean) {
    VornOptions o = Model(8);
    o.cpm = 40;
    VornCounter counter(o, At(0));
    EXPECT_EQ(counter.Tick(At(999)), "");
    EXPECT_EQ(Lines(counter.Tick(At(1000))).size(), 1u);
    const auto lines = Lines(counter.Tick(At(1000 + 599 * 1000)));
    ASSERT_EQ(lines.size(), 599u);
    double sum = 0;
    for (const auto& l : lines) {
        ASSERT_EQ(l.rfind("CM=", 0), 0u) << l;
        sum += std::stoi(l.substr(3));
    }
    EXPECT_NEAR(sum / lines.size(), 40, 2);
    // Ten more hours stored.
    EXPECT_EQ(counter.StoredHours(), 3u + 10u);
}

TEST(VornCounter, QuietStartDelaysOnlyTheFirstCountLine) {
    VornOptions o = Model(8);
    o.period_ms = 10;
    o.first_count_ms = 3000;
    VornCounter counter(o, At(0));
    EXPECT_EQ(counter.Tick(At(2999)), "");
    EXPECT_EQ(Lines(counter.Tick(At(3000))).size(), 1u);
    EXPECT_EQ(Lines(counter.Tick(At(3100))).size(), 10u);
}

TEST(VornCounter, BurstRaisesTheChosenCountLines) {
    VornOptions o = Model(3);
    o.cpm = 10;
    o.burst_start = 3;
    o.burst_length = 2;
    o.burst_cpm = 500;
    VornCounter counter(o, At(0));
    const auto lines = Lines(counter.Tick(At(6000)));
    ASSERT_EQ(lines.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const int count = std::stoi(lines[i].substr(3));
        if (i == 2 || i == 3)
            EXPECT_GT(count, 300) << i;
        else
            EXPECT_LT(count, 50) << i;
    }
}

TEST(VornCounter, RebootRestartsTheMinute) {
    VornCounter counter(Model(2), At(0));
    EXPECT_EQ(counter.Receive("B\r", At(900)), "");
    EXPECT_EQ(counter.Tick(At(1000)), "");
    EXPECT_NE(counter.Tick(At(1900)), "");
}

TEST(VornCounter, Model2DownloadIsDatedFromItsOldestHour) {
    VornCounter counter(Model(2), At(0));
    // 1.5 s of a 1 s "minute" is 90 s of the counter's time since the newest stored hour.
    const auto lines = Lines(counter.Receive("D\r", At(1500)));
    ASSERT_EQ(lines.size(), 3u);
    // Noon plus 1.5 s, minus 90 s, minus two hours.
    EXPECT_EQ(lines[0], "DL=24/05/17 09:58");
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("DL=\\d+,\\d+,\\d+"))) << lines[1];
    EXPECT_EQ(lines[2], "DL=END");
}

TEST(VornCounter, OtherModelsDownloadNewestFirstWithTheirEncoding) {
    VornOptions o = Model(8);
    o.cpm = 20000; // large enough for the decimal exponent
    o.history_hours = 10;
    VornCounter counter(o, At(0));
    const auto lines = Lines(counter.Receive("D\r", At(2000)));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "DL=INT2,O120,P3600");
    EXPECT_EQ(lines[3], "DL=END");
    std::stringstream values(lines[1].substr(3) + "," + lines[2].substr(3));
    std::string item;
    int n = 0;
    while (std::getline(values, item, ',')) {
        const int word = std::stoi(item);
        EXPECT_EQ(word >> 13, 1) << word; // about 20000: 2000 x 10
        EXPECT_NEAR((word & 0x1FFF) * 10, 20000, 800);
        ++n;
    }
    EXPECT_EQ(n, 10);

    VornCounter model3(Model(3), At(0));
    EXPECT_EQ(Lines(model3.Receive("D\r", At(0)))[0], "DL=INT1,O0,P3600");
}

TEST(VornCounter, EmptyMemoryDownloadsNothing) {
    VornOptions o = Model(9);
    o.history_hours = 0;
    VornCounter counter(o, At(0));
    EXPECT_EQ(counter.Receive("D\r", At(0)), "DL=NODATA\r");
}

TEST(VornCounter, Int2Encoding) {
    struct Case {
        int value, word;
    } cases[] = {{0, 0},
                 {5, 5},
                 {8191, 8191},
                 {8192, 0x2000 | 819},
                 {50000, 0x2000 | 5000},
                 {100000, 0x4000 | 1000},
                 {9999999, 0x6000 | 8191},
                 {-1, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(EncodeVornInt2(c.value), c.word) << c.value;
}

TEST(VornCounter, LineSettingOfTheModel) {
    EXPECT_EQ(VornCounter(Model(2), At(0)).Line().speed, 19200);
    for (int m : {3, 8, 9, 10})
        EXPECT_EQ(VornCounter(Model(m), At(0)).Line().speed, 9600);
}

} // namespace
} // namespace zel::sim
