// Logs with a 256-byte header and single-byte codes (firmware up to 6.016).
#include <gtest/gtest.h>

#include "dump_builder.h"

namespace zel {
namespace {

using namespace zel::test;
using Recs = std::vector<std::pair<int32_t, int32_t>>; // (seconds, count) of each record

Recs RecordsOf(const DumpResult& r) {
    Recs out;
    for (const auto& rec : r.records)
        out.emplace_back(rec.Duree, rec.Comptage);
    return out;
}

struct Case {
    const char* name;
    double version;
    TextList dump;
    erreur_programme status;
    Recs recs;
    std::string annotation = ""; // expected at the end of the first report line
};

TEST(HeaderLog, RecordsAndChecks) {
    const double V1 = 5.43, V2 = 6.016;
    TextList bad_hex = HeaderDump(Cat({kDateV12, {0x00, 0x01}}));
    bad_hex[16][4] = 'G';
    TextList odd_line = HeaderDump(Cat({kDateV12, {0x00, 0x01}}));
    odd_line[16] += "x"; // a last character without its pair is not read

    const Case cases[] = {
        {"date, 10 minutes, count",
         V1,
         HeaderDump(Cat({kDateV12, {0xF3, 0x00, 0x7B}})),
         gs_no_error,
         {{600, 123}}},
        {"v1 interval codes",
         V1,
         HeaderDump(Cat(
             {kDateV12, {0xF0, 0x00, 0x01, 0xF1, 0x00, 0x02, 0xF2, 0x00, 0x03, 0xF4, 0x00, 0x04}})),
         gs_no_error,
         {{604800, 1}, {86400, 2}, {3600, 3}, {60, 4}}},
        {"v1 0xFC is the overflow code",
         V1,
         HeaderDump(Cat({kDateV12, {0xF4, 0xFC, 0x00, 0x05, 0x00, 0x06}})),
         gs_no_error,
         {{60, 5}, {60, 6}},
         "   Overflow !"},
        {"v1 0xF8 starts a count",
         V1,
         HeaderDump(Cat({kDateV12, {0xF8, 0x00}})),
         gs_no_error,
         {{10, 0}}},
        {"v1 0xFD starts a count, too large here",
         V1,
         HeaderDump(Cat({kDateV12, {0xFD, 0x00}})),
         gs_erreur_interne,
         {}},
        {"v2 0xFC is the 10-second interval",
         V2,
         HeaderDump(Cat({kDateV12, {0xFA, 0xFC, 0x00, 0x05}})),
         gs_no_error,
         {{10, 5}}},
        {"v2 0xFD is the overflow code",
         V2,
         HeaderDump(Cat({kDateV12, {0xFD, 0x00, 0x05}})),
         gs_no_error,
         {{10, 5}},
         "   Overflow !"},
        {"v2 interval codes",
         V2,
         HeaderDump(Cat({kDateV12, {0xF0, 0x00, 0x01, 0xF1, 0x00, 0x01, 0xF2, 0x00, 0x01, 0xF3,
                                    0x00, 0x01, 0xF4, 0x00, 0x01, 0xF5, 0x00, 0x01, 0xF6, 0x00,
                                    0x01, 0xF7, 0x00, 0x01, 0xF8, 0x00, 0x01, 0xF9, 0x00, 0x01,
                                    0xFA, 0x00, 0x01, 0xFB, 0x00, 0x01, 0xFC, 0x00, 0x01}})),
         gs_no_error,
         {{604800, 1},
          {259200, 1},
          {86400, 1},
          {43200, 1},
          {7200, 1},
          {3600, 1},
          {1800, 1},
          {600, 1},
          {300, 1},
          {120, 1},
          {60, 1},
          {30, 1},
          {10, 1}}},
        {"gap: 10 s units, count inside, interval kept",
         V1,
         HeaderDump(Cat({kDateV12, {0xFF, 0x06, 0x00, 0x00, 0x07, 0x00, 0x08}})),
         gs_no_error,
         {{60, 7}, {60, 8}}},
        {"gap ending just before the end pointer",
         V2,
         HeaderDump(Cat({kDateV12, {0xFF, 0x2C, 0x01, 0x00, 0x07}})),
         gs_no_error,
         {{3000, 7}}},
        {"gap cut by the end pointer",
         V1,
         HeaderDump(Cat({kDateV12, {0xFF, 0x06, 0x00, 0x00}})),
         gs_GAP_erreur,
         {}},
        {"gap of length 0",
         V1,
         HeaderDump(Cat({kDateV12, {0xFF, 0x00, 0x00, 0x00, 0x01}})),
         gs_erreur_date,
         {}},
        {"month 13", V1, HeaderDump({0xFE, 0x00, 0x08, 0x01, 0x13, 0x23}), gs_erreur_date, {}},
        {"30 February", V1, HeaderDump({0xFE, 0x00, 0x08, 0x30, 0x02, 0x23}), gs_erreur_date, {}},
        {"hour 24", V2, HeaderDump({0xFE, 0x00, 0x24, 0x01, 0x05, 0x23}), gs_erreur_date, {}},
        {"minute 60", V2, HeaderDump({0xFE, 0x60, 0x08, 0x01, 0x05, 0x23}), gs_erreur_date, {}},
        {"date record past the end pointer",
         V1,
         HeaderDump({0xFE, 0x00, 0x08, 0x01}),
         gs_erreur_date,
         {}},
        {"counts without a date: reported, no records",
         V1,
         HeaderDump({0xF3, 0x00, 0x7B}),
         gs_Date_Absente,
         {}},
        {"16 lines, end pointer 256: no record", V1, HeaderDump({}), gs_Date_Absente, {}},
        {"15 lines", V1, TextList(15, std::string(32, '0')), gs_erreur_fichier_vide, {}},
        {"2 lines", V2, TextList(2, std::string(32, '0')), gs_erreur_fichier_vide, {}},
        {"end pointer beyond the bytes",
         V1,
         HeaderDump({}, 16 * 16 + 2),
         gs_erreur_fichier_vide,
         {}},
        {"end pointer one past the bytes: count read beyond them",
         V1,
         HeaderDump({}, 257),
         gs_erreur_interne,
         {}},
        {"not a hexadecimal digit", V1, bad_hex, gs_erreur_interne, {}},
        {"odd line length", V1, odd_line, gs_no_error, {{10, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DumpResult r = DecodeDump(c.dump, Input(c.version));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(RecordsOf(r), c.recs);
        if (!c.recs.empty()) {
            ASSERT_GE(r.report.size(), 4u);
            const std::string& line = r.report[3];
            EXPECT_EQ(line.substr(std::min(line.size(), size_t{81})), c.annotation);
        }
        if (c.status == gs_no_error) {
            EXPECT_EQ(r.report.size(), 3 + c.recs.size());
        }
    }
}

TEST(HeaderLog, SerialAndLogSizeReachTheDialog) {
    DumpResult r = DecodeDump(HeaderDump(Cat({kDateV12, {0x00, 0x01}})), Input(5.43));
    EXPECT_TRUE(r.serieRead);
    EXPECT_EQ(r.Serial, 12345u);
    EXPECT_EQ(r.serie, "12345");
    EXPECT_TRUE(r.eepromRead);
    EXPECT_EQ(r.EEPROM, "8");
    EXPECT_EQ(r.report[0], "Gamma Scout, Serial = 12345, Version = v, Conv. Factor = 0.008120");

    r = DecodeDump(HeaderDump({}), Input(5.43));
    EXPECT_EQ(r.EEPROM, "0");

    // The serial number is shown even when the end pointer turns the dump down.
    DumpInput in = Input(6.0);
    in.serie = "?";
    r = DecodeDump(HeaderDump({}, 1000), in);
    EXPECT_EQ(r.status, gs_erreur_fichier_vide);
    EXPECT_TRUE(r.serieRead);
    EXPECT_EQ(r.serie, "12345");
    EXPECT_FALSE(r.eepromRead);
    EXPECT_EQ(r.EEPROM, "?");
    EXPECT_FALSE(r.walked);

    // An end pointer inside the header gives a negative log size and no record.
    r = DecodeDump(HeaderDump({}, 200), in);
    EXPECT_EQ(r.status, gs_Date_Absente);
    EXPECT_EQ(r.EEPROM, "-56");
}

TEST(HeaderLog, ClockOfTheRecords) {
    // Counts before the first date are reported dated from the moment of decoding, but are no
    // records; a later date record moves the clock but not the report's start.
    const TextList dump = HeaderDump(Cat({{0xF4, 0x00, 0x01},
                                          kDateV12,
                                          {0x00, 0x02, 0x00, 0x03},
                                          {0xFE, 0x30, 0x09, 0x02, 0x05, 0x23, 0x00, 0x04}}));
    const DumpResult r = DecodeDump(dump, Input(5.43));
    ASSERT_EQ(r.status, gs_no_error);
    ASSERT_EQ(r.records.size(), 3u);
    EXPECT_EQ(r.undated, 1);
    EXPECT_EQ(FormatDateTime("YYYY-MM-DD HH:NN:SS", r.records[0].T), "2023-05-01 08:00:00");
    EXPECT_EQ(FormatDateTime("YYYY-MM-DD HH:NN:SS", r.records[1].T), "2023-05-01 08:01:00");
    EXPECT_EQ(FormatDateTime("YYYY-MM-DD HH:NN:SS", r.records[2].T), "2023-05-02 09:30:00");
    EXPECT_EQ(r.reportName, "gs_12345_2023-05-01_08.00_2023-05-02_09.31.txt");
    EXPECT_EQ(r.report[3].substr(0, 42), "2024-06-15 12:00:00    2024-06-15 12:01:00");
}

TEST(HeaderLog, YearInTheCenturyOfDecoding) {
    const DumpResult r =
        DecodeDump(HeaderDump({0xFE, 0x00, 0x08, 0x01, 0x05, 0x99, 0x00, 0x01}), Input(5.43));
    ASSERT_EQ(r.status, gs_no_error);
    EXPECT_EQ(FormatDateTime("YYYY-MM-DD HH:NN", r.records[0].T), "2099-05-01 08:00");
}

TEST(HeaderLog, OldFirmwareAddressLines) {
    // " 0000 45 23 01 ..." as firmware 5.x sends it (the session trims the leading blank).
    const TextList bare = HeaderDump(Cat({kDateV12, {0xF3, 0x00, 0x7B}}));
    TextList addressed;
    char address[8];
    for (size_t i = 0; i < bare.size(); ++i) {
        std::snprintf(address, sizeof address, "%04zx", i * 16);
        std::string line = address;
        for (size_t k = 0; k < bare[i].size(); k += 2)
            line += " " + bare[i].substr(k, 2);
        addressed.push_back(line);
    }
    const DumpResult a = DecodeDump(bare, Input(5.43));
    const DumpResult b = DecodeDump(addressed, Input(5.43));
    ASSERT_EQ(a.status, gs_no_error);
    EXPECT_EQ(b.status, a.status);
    EXPECT_EQ(b.report, a.report);
    EXPECT_EQ(b.EEPROM, a.EEPROM);

    // Blanks in any other line are no hexadecimal digits.
    addressed[16] = "0100 fe 0 08 01 05 23 f3 00 7b 00 00 00 00 00 00 00";
    EXPECT_EQ(DecodeDump(addressed, Input(5.43)).status, gs_erreur_interne);
}

} // namespace
} // namespace zel
