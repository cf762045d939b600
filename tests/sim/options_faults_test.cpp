#include "sim/faults.h"
#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace zel::sim {
namespace {

TEST(SimOptions, ReadsACounter) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({"--model", "gs", "--firmware", "6.50", "--mode", "pc", "--serial",
                                 "777", "--log-interval", "120", "--drop-after", "3"},
                                o, error))
        << error;
    EXPECT_TRUE(o.gamma);
    EXPECT_EQ(o.gamma_scout.firmware, "6.50");
    EXPECT_TRUE(o.gamma_scout.pc_mode);
    EXPECT_EQ(o.gamma_scout.serial, 777u);
    EXPECT_EQ(o.faults.drop_after, 3);

    SimOptions v;
    ASSERT_TRUE(
        ParseSimOptions({"--model", "VORN10", "--period-ms", "200", "--burst", "5,3"}, v, error));
    EXPECT_EQ(v.vorn.model, 10);
    EXPECT_EQ(v.vorn.burst_cpm, 200);
    EXPECT_EQ(v.faults.garbage_period_ms, 200);

    // "--name=value" reads as "--name value"; the firmware version is the VORN's as well, given
    // before or after the model.
    SimOptions e;
    ASSERT_TRUE(ParseSimOptions({"--firmware=3.05", "--model=VORN3", "--period-ms=2500"}, e, error))
        << error;
    EXPECT_EQ(e.vorn.model, 3);
    EXPECT_EQ(e.vorn.version, "3.05");
    EXPECT_EQ(e.vorn.period_ms, 2500);
    EXPECT_FALSE(e.version);
    SimOptions ver;
    ASSERT_TRUE(ParseSimOptions({"--version"}, ver, error));
    EXPECT_TRUE(ver.version);
}

TEST(SimOptions, RefusesWhatMakesNoCounter) {
    const std::vector<std::vector<std::string>> bad = {
        {"--model", "VORN7"},
        {"--model"},
        {"--period-ms", "fast"},
        {"--period-ms", "0"},
        {"--burst", "5"},
        {"--mode", "pc-mode"},
        {"--model", "GS", "--firmware", "5.43", "--log-interval", "120"}, // not a v1 interval
        {"--firmware", "seven"},
        {"--frobnicate"},
        {"--pace=yes"},
        {"--model", "VORN8", "stray"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

// A counter that answers every byte with a line.
class Echo : public Counter {
  public:
    LineSetting Line() const override { return {}; }
    std::string Receive(std::string_view bytes, const Moment&) override {
        return std::string(bytes) + "\r\n";
    }
    std::string Tick(const Moment&) override { return {}; }
};

TEST(FaultyCounter, DropAfterHangsUpAfterTheNthLine) {
    FaultOptions f;
    f.drop_after = 3;
    FaultyCounter counter(std::make_unique<Echo>(), f, Moment{});
    EXPECT_EQ(counter.Receive("a", Moment{}), "a\r\n");
    EXPECT_EQ(counter.Receive("b\rc\rd", Moment{}), "b\rc\r");
    EXPECT_TRUE(counter.Unplugged());
    EXPECT_EQ(counter.Receive("e", Moment{}), "");

    f.drop_after = 0;
    EXPECT_TRUE(FaultyCounter(std::make_unique<Echo>(), f, Moment{}).Unplugged());
}

TEST(FaultyCounter, SilentSendsNothing) {
    FaultOptions f;
    f.silent = true;
    FaultyCounter counter(std::make_unique<Echo>(), f, Moment{});
    EXPECT_EQ(counter.Receive("v", Moment{}), "");
    EXPECT_FALSE(counter.Unplugged());
}

TEST(FaultyCounter, GarbageLinesAreNoProtocolLines) {
    FaultOptions f;
    f.garbage = true;
    f.garbage_period_ms = 100;
    FaultyCounter counter(std::make_unique<Echo>(), f, Moment{0, 0});
    EXPECT_EQ(counter.Tick(Moment{49, 0}), "");
    int lines = 0;
    for (int64_t ms = 50; ms < 5000; ms += 100) {
        const std::string s = counter.Tick(Moment{ms, 0});
        ASSERT_FALSE(s.empty());
        ASSERT_EQ(s.back(), '\r');
        ASSERT_EQ(s.find('\r'), s.size() - 1);
        for (char c : s) {
            const int stripped = static_cast<unsigned char>(c) & 0x7F;
            ASSERT_FALSE(std::isalpha(stripped)) << s;
            ASSERT_NE(stripped, '\n');
        }
        ++lines;
    }
    EXPECT_EQ(lines, 50);
    // Replies still come, between the noise lines.
    EXPECT_EQ(counter.Receive("v", Moment{5000, 0}), "v\r\n");
}

} // namespace
} // namespace zel::sim
