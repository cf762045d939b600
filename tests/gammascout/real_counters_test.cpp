// Dumps of real counters, decoded as the session would at the end of their download.
#include <gtest/gtest.h>

#include <bit>
#include <sstream>

#include "dump_builder.h"

namespace zel {
namespace {

const std::string kFixtures = ZEL_SOURCE_DIR "/tests/fixtures/real-counters/";

// The transcript's dump lines; a missing fixture fails the test (they ship with the sources).
TextList LoadDump(const std::string& name) {
    TextList raw;
    EXPECT_TRUE(LoadTextFile(kFixtures + name, raw)) << kFixtures + name;
    return PrepareDumpLines(raw);
}

std::string Stamp(TDateTime t) {
    return FormatDateTime("YYYY-MM-DD HH:NN:SS", t);
}

TEST(RealCounters, Firmware543AddressLines) {
    const TextList dump = LoadDump("gs-fw5.43-old-format.dmp");
    TextList csv;
    ASSERT_TRUE(LoadTextFile(kFixtures + "gs-fw5.43-old-format.expected.csv", csv));
    ASSERT_EQ(dump.size(), 128u);

    DumpInput in = test::Input(5.43);
    in.serie = "?";
    const DumpResult r = DecodeDump(dump, in);
    ASSERT_EQ(r.status, gs_no_error);
    EXPECT_EQ(r.serie, "49679");
    EXPECT_EQ(r.Serial, 49679u);
    EXPECT_EQ(r.EEPROM, "203");
    ASSERT_EQ(r.records.size(), 96u);
    // The 0xFF record: a 10-second interval of 0 counts right after the date record.
    EXPECT_EQ(Stamp(r.records[0].T), "2011-09-01 08:02:00");
    EXPECT_EQ(r.records[0].Duree, 10);
    EXPECT_EQ(r.records[0].Comptage, 0);
    EXPECT_EQ(Stamp(r.records[1].T), "2011-09-01 08:02:10");
    // The hourly counts, as the counts column of the other decoder's table.
    ASSERT_EQ(csv.size(), 96u);
    for (size_t i = 1; i < csv.size(); ++i) {
        std::istringstream fields(csv[i]);
        std::string date, time, interval, counts;
        fields >> date >> time >> interval >> counts;
        EXPECT_EQ(r.records[i].Comptage, std::stoi(counts)) << i;
        EXPECT_EQ(r.records[i].Duree, 3600) << i;
    }
    EXPECT_EQ(r.reportName, "gs_49679_2011-09-01_08.02_2011-09-05_07.02.txt");
}

TEST(RealCounters, Firmware702Session) {
    const TextList dump = LoadDump("gs-fw7.02-session.txt");
    ASSERT_EQ(dump.size(), 534u);

    DumpInput in = test::Input(7.02, "17061"); // 0x42a5 from the version reply
    in.serie = "72467";
    const DumpResult r = DecodeDump(dump, in);
    ASSERT_EQ(r.status, gs_no_error);
    ASSERT_EQ(r.records.size(), 8519u);
    for (const auto& rec : r.records)
        ASSERT_EQ(rec.Duree, 120);
    EXPECT_EQ(Stamp(r.records.front().T), "2019-04-11 02:06:15");
    EXPECT_EQ(Stamp(r.records.back().T + 120 / SecondsPerDay), "2019-04-22 22:04:15");
    EXPECT_EQ(r.reportName, "gs_72467_2019-04-11_02.05_2019-04-22_22.04.txt");

    // Flags follow the dose column, which large counts widen.
    int both = 0, rate_alarm = 0, other = 0;
    for (size_t i = 3; i < r.report.size(); ++i) {
        const size_t flags = r.report[i].find(" /");
        if (flags == std::string::npos) continue;
        const std::string tail = r.report[i].substr(flags);
        if (tail == " /Dose rate overflowed/Dose rate alarm fired/")
            ++both; // 0xFD
        else if (tail == " /Dose rate alarm fired/")
            ++rate_alarm; // 0xFC
        else
            ++other;
    }
    EXPECT_EQ(both, 2);
    EXPECT_EQ(rate_alarm, 1);
    EXPECT_EQ(other, 0);
}

TEST(RealCounters, Firmware702ShortLog) {
    const TextList dump = LoadDump("gs-fw7.02-multilog.txt");
    ASSERT_EQ(dump.size(), 1u);
    // 30 log bytes (0x001e from the version reply): a date with seconds, 120-second counts,
    // then 60-second counts; the last two data bytes of the line lie beyond the log.
    const DumpResult r = DecodeDump(dump, test::Input(7.02, "30"));
    ASSERT_EQ(r.status, gs_no_error);
    std::vector<std::pair<int32_t, int32_t>> recs;
    for (const auto& rec : r.records)
        recs.emplace_back(rec.Duree, rec.Comptage);
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {120, 30}, {120, 16}, {120, 28}, {120, 29}, {60, 15}, {60, 10}, {60, 7}};
    EXPECT_EQ(recs, expected);
    EXPECT_EQ(Stamp(r.records.front().T), "2019-04-23 20:52:35");
}

// A transcript kept by a terminal program at 8 data bits from the counter's 7 bits and even
// parity: bit 7 is set on every character with an odd number of ones, the carriage return too.
TEST(RealCounters, TranscriptsWithParityBitsGiveTheSameDump) {
    for (const char* name :
         {"gs-fw5.43-old-format.dmp", "gs-fw7.02-session.txt", "gs-fw7.02-multilog.txt"}) {
        SCOPED_TRACE(name);
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(kFixtures + name, bytes));
        std::string mangled = bytes;
        for (char& c : mangled)
            if (std::popcount(static_cast<unsigned char>(c)) % 2 != 0)
                c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
        const TextList dump = DumpFileLines(bytes);
        EXPECT_EQ(dump, LoadDump(name));
        EXPECT_EQ(DumpFileLines(mangled), dump);
    }
}

} // namespace
} // namespace zel
