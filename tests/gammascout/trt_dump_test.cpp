// A finished download decoded into the program: dialog texts, serial number, F_DownLoad, the
// report and the download file, and the hand-over between the session thread and the main one.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/ports.h"
#include "base/regional.h"
#include "dump_builder.h"
#include "model/model.h"
#include "records/capture.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

namespace zel {
namespace {

using namespace zel::test;
namespace fs = std::filesystem;

class TrtDump : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_gs_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Repertoire_conf = dir_ + "/";
        Fichier_conf.type_compteur_Capture = GAMMA_SCOUT2;
        Fichier_conf.Serial_Compteur = 12345;
        Fichier_conf.Version_GS = 6.5;
        SetDialog("6.5", "12345", "?");
        F_DownLoad.clear();
        SetRegional(FixedFormat()); // the report's times use the regional separator
    }
    void TearDown() override {
        fs::remove_all(dir_);
        SetModelObserver(nullptr);
        ResetRegional();
    }
    static void SetDialog(const std::string& version, const std::string& serie,
                          const std::string& eeprom) {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        cg_param_gamma.version = version;
        cg_param_gamma.serie = serie;
        cg_param_gamma.EEPROM = eeprom;
    }
    bool Exists(const std::string& name) const { return fs::exists(dir_ + "/" + name); }
    TextList Load(const std::string& name) const {
        TextList t;
        LoadTextFile(dir_ + "/" + name, t);
        return t;
    }
    // A log of three 10-minute counts from 2023-05-01 08:00.
    static Bytes ThreeCounts() {
        return Cat({kDateV34, {0xF5, 0x07, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03}});
    }
    void UseV3(const Bytes& log) {
        Fichier_conf.Version_GS = 6.5;
        SetDialog("6.5", "12345", std::to_string(log.size()));
    }

    std::string dir_;
    const std::string report_ = "gs_12345_2023-05-01_08.00_2023-05-01_08.30.txt";
};

TEST_F(TrtDump, ReportAndDownloadFile) {
    UseV3(ThreeCounts());
    ASSERT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), gs_no_error);

    const TextList report = Load(report_);
    ASSERT_EQ(report.size(), 6u);
    // The journal names it, for the user to find it again.
    EXPECT_EQ(LastDownloadReport(), dir_ + "/" + report_);
    EXPECT_NE(F_Log.back().find(GetProgramText(ProgramText::ReportWritten) + dir_ + "/" + report_),
              std::string::npos);
    EXPECT_EQ(report[0], "Gamma Scout, Serial = 12345, Version = 6.5, Conv. Factor = 0.008120");
    EXPECT_EQ(report[5].substr(0, 62),
              "2023-05-01 08:20:00    2023-05-01 08:30:00         3       600");
    // Merged into the counter's download file; no empty gs_ file is left behind.
    EXPECT_FALSE(Exists("gs_12345.txt"));
    EXPECT_EQ(F_DownLoad.size(), 3u);
    const TextList dl = Load("GS2_12345_DL.txt");
    ASSERT_EQ(dl.size(), 3u);
    EXPECT_EQ(dl[0], FormatLigneCSV(EncodeDateTime(2023, 5, 1, 8, 0, 0), 600, 1));
    EXPECT_TRUE(Exists("GS2_12345_Conf.txt"));

    // Decoding the same log again replaces the report and adds nothing to the download file.
    ASSERT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), gs_no_error);
    EXPECT_EQ(Load(report_), report);
    EXPECT_EQ(Load("GS2_12345_DL.txt"), dl);
    for (const auto& e : fs::directory_iterator(dir_)) // no temporary file left behind
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(TrtDump, HeaderLogSetsSerialAndLogSize) {
    Fichier_conf.Version_GS = 5.43;
    Fichier_conf.Serial_Compteur = 0;
    SetDialog("5.43", "?", "?");
    ASSERT_EQ(Trt_dump_GammaScout(HeaderDump(Cat({kDateV12, {0xF3, 0x00, 0x7B}}))), gs_no_error);
    {
        std::lock_guard<std::mutex> lock(cg_param_gamma.mutex);
        EXPECT_EQ(cg_param_gamma.serie, "12345");
        EXPECT_EQ(cg_param_gamma.EEPROM, "9");
    }
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 12345u);
    EXPECT_TRUE(Exists("gs_12345_2023-05-01_08.00_2023-05-01_08.10.txt"));
    EXPECT_TRUE(Exists("GS2_12345_DL.txt"));
}

TEST_F(TrtDump, NoDateRecordMergesNothing) {
    const Bytes log = {0xF5, 0x07, 0x00, 0x01, 0x00, 0x02};
    UseV3(log);
    F_Log.clear();
    EXPECT_EQ(Trt_dump_GammaScout(ChecksumDump(log)), gs_Date_Absente);
    EXPECT_TRUE(F_DownLoad.empty()); // counts without a date are no records
    ASSERT_EQ(F_Log.size(), 1u);
    EXPECT_NE(F_Log.back().find(GetMessagePgm(DLDateTimeErr) + ": 2"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir_)); // not a file written
}

TEST_F(TrtDump, CountsBeforeTheFirstDateStayOutOfTheFiles) {
    // Two counts, then the log's first date and two dated counts: the dated ones used to be
    // refused as older than the two counts dated "now".
    Fichier_conf.Version_GS = 5.43;
    SetDialog("5.43", "?", "?");
    F_Log.clear();
    const TextList dump =
        HeaderDump(Cat({{0xF3, 0x00, 0x07, 0x00, 0x08}, kDateV12, {0x00, 0x01, 0x00, 0x02}}));
    ASSERT_EQ(Trt_dump_GammaScout(dump), gs_no_error);

    const TextList dl = Load("GS2_12345_DL.txt");
    EXPECT_EQ(dl, (TextList{FormatLigneCSV(EncodeDateTime(2023, 5, 1, 8, 0, 0), 600, 1),
                            FormatLigneCSV(EncodeDateTime(2023, 5, 1, 8, 10, 0), 600, 2)}));
    // The undated counts told, then the report named.
    ASSERT_EQ(F_Log.size(), 2u);
    EXPECT_NE(F_Log[0].find(GetMessagePgm(DLDateTimeErr) + ": 2"), std::string::npos);
    // The report still lists all four intervals.
    EXPECT_EQ(Load("gs_12345_2023-05-01_08.00_2023-05-01_08.20.txt").size(), 3u + 4u);
}

TEST_F(TrtDump, EarlierRecordsOfTheGsFile) {
    UseV3(ThreeCounts());
    // Records a former decoding left: read with the new ones, the file itself not rewritten.
    const std::string gs = "2023/04/30 08:00:00;600;9\r\n\r\n";
    ASSERT_TRUE(AtomicWriteFile(dir_ + "/gs_12345.txt", gs));
    ASSERT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), gs_no_error);
    EXPECT_EQ(F_DownLoad.size(), 4u);
    EXPECT_EQ(Load("GS2_12345_DL.txt").size(), 4u);
    std::string bytes;
    ReadFileBytes(dir_ + "/gs_12345.txt", bytes);
    EXPECT_EQ(bytes, gs);
}

TEST_F(TrtDump, GsFileThatCannotBeOpenedCostsOnlyItsOwnRecords) {
    UseV3(ThreeCounts());
    fs::create_directory(dir_ + "/gs_12345.txt");
    F_Log.clear();
    ASSERT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), gs_no_error);
    EXPECT_TRUE(Exists(report_));
    EXPECT_EQ(Load("GS2_12345_DL.txt").size(), 3u);
    ASSERT_EQ(F_Log.size(), 2u);
    EXPECT_NE(F_Log[0].find(GetMessagePgm(Pb_ouvrir_fichier) + dir_ + "/gs_12345.txt"),
              std::string::npos)
        << F_Log[0];
}

TEST_F(TrtDump, FailuresToWrite) {
    UseV3(ThreeCounts());
    // The report cannot be written: an internal error, and the download file is left alone.
    fs::create_directory(dir_ + "/" + report_);
    EXPECT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), gs_erreur_interne);
    EXPECT_FALSE(Exists("GS2_12345_DL.txt"));
    fs::remove(dir_ + "/" + report_);

    // The download file cannot be written.
    fs::create_directory(dir_ + "/GS2_12345_DL.txt");
    EXPECT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), pb_ecr_fichier);
    EXPECT_TRUE(Exists(report_));

    // No data directory at all: not even the report can be written.
    Repertoire_conf = dir_ + "/missing/";
    EXPECT_EQ(Trt_dump_GammaScout(ChecksumDump(ThreeCounts())), gs_erreur_interne);
}

TEST_F(TrtDump, EffectsRunOnTheMainThread) {
    QueueMainThread main_thread;
    GetPorts().main = &main_thread;
    const std::thread::id main_id = std::this_thread::get_id();
    std::atomic<bool> observed_off_main{false};
    SetModelObserver([&](ModelWindow) {
        if (std::this_thread::get_id() != main_id) observed_off_main = true;
    });
    Fichier_conf.Version_GS = 5.43;
    SetDialog("5.43", "?", "?");
    const TextList dump = HeaderDump(Cat({kDateV12, {0xF3, 0x00, 0x7B}}));

    std::atomic<int> status{-1};
    std::thread session([&] {
        status = Trt_dump_GammaScout(dump);
        main_thread.stop();
    });
    main_thread.runFor(10000);
    session.join();
    GetPorts().main = nullptr;

    EXPECT_EQ(status, gs_no_error);
    EXPECT_FALSE(observed_off_main);
    EXPECT_EQ(F_DownLoad.size(), 1u);
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 12345u);
}

} // namespace
} // namespace zel
