#include "sim/gs_log_generator.h"

#include <gtest/gtest.h>

namespace zel::sim {
namespace {

const TDateTime kEnd = EncodeDateTime(2024, 5, 17, 12, 34, 56);

TEST(GsLogGenerator, CountWordsKeepElevenBitsAndAnExponent) {
    struct Case {
        uint32_t count;
        uint16_t word;
        uint32_t stored;
    } cases[] = {{0, 0x0000, 0},       {2047, 0x07FF, 2047}, {2048, 0x0C00, 2048},
                 {2256, 0x0C68, 2256}, {4095, 0x0FFF, 4094}, {1u << 20, 0x5400, 1u << 20}};
    for (const Case& c : cases) {
        uint32_t stored = 0;
        EXPECT_EQ(EncodeGsCount(c.count, &stored), c.word) << c.count;
        EXPECT_EQ(stored, c.stored) << c.count;
    }
}

TEST(GsLogGenerator, AlarmFlagTexts) {
    EXPECT_EQ(GsAlarmFlagText(0xF9), " /Dose rate overflowed/");
    EXPECT_EQ(GsAlarmFlagText(0xFA), " /Dose alarm fired/");
    EXPECT_EQ(GsAlarmFlagText(0xFC), " /Dose rate alarm fired/");
    EXPECT_EQ(GsAlarmFlagText(0xFF),
              " /Dose rate overflowed/Dose alarm fired/Dose rate alarm fired/");
}

TEST(GsLogGenerator, PlainLogIsDateIntervalAndCounts) {
    struct Case {
        int version;
        std::vector<uint8_t> head; // date record, then interval code
    } cases[] = {
        {1, {0xFE, 0x34, 0x10, 0x17, 0x05, 0x24, 0xF3}},
        {2, {0xFE, 0x34, 0x10, 0x17, 0x05, 0x24, 0xF7}},
        {3, {0xF5, 0xEF, 0x34, 0x10, 0x17, 0x05, 0x24, 0xF5, 0x07}},
        // Newer counters: date with seconds, zero interval, date again, then the interval.
        {4, {0xF5, 0xED, 0x30, 0x34, 0x10, 0x17, 0x05, 0x24, 0xF5, 0x00,
             0xF5, 0xED, 0x56, 0x34, 0x10, 0x17, 0x05, 0x24, 0xF5, 0x08}},
    };
    for (const Case& c : cases) {
        GsLogPlan plan;
        plan.version = c.version;
        plan.end = kEnd;
        plan.hours = 2;
        plan.interval = 600;
        plan.rare_records = false;
        const GsLog log = GenerateGsLog(plan);
        ASSERT_GE(log.bytes.size(), c.head.size());
        EXPECT_EQ(std::vector<uint8_t>(log.bytes.begin(), log.bytes.begin() + c.head.size()),
                  c.head)
            << "version " << c.version;
        // Twelve ten-minute counts after the head, two bytes each, back to back in time.
        EXPECT_EQ(log.bytes.size(), c.head.size() + 2 * 12) << "version " << c.version;
        ASSERT_EQ(log.records.size(), 12u);
        for (size_t i = 1; i < log.records.size(); ++i)
            EXPECT_NEAR(log.records[i].start, IncSecond(log.records[i - 1].start, 600), 1e-6);
        EXPECT_LE(IncSecond(log.records.back().start, 600), kEnd + 1e-9);
    }
}

TEST(GsLogGenerator, RareRecordsOfEachVersion) {
    for (int version = 1; version <= 4; ++version) {
        GsLogPlan plan;
        plan.version = version;
        plan.end = kEnd;
        plan.hours = 24;
        const GsLog log = GenerateGsLog(plan);
        int annotated = 0, partial = 0, short_interval = 0;
        for (const auto& r : log.records) {
            annotated += !r.annotation.empty();
            partial += r.seconds == 300;
            short_interval += r.seconds == (version == 1 ? 60 : 300);
        }
        EXPECT_EQ(annotated, 1) << version;
        EXPECT_GE(partial, 1) << version;
        EXPECT_GE(short_interval, 5) << version;
        const std::string note = log.records[log.records.size() / 3].annotation;
        EXPECT_EQ(note, version == 4 ? GsAlarmFlagText(0xFC) : GsOverflowText());
        // The pause: one record starts later than the previous one ended.
        int jumps = 0;
        for (size_t i = 1; i < log.records.size(); ++i)
            jumps += log.records[i].start >
                     IncSecond(log.records[i - 1].start, log.records[i - 1].seconds) + 1e-6;
        EXPECT_EQ(jumps, 1) << version;
    }
}

TEST(GsLogGenerator, StaysWithinTheMemoryOfTheOlderVersions) {
    GsLogPlan plan;
    plan.version = 2;
    plan.end = kEnd;
    plan.hours = 24 * 365;
    plan.interval = 60;
    const GsLog log = GenerateGsLog(plan);
    EXPECT_LE(log.bytes.size(), plan.max_bytes);
    const auto image = GsMemoryImage(log, 12345);
    EXPECT_LE(image.size(), 65536u);
    // The most recent hours are kept: the log still reaches its end.
    EXPECT_GT(IncSecond(log.records.back().start, 60 * 60), kEnd);
}

TEST(GsLogGenerator, MemoryImageHeader) {
    GsLog log;
    log.bytes = {0xFE, 1, 2, 3, 4, 5, 0x00, 0x10};
    const auto m = GsMemoryImage(log, 12345);
    ASSERT_EQ(m.size(), 2048u);
    EXPECT_EQ(m[0], 0x45);
    EXPECT_EQ(m[1], 0x23);
    EXPECT_EQ(m[2], 0x01);
    EXPECT_EQ(m[32], 0x08); // end pointer 256 + 8, little-endian
    EXPECT_EQ(m[33], 0x01);
    EXPECT_EQ(m[256], 0xFE);
    EXPECT_EQ(m[263], 0x10);
    EXPECT_EQ(m[264], 0xFF);
}

TEST(GsLogGenerator, DumpLineForms) {
    std::vector<uint8_t> data(40);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    const auto address = GsDumpLines(data, GsDumpForm::AddressPairs);
    ASSERT_EQ(address.size(), 3u);
    EXPECT_EQ(address[1], " 0010 70 77 7e 85 8c 93 9a a1 a8 af b6 bd c4 cb d2 d9");
    EXPECT_EQ(address[2].substr(0, 32), " 0020 e0 e7 ee f5 fc 03 0a 11 ff");
    const auto bare = GsDumpLines(data, GsDumpForm::BarePairs);
    EXPECT_EQ(bare[1], "70777e858c939aa1a8afb6bdc4cbd2d9");
    const auto sum32 = GsDumpLines(data, GsDumpForm::Checksum32);
    ASSERT_EQ(sum32.size(), 2u);
    EXPECT_EQ(sum32[0].size(), 66u);
    // Sum of 0, 7, ..., 217 is 3472 = 0xd90; the second line is filled with 0xff.
    EXPECT_EQ(sum32[0].substr(64), "90");
    EXPECT_EQ(sum32[1].substr(16, 2), "ff");
    EXPECT_EQ(GsDumpLines(data, GsDumpForm::Checksum16)[0].size(), 34u);
}

} // namespace
} // namespace zel::sim
