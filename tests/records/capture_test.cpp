#include <gtest/gtest.h>

#include "base/datetime.h"
#include "model/model.h"
#include "records/capture.h"
#include "records/records_fixture.h"
#include "scan/scanner.h"
#include "settings/config.h"
#include "settings/messages.h"

using namespace zel;

namespace {

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

TextList Lines(const TCaptureList& l) {
    return l.lines();
}

} // namespace

TEST(CaptureLine, ReadsTolerantly) {
    const int century = DecodeDateTime(Now()).year / 100 * 100;
    struct Case {
        const char* line;
        bool ok;
        TDateTime T;
        int32_t duree, comptage;
    } cases[] = {
        {"2024/03/15 08:05:00;60;23", true, At(2024, 3, 15, 8, 5), 60, 23},
        {"2024-03-15 8:05;60;23", true, At(2024, 3, 15, 8, 5), 60, 23},
        {"24/03/15 08:05:00;60;23", true, At(century + 24, 3, 15, 8, 5), 60, 23},
        {"2024.03.15 08:05:07;60;23", true, At(2024, 3, 15, 8, 5, 7), 60, 23},
        {"  2024/03/15 08:05:00 ; 60 ;23  ", true, At(2024, 3, 15, 8, 5), 60, 23},
        {"2024/03/15 08:05:00;+60;-1", true, At(2024, 3, 15, 8, 5), 60, -1},
        {"2024/03/15 08:05:00;60;23;extra", true, At(2024, 3, 15, 8, 5), 60, 23},
        {"2024/03/15 08:05:00;60;23x", true, At(2024, 3, 15, 8, 5), 60, 23},
        // What was read before the failing field is kept.
        {"2024/03/15 08:05:00", false, At(2024, 3, 15, 8, 5), 0, 0},
        {"2024/03/15 08:05:00;60", false, At(2024, 3, 15, 8, 5), 60, 0},
        {"2024/03/15 08:05:00;;23", false, At(2024, 3, 15, 8, 5), 0, 0},
        {"2024/02/30 08:05:00;60;23", false, 0, 0, 0},
        {"2024/03/15 25:05:00;60;23", false, 0, 0, 0},
        {"", false, 0, 0, 0},
        {"CM=23", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TCaptureRecord r;
        EXPECT_EQ(LireLigneCSV(c.line, r), c.ok) << c.line;
        EXPECT_EQ(r.Valide, c.ok) << c.line;
        EXPECT_EQ(DateMs(r.T), DateMs(c.T)) << c.line;
        EXPECT_EQ(r.Duree, c.duree) << c.line;
        EXPECT_EQ(r.Comptage, c.comptage) << c.line;
    }
}

// Lines close to the written form are read without the scanner; they must read exactly as the
// scanner reads them.
TEST(CaptureLine, QuickReadingAgreesWithScanner) {
    const char* lines[] = {
        "2024/03/15 08:05:00;60;23",       "2024-03-15 08:05:00;-60;+23",
        "0024/03/15 08:05:00;60;23",       "2024/03/15 08:05:00;123456789;1",
        "2024/03/15 08:05:00;60;99999999", "2024/03/15 08:05:00;60;999999999",
        "2024/13/15 08:05:00;60;23",       "2024/03/15 08:05:00;60; 23",
        "2024/03/15 08:05:00;60;-",        "2024/03/15 08:05:00;60;23;7",
        "2023/02/29 08:05:00;60;23",       "2024/03/15 08:05:60;60;23",
    };
    for (const char* line : lines) {
        TAnalSynt V;
        V.SSynt = line;
        SyntInit(V);
        TDateTime t = 0;
        int32_t d = 0, c = 0;
        const bool ok = SyntDateTime(V, t, 0) && SyntSep(V, ';') && SyntInt(V, d) &&
                        SyntSep(V, ';') && SyntInt(V, c);
        TCaptureRecord r;
        EXPECT_EQ(LireLigneCSV(line, r), ok) << line;
        EXPECT_EQ(r.T, t) << line;
        EXPECT_EQ(r.Duree, d) << line;
        EXPECT_EQ(r.Comptage, c) << line;
    }
}

using CaptureAppend = RecordsTest;
using CaptureListCopy = RecordsTest;

TEST(CaptureLine, LireValeurCSVCountsFromOneAndRejectsOutOfRange) {
    const TCaptureList l = List({"2024/03/15 08:05:00;60;23", "2024/03/15 08:06:00;60;24"});
    TDateTime t;
    int32_t d, c;
    EXPECT_TRUE(LireValeurCSV(l, 2, t, d, c));
    EXPECT_EQ(c, 24);
    for (int32_t n : {0, 3, -1}) {
        t = 5;
        d = c = 5;
        EXPECT_FALSE(LireValeurCSV(l, n, t, d, c)) << n;
        EXPECT_EQ(t, 0);
        EXPECT_EQ(d, 0);
        EXPECT_EQ(c, 0);
    }
}

// Written lines must read back whatever the region, or the list loses its order.
TEST_F(CaptureAppend, WrittenWithRegionalDateSeparatorAndReadBack) {
    struct Case {
        char date_sep, time_sep;
        const char* line;
    } cases[] = {
        {'/', ':', "2024/03/15 08:05:00;60;23"},
        {'.', ':', "2024.03.15 08:05:00;60;23"},
        {'-', '.', "2024-03-15 08:05:00;60;23"},
        {',', ':', "2024/03/15 08:05:00;60;23"},
    };
    for (const auto& c : cases) {
        SetRegional(RegionalSettings{c.date_sep, c.time_sep, ',', "fi", "FI"});
        TCaptureList l;
        EXPECT_TRUE(AjoutValeurCSV(l, At(2024, 3, 15, 8, 5), 60, 23));
        EXPECT_FALSE(AjoutValeurCSV(l, At(2024, 3, 15, 8, 4), 60, 23)) << c.line;
        EXPECT_EQ(l.line(0), c.line);
        EXPECT_TRUE(l[0].Valide) << c.line;
    }
}

TEST_F(CaptureAppend, KeepsDateOrderAtEitherEnd) {
    TCaptureList l;
    EXPECT_TRUE(AjoutValeurCSV(l, At(2024, 3, 15, 8, 5), 60, 23));
    // Same second: refused, list unchanged.
    EXPECT_FALSE(AjoutValeurCSV(l, At(2024, 3, 15, 8, 5), 60, 99));
    EXPECT_FALSE(AjoutValeurCSV(l, At(2024, 3, 15, 8, 4), 60, 99));
    // The last line has whole seconds: 400 ms later is newer, and shows the same second.
    EXPECT_TRUE(AjoutValeurCSV(l, At(2024, 3, 15, 8, 5, 0, 400), 60, 24));
    EXPECT_EQ(Lines(l), (TextList{"2024/03/15 08:05:00;60;23", "2024/03/15 08:05:00;60;24"}));

    TCaptureList f;
    EXPECT_TRUE(InsertDebutValeurCSV(f, At(2024, 3, 15, 8, 5), 60, 23));
    EXPECT_FALSE(InsertDebutValeurCSV(f, At(2024, 3, 15, 8, 5), 60, 99));
    EXPECT_FALSE(InsertDebutValeurCSV(f, At(2024, 3, 15, 8, 6), 60, 99));
    EXPECT_TRUE(InsertDebutValeurCSV(f, At(2024, 3, 15, 8, 4), 60, 22));
    EXPECT_EQ(Lines(f), (TextList{"2024/03/15 08:04:00;60;22", "2024/03/15 08:05:00;60;23"}));
}

TEST_F(CaptureAppend, UnreadableEndLineCountsAsNoDate) {
    TCaptureList l = List({"2024/03/15 08:05:00;60;23", "garbage"});
    EXPECT_TRUE(AjoutValeurCSV(l, At(2024, 1, 1, 0, 0), 60, 1));
    EXPECT_EQ(l.size(), 3u);
    TCaptureList f = List({"", "2024/03/15 08:05:00;60;23"});
    EXPECT_TRUE(InsertDebutValeurCSV(f, At(2025, 1, 1, 0, 0), 60, 1));
    EXPECT_EQ(f.line(0), "2025/01/01 00:00:00;60;1");
}

using CaptureFile = RecordsTest;

TEST_F(CaptureFile, CreationDropsTrailingBlankLinesOnly) {
    write("a.txt", "2024/03/15 08:05:00;60;23\r\n\r\n2024/03/15 08:06:00;60;24\n \r\n\r\n\t\r\n");
    TCaptureList l = List({"old"});
    EXPECT_TRUE(CreationFichierCSV(l, path("a.txt")));
    EXPECT_EQ(Lines(l), (TextList{"2024/03/15 08:05:00;60;23", "", "2024/03/15 08:06:00;60;24"}));
}

TEST_F(CaptureFile, CreationOfMissingFileCreatesItEmpty) {
    TCaptureList l = List({"2024/03/15 08:05:00;60;23"});
    EXPECT_TRUE(CreationFichierCSV(l, path("new.txt")));
    EXPECT_TRUE(l.empty());
    EXPECT_TRUE(FileExists(path("new.txt")));
    EXPECT_EQ(read("new.txt"), "");
}

TEST_F(CaptureFile, CreationNeverEmptiesAnUnreadableFile) {
    write("locked.txt", "2024/03/15 08:05:00;60;23\r\n");
    std::filesystem::permissions(path("locked.txt"), std::filesystem::perms::none);
    std::string probe;
    if (ReadFileBytes(path("locked.txt"), probe)) GTEST_SKIP() << "permissions not enforced";
    TCaptureList l = List({"x"});
    EXPECT_FALSE(CreationFichierCSV(l, path("locked.txt")));
    EXPECT_TRUE(l.empty());
    std::filesystem::permissions(path("locked.txt"), std::filesystem::perms::owner_all);
    EXPECT_EQ(read("locked.txt"), "2024/03/15 08:05:00;60;23\r\n");
}

TEST_F(CaptureFile, LoadAcceptsAnyLineEndAndSavesCrLf) {
    write("a.txt", "l1\rl2\nl3\r\nl4");
    TCaptureList l;
    ASSERT_TRUE(l.load(path("a.txt")));
    EXPECT_EQ(Lines(l), (TextList{"l1", "l2", "l3", "l4"}));
    ASSERT_TRUE(l.save(path("b.txt")));
    EXPECT_EQ(read("b.txt"), "l1\r\nl2\r\nl3\r\nl4\r\n");
}

TEST(CaptureCombine, MergeCases) {
    struct Case {
        const char* name;
        std::initializer_list<const char*> fin, finout;
        TextList expected;
    } cases[] = {
        {"into empty: readable lines copied, overlaps dropped",
         {"2024/03/15 08:00:00;60;1", "", "junk", "2024/03/15 08:00:30;60;2",
          "2024/03/15 08:01:00;60;3"},
         {},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;3"}},
        {"into an identical copy: nothing added",
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;2"},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;2"},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;2"}},
        {"equal dates keep the target's line",
         {"2024/03/15 08:00:00;60;99"},
         {"2024/03/15 08:00:00;60;1"},
         {"2024/03/15 08:00:00;60;1"}},
        {"equal dates with one-second periods: no overlap to hide a duplicate",
         {"2024/03/15 08:00:00;1;99", "2024/03/15 08:00:01;1;98"},
         {"2024/03/15 08:00:00;1;1", "2024/03/15 08:00:01;1;2"},
         {"2024/03/15 08:00:00;1;1", "2024/03/15 08:00:01;1;2"}},
        {"overlap inside the period removed",
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:00:30;60;2"},
         {"2024/03/15 08:01:00;60;3"},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;3"}},
        {"interleaved in date order",
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:02:00;60;3", "2024/03/15 08:04:00;60;5"},
         {"2024/03/15 08:01:00;60;2", "2024/03/15 08:03:00;60;4"},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;2", "2024/03/15 08:02:00;60;3",
          "2024/03/15 08:03:00;60;4", "2024/03/15 08:04:00;60;5"}},
        {"59 s after stays, 58 s after goes",
         {"2024/03/15 08:00:59;60;2", "2024/03/15 08:01:57;60;3"},
         {"2024/03/15 08:00:00;60;1"},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:00:59;60;2"}},
        {"a blank line of the target at the cursor is deleted",
         {"2024/03/15 08:05:00;60;9"},
         {"2024/03/15 08:00:00;60;1", "", "2024/03/15 08:10:00;60;2"},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:05:00;60;9", "2024/03/15 08:10:00;60;2"}},
        {"behind an unreadable target line, records go to the end and overlaps stay",
         {"2024/03/15 08:05:00;60;9", "2024/03/15 08:05:10;60;8"},
         {"2024/03/15 08:00:00;60;1", "junk", "2024/03/15 08:10:00;60;2"},
         {"2024/03/15 08:00:00;60;1", "junk", "2024/03/15 08:10:00;60;2",
          "2024/03/15 08:05:00;60;9", "2024/03/15 08:05:10;60;8"}},
        {"blank lines of the target after the last placed record stay",
         {"2024/03/15 08:00:00;60;1"},
         {"2024/03/15 08:05:00;60;2", ""},
         {"2024/03/15 08:00:00;60;1", "2024/03/15 08:05:00;60;2", ""}},
    };
    for (const auto& c : cases) {
        const TCaptureList fin = List(c.fin);
        const TextList fin_before = Lines(fin);
        TCaptureList out = List(c.finout);
        CombineCSV(fin, out);
        EXPECT_EQ(Lines(out), c.expected) << c.name;
        EXPECT_EQ(Lines(fin), fin_before) << c.name;
        // The parsed records travel with their lines.
        for (size_t i = 0; i < out.size(); ++i) {
            TCaptureRecord r;
            LireLigneCSV(out.line(i), r);
            EXPECT_EQ(out[i].Comptage, r.Comptage) << c.name;
        }
    }
}

TEST(CaptureCombine, ListIntoItselfIsLikeIntoACopy) {
    TCaptureList l =
        List({"2024/03/15 08:00:00;60;1", "2024/03/15 08:00:30;60;2", "2024/03/15 08:01:00;60;3"});
    TCaptureList copy = l;
    CombineCSV(copy, copy);
    CombineCSV(l, l);
    EXPECT_EQ(Lines(l), Lines(copy));
    EXPECT_EQ(Lines(l), (TextList{"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;3"}));
}

TEST_F(CaptureListCopy, MergedListOutlivesItsSource) {
    TCaptureList out;
    {
        TCaptureList fin = List({"2024/03/15 08:00:00;60;1"});
        CombineCSV(fin, out);
    }
    AjoutValeurCSV(out, At(2024, 3, 15, 8, 1), 60, 2);
    EXPECT_EQ(Lines(out), (TextList{"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;2"}));
}

TEST_F(CaptureListCopy, CopiesAreIndependent) {
    TCaptureList a = List({"2024/03/15 08:00:00;60;1"});
    TCaptureList b = a;
    AjoutValeurCSV(a, At(2024, 3, 15, 8, 1), 60, 2);
    AjoutValeurCSV(b, At(2024, 3, 15, 8, 2), 60, 3);
    EXPECT_EQ(Lines(a), (TextList{"2024/03/15 08:00:00;60;1", "2024/03/15 08:01:00;60;2"}));
    EXPECT_EQ(Lines(b), (TextList{"2024/03/15 08:00:00;60;1", "2024/03/15 08:02:00;60;3"}));
    TCaptureList c = std::move(a);
    AjoutValeurCSV(a, At(2024, 3, 15, 8, 0), 60, 4); // a moved-from list is usable again
    EXPECT_EQ(a.size(), 1u);
    EXPECT_EQ(c.size(), 2u);
}

using CaptureWindow = RecordsTest;

TEST_F(CaptureWindow, SpanOfTheListBecomesTheWindow) {
    Fichier_conf.date_deb = Fichier_conf.date_fin = At(2000, 1, 1, 0, 0);
    EXPECT_TRUE(MetAJourDate(TCaptureList{}));
    EXPECT_EQ(Fichier_conf.date_deb, At(2000, 1, 1, 0, 0));

    EXPECT_TRUE(MetAJourDate(List({"2024/03/15 08:00:00;60;1", "2024/03/16 09:00:00;60;1"})));
    EXPECT_EQ(DateMs(Fichier_conf.date_deb), DateMs(At(2024, 3, 15, 8, 0)));
    EXPECT_EQ(DateMs(Fichier_conf.date_fin), DateMs(At(2024, 3, 16, 9, 0)));
    EXPECT_EQ(DateMs(Principal.date_debut), DateMs(At(2024, 3, 15, 8, 0)));
    EXPECT_EQ(DateMs(Principal.date_fin), DateMs(At(2024, 3, 16, 9, 0)));

    // A hand-edited file whose first record is later than its last.
    EXPECT_TRUE(MetAJourDate(List({"2024/05/02 08:00:00;60;1", "2024/05/01 08:00:00;60;1"})));
    EXPECT_EQ(DateMs(Fichier_conf.date_deb), DateMs(At(2024, 5, 1, 8, 0)));
    EXPECT_EQ(DateMs(Fichier_conf.date_fin), DateMs(At(2024, 5, 2, 8, 0)));

    EXPECT_FALSE(MetAJourDate(List({"2024/06/01 08:00:00;60;1", "junk"})));
    EXPECT_EQ(DateMs(Fichier_conf.date_deb), DateMs(At(2024, 5, 1, 8, 0)));
}

TEST_F(CaptureFile, ChargeDonneesWithAndWithoutCounterConfiguration) {
    erreur_programme st = PasErreur;
    TCaptureList l = List({"keep"});
    EXPECT_FALSE(ChargeDonnees(l, path("absent.txt"), st));
    EXPECT_EQ(st, Pb_ouvrir_fichier);
    EXPECT_EQ(Lines(l), (TextList{"keep"}));

    // Without its counter's configuration a file is refused as a whole: the list and the
    // viewed file's settings stay as they were.
    write("mesures.txt", "2024/03/15 08:00:00;60;1\r\n");
    Fichier_conf.conversion_sievert_Fichier = 1;
    EXPECT_FALSE(ChargeDonnees(l, path("mesures.txt"), st));
    EXPECT_EQ(st, pb_conf_compteur);
    EXPECT_EQ(Lines(l), (TextList{"keep"}));
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_Fichier, 1);
    EXPECT_EQ(Fichier_conf.Fichier_CSV, "");

    write("VORN3_01234.txt", "2024/03/15 08:00:00;60;1\r\n2024/03/15 08:01:00;60;2\r\n");
    write("VORN3_01234_Conf.txt", "DateModif=2024/03/15 08:00:00\r\nCGM=VORN3_\r\n"
                                  "ConvSievert=0.00570\r\n");
    EXPECT_TRUE(ChargeDonnees(l, path("VORN3_01234.txt"), st));
    EXPECT_EQ(st, PasErreur);
    EXPECT_EQ(l.size(), 2u);
    EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_Fichier, 0.0057);
    EXPECT_EQ(Fichier_conf.type_compteur_Fichier, CVORN3);
    EXPECT_EQ(Fichier_conf.Fichier_CSV, path("VORN3_01234.txt"));
}

TEST_F(CaptureFile, WhatOpensAsAViewedFile) {
    const char* const conf = "CGM=VORN3_\r\nConvSievert=0.00570\r\n";
    write("VORN3_00001.txt", "2024/03/15 08:00:00;60;1\r\n");
    write("VORN3_00001_Conf.txt", conf);
    struct Case {
        const char* file;
        const char* bytes; // nullptr: no such file
        bool with_conf;
        erreur_programme status;
        size_t records;     // on success
        const char* detail; // the end of the failure text
    } cases[] = {
        {"VORN3_00002.txt", "2024/03/15 08:00:00;60;1\r\n2024/03/15 08:01:00;60;2\r\n\r\n \r\n",
         true, PasErreur, 2, ""},
        {"VORN3_00003.txt", "2024/03/15 08:00:00;60;1\r\n\r\n2024/03/15 08:02:00;60;2\r\n", true,
         Pb_Fichier_Log, 0, "VORN3_00003.txt:2"},
        {"VORN3_00004.txt", "2024/03/15 08:00:00;60;1\r\n2024/03/15 08:01\r\n", true,
         Pb_Fichier_Log, 0, "VORN3_00004.txt:2"},
        {"VORN3_00001_Conf.txt", nullptr, false, Fichier_Vide, 0, "VORN3_00001_Conf.txt"},
        {"VORN3_00005.txt", "", true, Fichier_Vide, 0, "VORN3_00005.txt"},
        {"VORN3_00006.txt", "\r\n\r\n", true, Fichier_Vide, 0, "VORN3_00006.txt"},
        {"VORN3_00007.txt", "2024/03/15 08:00:00;60;1\r\n", false, pb_conf_compteur, 0,
         "VORN3_00007_Conf.txt"},
        {"mesures.txt", "2024/03/15 08:00:00;60;1\r\n", false, pb_conf_compteur, 0, "mesures.txt"},
        {"absent.txt", nullptr, false, Pb_ouvrir_fichier, 0, "absent.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.bytes) write(c.file, c.bytes);
        if (c.with_conf) write(std::string(c.file).substr(0, 11) + "_Conf.txt", conf);
        // The file being viewed, with its settings.
        erreur_programme st = PasErreur;
        TCaptureList view;
        ASSERT_TRUE(ChargeDonnees(view, path("VORN3_00001.txt"), st));
        Fichier_conf.conversion_sievert_Fichier = 0.0123;

        std::string why;
        const bool ok = ChargeDonnees(view, path(c.file), st, &why);
        EXPECT_EQ(st, c.status);
        EXPECT_EQ(ok, c.status == PasErreur);
        if (ok) {
            EXPECT_EQ(view.size(), c.records);
            EXPECT_TRUE(MetAJourDate(view));
            EXPECT_EQ(Fichier_conf.Fichier_CSV, path(c.file));
            continue;
        }
        EXPECT_EQ(Lines(view), (TextList{"2024/03/15 08:00:00;60;1"}));
        EXPECT_DOUBLE_EQ(Fichier_conf.conversion_sievert_Fichier, 0.0123);
        EXPECT_EQ(Fichier_conf.Fichier_CSV, path("VORN3_00001.txt"));
        EXPECT_EQ(why.find(GetMessagePgm(c.status)), 0u) << why;
        EXPECT_NE(why.find(c.detail), std::string::npos) << why;
    }
}

TEST_F(CaptureFile, LoadCaptureFileKeepsTheRecordsOfAFileWithoutConfiguration) {
    // What the command line works with: the records, and the defaults for their counter.
    write("mesures.txt", "2024/03/15 08:00:00;60;1\r\n\r\n");
    TCaptureList l;
    const CaptureFileLoad r = LoadCaptureFile(path("mesures.txt"), l);
    EXPECT_EQ(r.status, pb_conf_compteur);
    EXPECT_EQ(Lines(l), (TextList{"2024/03/15 08:00:00;60;1"}));
    EXPECT_DOUBLE_EQ(r.FC, 0.0081208);
    EXPECT_EQ(r.Compteur, NotInitialized);
    EXPECT_EQ(Fichier_conf.Fichier_CSV, "");
}

namespace {

// The merge done the plain way, one line at a time on the target list itself: the reference
// for the single-pass merge on random lists.
TextList ReferenceMerge(const TextList& fin, TextList out) {
    auto rec = [](const std::string& l, TCaptureRecord& r) { return LireLigneCSV(l, r); };
    auto blank = [](const std::string& l) { return IsBlankCaptureLine(l); };
    size_t i = 0, j = 0;
    while (i < fin.size()) {
        TCaptureRecord a, b;
        if (blank(fin[i]) || !rec(fin[i], a)) {
            ++i;
        } else if (j >= out.size()) {
            out.push_back(fin[i++]);
        } else if (blank(out[j])) {
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(j));
        } else if (!rec(out[j], b)) {
            out.push_back(fin[i++]);
        } else if (DateMs(a.T) == DateMs(b.T)) {
            ++i;
        } else if (DateMs(a.T) < DateMs(b.T)) {
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(j), fin[i++]);
        } else {
            ++j;
        }
    }
    j = 0;
    TCaptureRecord a, b;
    while (j + 1 < out.size() && rec(out[j], a) && rec(out[j + 1], b)) {
        if (DateMs(IncSecond(a.T, a.Duree - 1)) > DateMs(b.T))
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(j + 1));
        else
            ++j;
    }
    return out;
}

TextList RandomLines(uint32_t& seed, size_t n) {
    auto next = [&seed](uint32_t m) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % m;
    };
    TextList l;
    int minute = static_cast<int>(next(5));
    for (size_t k = 0; k < n; ++k) {
        const uint32_t kind = next(20);
        if (kind == 0) {
            l.push_back("");
        } else if (kind == 1) {
            l.push_back("junk");
        } else {
            // Mostly increasing, sometimes repeated or going back; periods of 1 to 90 s.
            minute += static_cast<int>(next(4)) - (kind == 2 ? 3 : 0);
            const int sec = static_cast<int>(next(3)) * 20;
            char buf[64];
            std::snprintf(buf, sizeof buf, "2024/03/15 %02d:%02d:%02d;%u;%u", 8 + minute / 60,
                          minute % 60 < 0 ? 0 : minute % 60, sec, 1 + next(90), next(100));
            l.push_back(buf);
        }
    }
    return l;
}

} // namespace

TEST(CaptureCombine, SinglePassMergeMatchesLineByLineMerge) {
    uint32_t seed = 2024;
    for (int round = 0; round < 3000; ++round) {
        const TextList fin = RandomLines(seed, seed % 9);
        const TextList finout = RandomLines(seed, seed % 9);
        TCaptureList a, b;
        a.assign(fin);
        b.assign(finout);
        CombineCSV(a, b);
        ASSERT_EQ(b.lines(), ReferenceMerge(fin, finout)) << "round " << round;
    }
}
