// Logs in checksummed lines with escape-coded records (firmware above 6.016).
#include <gtest/gtest.h>

#include "dump_builder.h"

namespace zel {
namespace {

using namespace zel::test;
using Recs = std::vector<std::pair<int32_t, int32_t>>; // (seconds, count) of each record

struct Case {
    const char* name;
    Bytes log;
    erreur_programme status;
    Recs recs;
    std::vector<std::string> annotations = {}; // end of each report line, when given
    std::string eeprom = "";                   // default: the size of `log`
    TextList dump = {};                        // default: `log` in lines of 32 bytes
};

void RunTable(double version, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TextList dump = c.dump.empty() ? ChecksumDump(c.log) : c.dump;
        const std::string eeprom = c.eeprom.empty() ? std::to_string(c.log.size()) : c.eeprom;
        const DumpResult r = DecodeDump(dump, Input(version, eeprom));
        EXPECT_EQ(r.status, c.status);
        Recs recs;
        for (const auto& rec : r.records)
            recs.emplace_back(rec.Duree, rec.Comptage);
        EXPECT_EQ(recs, c.recs);
        for (size_t i = 0; i < c.annotations.size() && 3 + i < r.report.size(); ++i) {
            const std::string& line = r.report[3 + i];
            EXPECT_EQ(line.substr(std::min(line.size(), size_t{81})), c.annotations[i]) << i;
        }
        EXPECT_FALSE(r.serieRead);
        EXPECT_EQ(r.EEPROM, eeprom);
    }
}

TEST(OnlineLogV3, RecordsAndChecks) {
    const Bytes ok = Cat({kDateV34, {0xF5, 0x07, 0x00, 0x7B}});
    TextList with_empty_line = ChecksumDump(ok, 4);
    with_empty_line.insert(with_empty_line.begin() + 1, "00");
    TextList bad_sum = ChecksumDump(ok);
    bad_sum[0][1] = '4'; // 0xF5 read as 0xF4
    TextList extra_line = ChecksumDump(Cat({ok, Bytes(21, 0), Bytes(32, 0x11)}));

    RunTable(6.5,
             {
                 {"date, 10 minutes, count", ok, gs_no_error, {{600, 123}}},
                 {"interval sub-codes 0x00 and 0x0C",
                  Cat({kDateV34, {0xF5, 0x00, 0x00, 0x01, 0xF5, 0x0C, 0x00, 0x02}}),
                  gs_no_error,
                  {{604800, 1}, {10, 2}}},
                 {"0xFA is the overflow code",
                  Cat({kDateV34, {0xF5, 0x0A, 0xFA, 0x00, 0x05, 0x00, 0x06}}),
                  gs_no_error,
                  {{60, 5}, {60, 6}},
                  {"   Overflow !", ""}},
                 {"sub-code 0x20 skips three bytes",
                  Cat({kDateV34, {0xF5, 0x20, 0xFF, 0x00, 0x01}}),
                  gs_no_error,
                  {{10, 1}}},
                 {"sub-code 0xF3 skips two",
                  Cat({kDateV34, {0xF5, 0xF3, 0x00, 0x01}}),
                  gs_no_error,
                  {{10, 1}}},
                 {"gap, interval kept",
                  Cat({kDateV34, {0xF5, 0xEE, 0x06, 0x00, 0x00, 0x07, 0x00, 0x08}}),
                  gs_no_error,
                  {{60, 7}, {60, 8}}},
                 {"gap as the last record",
                  Cat({kDateV34, {0xF5, 0xEE, 0x06, 0x00, 0x00, 0x07}}),
                  gs_GAP_erreur,
                  {}},
                 {"0xFA on the last byte",
                  Cat({kDateV34, {0x00, 0x01, 0xFA}}),
                  gs_Codage_erreur,
                  {{10, 1}}},
                 {"count on the last byte", Cat({kDateV34, {0x00}}), gs_Codage_erreur, {}},
                 {"date record past the end", {0xF5, 0xEF, 0x00, 0x08, 0x01}, gs_erreur_date, {}},
                 {"impossible date",
                  {0xF5, 0xEF, 0x00, 0x08, 0x31, 0x04, 0x23, 0x00, 0x01},
                  gs_erreur_date,
                  {}},
                 {"counts without a date: reported, no records", {0x00, 0x01}, gs_Date_Absente, {}},
                 {"bytes missing from the dump read as zero counts",
                  Cat({kDateV34, {0xF5, 0x0A}}),
                  gs_no_error,
                  {{60, 0}, {60, 0}},
                  {},
                  "13"},
                 {"a line \"00\" carries no data",
                  ok,
                  gs_no_error,
                  {{600, 123}},
                  {},
                  "",
                  with_empty_line},
                 {"checksum differs", ok, gs_erreur_checksum, {}, {}, "", bad_sum},
                 {"line shorter than a pair", ok, gs_erreur_interne, {}, {}, "", {"0"}},
                 {"not a hexadecimal digit", ok, gs_erreur_interne, {}, {}, "", {"g000"}},
                 // A line past the log's room is still checked as a whole.
                 {"line beyond the log", ok, gs_no_error, {{600, 123}}, {}, "11", extra_line},
                 {"no integer in EEPROM", ok, gs_Taille_erreur, {}, {}, "?"},
                 {"log size beyond 16 bits", ok, gs_Taille_erreur, {}, {}, "65536"},
                 {"log size 0", ok, gs_erreur_fichier_vide, {}, {}, "0"},
                 {"negative log size", ok, gs_erreur_fichier_vide, {}, {}, "-5"},
             });
}

TEST(OnlineLogV3, EmptyDump) {
    EXPECT_EQ(DecodeDump({}, Input(6.5, "32")).status, gs_erreur_fichier_vide);
}

TEST(OnlineLogV4, RecordsAndChecks) {
    const Bytes count1 = {0x00, 0x01};
    RunTable(
        7.02,
        {
            {"skip record of four bytes",
             Cat({kDateV34, {0xF8, 0x03, 0xAA, 0xBB, 0x00, 0x01}}),
             gs_no_error,
             {{10, 1}}},
            {"skip 0: the length byte starts the next record",
             Cat({kDateV34, {0xF8, 0x00, 0x05}}),
             gs_no_error,
             {{10, 5}}},
            {"skip past the end", Cat({kDateV34, count1, {0xF8, 0x10}}), gs_no_error, {{10, 1}}},
            {"skip to the end",
             Cat({kDateV34, count1, {0xF8, 0x02, 0xAA}}),
             gs_no_error,
             {{10, 1}}},
            {"skip onto the last byte",
             Cat({kDateV34, count1, {0xF8, 0x01, 0xAA}}),
             gs_Codage_erreur,
             {{10, 1}}},
            {"flag 0xFC annotates the next count only",
             Cat({kDateV34, {0xFC}, count1, count1}),
             gs_no_error,
             {{10, 1}, {10, 1}},
             {" /Dose rate alarm fired/", ""}},
            {"a later flag replaces an earlier one",
             Cat({kDateV34, {0xF9, 0xFA}, count1}),
             gs_no_error,
             {{10, 1}},
             {" /Dose alarm fired/"}},
            {"flag 0xF9",
             Cat({kDateV34, {0xF9}, count1}),
             gs_no_error,
             {{10, 1}},
             {" /Dose rate overflowed/"}},
            {"flag 0xFF",
             Cat({kDateV34, {0xFF}, count1}),
             gs_no_error,
             {{10, 1}},
             {" /Dose rate overflowed/Dose alarm fired/Dose rate alarm fired/"}},
            {"flag on the last byte", Cat({kDateV34, count1, {0xFC}}), gs_Codage_erreur, {{10, 1}}},
            {"interval sub-codes shifted by one",
             Cat({kDateV34, {0xF5, 0x0C}, count1, {0xF5, 0x0D}, count1, {0xF5, 0x01}, count1}),
             gs_no_error,
             {{30, 1}, {10, 1}, {604800, 1}}},
            {"interval 0 then a count", Cat({kDateV34, {0xF5, 0x00}, count1}), gs_erreur_date, {}},
            {"interval 0 replaced before the count",
             Cat({kDateV34, {0xF5, 0x00, 0xF5, 0x0B}, count1}),
             gs_no_error,
             {{60, 1}}},
            {"gap",
             Cat({kDateV34, {0xF5, 0xEE, 0x06, 0x00, 0x00, 0x07}, count1}),
             gs_no_error,
             {{60, 7}, {60, 1}}},
            {"gap as the last record",
             Cat({kDateV34, {0xF5, 0xEE, 0x06, 0x00, 0x00, 0x07}}),
             gs_GAP_erreur,
             {}},
            {"date with seconds past the end",
             {0xF5, 0xED, 0x30, 0x15, 0x08, 0x24},
             gs_erreur_date,
             {}},
            {"second 60",
             Cat({{0xF5, 0xED, 0x60, 0x15, 0x08, 0x24, 0x12, 0x23}, count1}),
             gs_erreur_date,
             {}},
            {"sub-codes 0x20 and 0xF3",
             Cat({kDateV34, {0xF5, 0x20, 0xFF, 0xF5, 0xF3}, count1}),
             gs_no_error,
             {{10, 1}}},
            {"counts without a date: reported, no records", count1, gs_Date_Absente, {}},
            {"no integer in EEPROM", count1, gs_Taille_erreur, {}, {}, "x"},
        });
}

TEST(OnlineLogV4, DateWithSeconds) {
    const Bytes log = {0xF5, 0xED, 0x30, 0x15, 0x08, 0x24, 0x12, 0x23, 0x00, 0x01};
    const DumpResult r = DecodeDump(ChecksumDump(log), Input(7.1, "10"));
    ASSERT_EQ(r.status, gs_no_error);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(FormatDateTime("YYYY-MM-DD HH:NN:SS", r.records[0].T), "2023-12-24 08:15:30");
    EXPECT_EQ(r.report[3].substr(0, 42), "2023-12-24 08:15:30    2023-12-24 08:15:40");
    EXPECT_EQ(r.reportName, "gs_12345_2023-12-24_08.15_2023-12-24_08.15.txt");
}

} // namespace
} // namespace zel
