// zelvanor-cli decode, run as a program on saved transcripts of real counters.
#include "cli_fixture.h"

#include <bit>

#include "base/textfile.h"
#include "gammascout/dump_builder.h"
#include "records/capture.h"
#include "settings/messages.h"

namespace {

const std::string kFixtures = ZEL_SOURCE_DIR "/tests/fixtures/real-counters/";

// The bytes as a terminal program at 8 data bits keeps them from a line of 7 data bits with
// even parity: bit 7 set on every character with an odd number of ones.
std::string WithParityBits(std::string s) {
    for (char& c : s) {
        const auto v = static_cast<unsigned char>(c & 0x7F);
        if (std::popcount(v) % 2 != 0) c = static_cast<char>(v | 0x80);
    }
    return s;
}

using CliDecode = CliTest;

TEST_F(CliDecode, RealTranscriptsAsSavedAndWithParityBits) {
    struct Case {
        const char* file;
        const char* options;
        const char* download;
        size_t records;
    } cases[] = {
        {"gs-fw7.02-session.txt", "--firmware 7.02 --serial 72467 --eeprom 17061",
         "GS2_72467_DL.txt", 8519},
        {"gs-fw5.43-old-format.dmp", "--firmware 5.43 --serial 0 --eeprom 0 --model GS1",
         "GS1_49679_DL.txt", 96},
    };
    for (const Case& c : cases) {
        for (const bool parity : {false, true}) {
            SCOPED_TRACE(std::string(c.file) + (parity ? " with parity bits" : ""));
            std::string bytes;
            ASSERT_TRUE(zel::ReadFileBytes(kFixtures + c.file, bytes));
            if (parity) {
                const std::string mangled = WithParityBits(bytes);
                ASSERT_NE(mangled, bytes);
                ASSERT_NE(mangled.find("\x8D\x0A"), std::string::npos); // CR has odd parity
                bytes = mangled;
            }
            write("dump.txt", bytes);
            const std::string out_dir = path(parity ? "parity" : "plain");
            ASSERT_TRUE(zel::CreateDir(out_dir));
            std::string out, err;
            ASSERT_EQ(run(std::string("decode ") + c.options + " --dir " + out_dir + " " +
                              path("dump.txt"),
                          err, &out),
                      0)
                << out << err;
            EXPECT_NE(out.find(zel::GetMessagePgm(zel::gs_no_error)), std::string::npos) << out;
            zel::TCaptureList download;
            ASSERT_TRUE(download.load(out_dir + "/" + c.download));
            EXPECT_EQ(download.size(), c.records);
        }
    }
}

TEST_F(CliDecode, FileWithoutADumpIsNamedAsSuch) {
    const char* const files[] = {
        "",                                                           // empty
        "\r\n\r\n",                                                   // blank lines
        "2024/03/15 08:00:00;60;10\r\n2024/03/15 08:01:00;60;20\r\n", // a capture file
        "v\r\nVersion 7.02Lb07 1020 072467 001e 23.04.19 21:03:49\r\nb\r\nGAMMA-SCOUT "
        "Protokoll\r\n", // a download that brought nothing
    };
    for (const char* bytes : files) {
        SCOPED_TRACE(bytes);
        write("none.txt", bytes);
        std::string out, err;
        EXPECT_EQ(
            run("decode --firmware 7.02 --serial 72467 --eeprom 30 " + path("none.txt"), err, &out),
            1);
        EXPECT_NE(err.find("holds no Gamma Scout dump"), std::string::npos) << err;
        EXPECT_EQ(out.find(zel::GetMessagePgm(zel::gs_erreur_interne)), std::string::npos) << out;
    }
}

using namespace zel::test;

// A firmware 5.43 dump made by hand.
class CliDecodeDump : public CliTest {
  protected:
    // A firmware 5.43 dump (serial 12345): two counts, the log's first date (2023-05-01 08:00),
    // then two 10-minute counts.
    void WriteDump() const {
        std::string text = "GAMMA-SCOUT Protokoll\r\n";
        for (const std::string& l :
             HeaderDump(Cat({{0xF3, 0x00, 0x07, 0x00, 0x08}, kDateV12, {0x00, 0x01, 0x00, 0x02}})))
            text += l + "\r\n";
        write("dump.txt", text);
    }
    int decode(std::string& out, std::string& err) const {
        return CliTest::run("decode --firmware 5.43 --serial 12345 --eeprom 0 --dir " + dir_ + " " +
                                path("dump.txt"),
                            err, &out);
    }
};

TEST_F(CliDecodeDump, CountsBeforeTheFirstDateAreLeftOutAndSaid) {
    WriteDump();
    std::string out, err;
    ASSERT_EQ(decode(out, err), 0) << out << err;
    EXPECT_EQ(read("GS2_12345_DL.txt"), "2023/05/01 08:00:00;600;1\r\n"
                                        "2023/05/01 08:10:00;600;2\r\n");
    EXPECT_NE(out.find(zel::GetMessagePgm(zel::DLDateTimeErr) + ": 2"), std::string::npos) << out;
    EXPECT_NE(out.find(zel::GetMessagePgm(zel::gs_no_error)), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::exists(path("gs_12345_2023-05-01_08.00_2023-05-01_08.20.txt")));
    EXPECT_FALSE(std::filesystem::exists(path("gs_12345.txt")));

    // The download file then opens for statistics: two dated records of 10 minutes.
    ASSERT_EQ(CliTest::run("stats " + path("GS2_12345_DL.txt"), err, &out), 0) << err;
    EXPECT_NE(out.find("events=2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("max_date=2023/05/01 08:10:00\n"), std::string::npos) << out;
}

TEST_F(CliDecodeDump, GsFileThatCannotBeOpenedIsNamedAndTheLogStillSaved) {
    WriteDump();
    std::filesystem::create_directory(path("gs_12345.txt"));
    std::string out, err;
    ASSERT_EQ(decode(out, err), 0) << out << err;
    EXPECT_NE(out.find(zel::GetMessagePgm(zel::Pb_ouvrir_fichier) + path("gs_12345.txt")),
              std::string::npos)
        << out;
    EXPECT_EQ(read("GS2_12345_DL.txt"), "2023/05/01 08:00:00;600;1\r\n"
                                        "2023/05/01 08:10:00;600;2\r\n");
}

} // namespace
