// The records of a date window as CSV: what a spreadsheet reads back.
#include <gtest/gtest.h>

#include "records/records_csv.h"

using namespace zel;

namespace {

TCaptureList List(std::initializer_list<const char*> lines) {
    TCaptureList f;
    for (const char* l : lines)
        f.push_back(l);
    return f;
}

const StatisticsWindow kMarch15{EncodeDateTime(2024, 3, 15), EncodeDateTime(2024, 3, 15, 23, 59)};

} // namespace

TEST(RecordsCsv, WindowedRecordsWithIsoDatesAndBothUnits) {
    struct Case {
        const char* what;
        TTypeCompteur model;
        TCaptureList records;
        const char* rows; // below the header
    } cases[] = {
        {"VORN counts are per minute; the window's ends are included, records outside it not",
         CVORN8,
         List({"2024/03/14 23:59:00;60;99", "2024/03/15 00:00:00;60;20",
               "2024/03/15 08:01:30;60;15", "2024/03/15 23:59:00;60;10",
               "2024/03/16 00:00:00;60;99"}),
         "2024-03-15T00:00:00,60,20,20,0.114\r\n"
         "2024-03-15T08:01:30,60,15,15,0.0855\r\n"
         "2024-03-15T23:59:00,60,10,10,0.057\r\n"},
        {"a Gamma Scout count covers its period", GAMMA_SCOUT2,
         List({"2024/03/15 10:00:00;600;123", "2024/03/15 11:00:00;3600;1200"}),
         "2024-03-15T10:00:00,600,123,12.3,0.07011\r\n"
         "2024-03-15T11:00:00,3600,1200,20,0.114\r\n"},
        {"a zero count is a record; an error mark has no rate; no period or no record: left out",
         CVORN3,
         List({"2024/03/15 08:00:00;60;0", "2024/03/15 08:01:00;60;-1", "2024/03/15 08:02:00;0;12",
               "not a record", "", "2024/03/15 08:03:00;60;30"}),
         "2024-03-15T08:00:00,60,0,0,0\r\n"
         "2024-03-15T08:01:00,60,-1,,\r\n"
         "2024-03-15T08:03:00,60,30,30,0.171\r\n"},
        {"nothing in the window: the header alone", CVORN8, List({"2024/03/17 08:00:00;60;5"}), ""},
    };
    for (const Case& c : cases) {
        const RecordsCsv csv = MakeRecordsCsv(c.records, kMarch15, 0.0057, c.model);
        EXPECT_EQ(csv.text, std::string("date,period (s),count,CPM,µSv/h\r\n") + c.rows) << c.what;
        size_t lines = 0;
        for (const char* p = c.rows; *p; ++p)
            lines += *p == '\n';
        EXPECT_EQ(csv.records, lines) << c.what;
    }
}
