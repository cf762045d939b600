// The charts' menus on the offscreen platform: each entry of the File menu and of a chart's
// context menu, with the files it writes read back, and pictures of the charts under
// <build>/screenshots/.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QXmlStreamReader>
#include <deque>
#include <filesystem>
#include <random>

#include "app/app.h"
#include "app/chart_menus.h"
#include "base/regional.h"
#include "base/textfile.h"
#include "chart/nice_chart.h"
#include "gammascout/gamma_scout.h"
#include "model/model.h"
#include "records/capture.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/texts.h"
#include "ui/chart_menus.h"
#include "ui/chart_widget.h"
#include "ui/main_window.h"
#include "ui/param_gamma_dialog.h"
#include "ui/qt_ports.h"
#include "ui/report_view.h"
#include "ui/windows.h"

using namespace zel;
using namespace zelui;

namespace {

class ScriptedDialogs : public DialogPort {
  public:
    std::vector<std::string> informations;
    std::deque<std::string> files; // empty text: cancelled
    void information(const std::string& t) override { informations.push_back(t); }
    bool okCancel(const std::string&) override { return false; }
    int yesNoCancel(const std::string&) override { return -1; }
    bool openFile(const std::string&, const std::string&, const std::string&,
                  std::string& p) override {
        return Next(p);
    }
    bool saveFile(const std::string&, const std::string&, const std::string&,
                  std::string& p) override {
        return Next(p);
    }
    void busy(bool) override {}

  private:
    bool Next(std::string& p) {
        if (files.empty()) return false;
        p = files.front();
        files.pop_front();
        return !p.empty();
    }
};

// The bars of an SVG: rectangles filled in `colour` ("#ff0000"), the fill inherited from the
// enclosing groups as the generator writes it; the one-pixel strokes of their frames aside.
int BarsIn(const QByteArray& svg, const QString& colour, bool* parsed) {
    QXmlStreamReader x(svg);
    std::vector<QString> fills{QString()};
    int bars = 0;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const QString f = x.attributes().value("fill").toString();
            fills.push_back(f.isEmpty() ? fills.back() : f);
            const auto size = [&](const char* a) { return x.attributes().value(a).toDouble(); };
            if (x.name() == u"rect" && size("width") > 1 && size("height") > 1 &&
                fills.back().compare(colour, Qt::CaseInsensitive) == 0)
                ++bars;
        } else if (x.isEndElement()) {
            fills.pop_back();
        }
    }
    *parsed = !x.hasError();
    return bars;
}

std::string MakeDir() {
    std::string tmpl = std::string(ZEL_BINARY_DIR) + "/tmp-charts-XXXXXX";
    if (!mkdtemp(tmpl.data())) return {};
    return tmpl;
}

} // namespace

class ChartMenusTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QtPorts> ports_;
    ScriptedDialogs dialogs_;
    std::string dir_;

    Tprincipal& W() { return *Windows().Principal; }

    QAction* FileEntry(const char* name) {
        auto* a = W().cg_menu_fichier->findChild<QAction*>(name);
        if (!a) qFatal("no entry %s", name);
        return a;
    }

    // n live counts a minute apart from 2026-10-16 08:00, with a pause of `gap_min` minutes
    // after the count number `gap_after` (none when 0).
    void Live(int n, int gap_after = 0, int gap_min = 0) {
        std::mt19937 gen(11);
        std::poisson_distribution<int> d(22);
        const TDateTime t0 = EncodeDateTime(2026, 10, 16, 8, 0);
        Fichier_conf.conversion_sievert_capture = 0.0057;
        for (int i = 0; i < n; ++i) {
            const int minute = i + (gap_after && i >= gap_after ? gap_min : 0);
            const TDateTime t = IncSecond(t0, 60.0 * minute);
            const int c = d(gen);
            AjoutValeurCSV(F_Capture, t, 60, c);
            SerieComptageMn->AddXY(t, c);
            SerieComptageSV->AddXY(t, c * 0.0057);
        }
        Fichier_conf.Source = CCAPTURE;
        MetAJourDate(F_Capture);
        RafraichirSource();
        ModelChanged(ModelWindow::Main);
    }

    void Page(int i) {
        W().cg_PageControl->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }

    void Save(QWidget& w, const QString& name) {
        const QString dir = QStringLiteral(ZEL_BINARY_DIR "/screenshots");
        QDir().mkpath(dir);
        QCoreApplication::processEvents();
        QVERIFY(w.grab().save(dir + "/" + name + ".png"));
    }

  private slots:
    void initTestCase() {
        ports_ = std::make_unique<QtPorts>();
        GetPorts().dialogs = &dialogs_;
        InstallModelObserver();
        SetRegional(FixedFormat());
    }

    void cleanupTestCase() {
        SetModelObserver(nullptr);
        ports_.reset();
        ResetRegional();
    }

    void init() {
        dialogs_ = ScriptedDialogs();
        dir_ = MakeDir();
        QVERIFY(!dir_.empty());
        QVERIFY(CreateWindows(dir_));
        W().show();
        QVERIFY(QTest::qWaitForWindowExposed(&W()));
    }

    void cleanup() {
        W().close();
        ReleaseWindows();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Save chart as… on each page: a PNG of the size shown, an SVG that parses and holds every
    // bar, each named in the journal; the statistics page has no chart to save.
    void saveChartAsOnEveryPage() {
        Live(30);
        struct Case {
            int page;
            ChartWidget* widget;
            const char* colour;
            size_t bars;
        } cases[] = {
            {0, W().chartComptageMn, "#ff0000", 30},
            {1, W().chartHisto, "#ffc266", 30},
            {2, W().chartGauss, "#ffc266", SerieGauss->Values.size()},
        };
        for (const Case& c : cases) {
            Page(c.page);
            const std::string png = dir_ + "/chart" + std::to_string(c.page);
            const std::string svg = dir_ + "/chart" + std::to_string(c.page) + ".SVG";
            dialogs_.files = {png, svg};
            FileEntry("cg_menuitem_enregistrer_graphique")->trigger();
            // No extension: a PNG, named so.
            QImage img(QString::fromStdString(png + ".png"));
            QVERIFY2(!img.isNull(), png.c_str());
            QCOMPARE(img.size(), c.widget->size());
            QVERIFY(F_Log.back().find(GetProgramText(ProgramText::ChartSaved) + png + ".png") !=
                    std::string::npos);

            FileEntry("cg_menuitem_enregistrer_graphique")->trigger();
            QFile f(QString::fromStdString(svg));
            QVERIFY(f.open(QIODevice::ReadOnly));
            bool parsed = false;
            const int bars = BarsIn(f.readAll(), c.colour, &parsed);
            QVERIFY(parsed);
            QCOMPARE(size_t(bars), c.bars);
        }
        Page(3);
        QVERIFY(!FileEntry("cg_menuitem_enregistrer_graphique")->isEnabled());
        QVERIFY(!FileEntry("cg_menuitem_copier_graphique")->isEnabled());
        QVERIFY(FileEntry("cg_menuitem_exporter")->isEnabled());
        // A file that cannot be written is said, not journalled as saved.
        Page(1);
        dialogs_.files = {dir_ + "/no/such/dir/chart.png"};
        FileEntry("cg_menuitem_enregistrer_graphique")->trigger();
        QCOMPARE(dialogs_.informations.size(), size_t(1));
        QVERIFY(dialogs_.informations[0].find(GetProgramText(ProgramText::FileNotWritten)) == 0);
    }

    // Copy chart puts the SVG and a picture on the clipboard, from the File menu and from the
    // chart's own context menu.
    void copyChartPutsSvgAndPicture() {
        Live(20);
        Page(1);
        QClipboard* cb = QApplication::clipboard();
        auto check = [&] {
            const QMimeData* md = cb->mimeData();
            QVERIFY(md);
            QVERIFY(md->hasFormat("image/svg+xml"));
            bool parsed = false;
            QCOMPARE(BarsIn(md->data("image/svg+xml"), "#ffc266", &parsed), 20);
            QVERIFY(parsed);
            QVERIFY(md->hasImage());
            QVERIFY(!qvariant_cast<QImage>(md->imageData()).isNull());
        };
        cb->clear();
        FileEntry("cg_menuitem_copier_graphique")->trigger();
        check();
        cb->clear();
        std::unique_ptr<QMenu> menu(ChartContextMenu(*W().chartHisto));
        menu->findChild<QAction*>("copier_graphique")->trigger();
        check();
    }

    // Export records… writes the records of the date window, whichever menu is used; a
    // cancelled dialog writes nothing.
    void exportRecordsMatchesTheRecords() {
        Live(40, 25, 90);
        // A narrower window: the records of 08:10 to 08:19 only.
        Fichier_conf.date_deb = EncodeDateTime(2026, 10, 16, 8, 10);
        Fichier_conf.date_fin = EncodeDateTime(2026, 10, 16, 8, 19);
        const std::string a = dir_ + "/records", b = dir_ + "/from-chart.csv";
        dialogs_.files = {a, b, ""};
        FileEntry("cg_menuitem_exporter")->trigger();
        std::unique_ptr<QMenu> menu(ChartContextMenu(*W().chartGauss));
        menu->findChild<QAction*>("exporter")->trigger();
        const size_t lines = F_Log.size();
        FileEntry("cg_menuitem_exporter")->trigger();
        QCOMPARE(F_Log.size(), lines);

        for (const std::string& path : {a + ".csv", b}) {
            TextList rows;
            QVERIFY2(LoadTextFile(path, rows), path.c_str());
            QCOMPARE(rows.size(), size_t(11));
            QCOMPARE(rows[0], std::string("date,period (s),count,CPM,µSv/h"));
            for (int i = 0; i < 10; ++i) {
                const TCaptureList::Entry& r = F_Capture[10 + i];
                char date[32];
                std::snprintf(date, sizeof date, "2026-10-16T08:%02d:00,60,", 10 + i);
                const std::string count = std::to_string(r.Comptage);
                QCOMPARE(rows[1 + i].substr(0, std::strlen(date) + count.size() + 1 + count.size()),
                         std::string(date) + count + "," + count);
            }
        }
        QVERIFY(F_Log.back().find(GetProgramText(ProgramText::RecordsExported) + "10 - " + b) !=
                std::string::npos);
    }

    // Pictures for a person to look at: each chart naming its units, a pause in the counts,
    // and a live chart crowded with labels. The statistics page says what the records span.
    // The report of the last download: "none yet" before one, then named in the journal, shown
    // read-only from the Counter menu, and saved where the user says.
    void reportOfTheLastDownload() {
        auto open = [this] {
            auto* a = W().cg_menu_compteur->findChild<QAction*>("cg_menuitem_rapport");
            if (!a) qFatal("no report entry");
            a->trigger();
            QCoreApplication::processEvents();
            return W().findChild<QDialog*>("report_view");
        };
        QDialog* view = open();
        QVERIFY(view);
        QCOMPARE(view->findChild<QPlainTextEdit*>("report_text")->toPlainText(),
                 ToQt(GetProgramText(ProgramText::NoReport)));
        QVERIFY(!view->findChild<QPushButton*>("report_save")->isEnabled());
        view->close();
        QCoreApplication::processEvents();

        DumpResult r;
        r.status = gs_no_error;
        r.walked = true;
        r.serie = "12345";
        r.reportName = "gs_12345_report.txt";
        r.report = {"Gamma Scout, Serial = 12345", "2023-05-01 08:00:00    2023-05-01 08:10:00"};
        QCOMPARE(int(ApplyDumpResult(r)), int(gs_no_error));
        const std::string path = LastDownloadReport();
        QVERIFY(path.find("gs_12345_report.txt") != std::string::npos);
        bool named = false;
        for (const std::string& l : F_Log)
            named |= l.find(GetProgramText(ProgramText::ReportWritten) + path) != std::string::npos;
        QVERIFY(named);

        view = open();
        QVERIFY(view);
        const auto* text = view->findChild<QPlainTextEdit*>("report_text");
        QVERIFY(text->isReadOnly());
        QVERIFY(text->toPlainText().startsWith("Gamma Scout, Serial = 12345"));
        Save(*view, "report_view");
        view->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!W().findChild<QDialog*>("report_view"));
        // The Gamma Scout dialog's status line opens it too.
        QTest::mouseClick(Windows().cg_param_gamma->etat, Qt::LeftButton);
        QCoreApplication::processEvents();
        view = Windows().cg_param_gamma->findChild<QDialog*>("report_view");
        QVERIFY(view);
        const std::string copy = dir_ + "/copy";
        dialogs_.files = {copy};
        QTest::mouseClick(view->findChild<QPushButton*>("report_save"), Qt::LeftButton);
        std::string original, saved;
        QVERIFY(ReadFileBytes(path, original));
        QVERIFY(ReadFileBytes(copy + ".txt", saved));
        QCOMPARE(saved, original);
        view->close();
    }

    void pictures() {
        Live(240, 150, 95);
        const char* names[4] = {"charts_live_gap", "charts_history_gap", "charts_distribution",
                                "charts_statistics"};
        for (int i = 0; i < 4; ++i) {
            Page(i);
            QTest::qWait(30);
            Save(W(), names[i]);
        }
        Principal.chartComptageMn->EnsureLayout();
        QCOMPARE(Principal.chartComptageMn->XGaps.size(), size_t(1));
        Principal.chartHisto->EnsureLayout();
        QCOMPARE(Principal.chartHisto->XGaps.size(), size_t(1));
        QVERIFY(!Principal.chartGauss->XRoundLabels.empty());
        QVERIFY(W().records_span->text().startsWith("240"));
        // In µSv/h.
        cg_Tab_RadioGroup_unitClick(CMSV);
        Page(0);
        Save(W(), "charts_live_dose");
        Page(2);
        Save(W(), "charts_distribution_dose");

        // Crowded: about 30 bars across the live chart, then a few hundred.
        cleanup();
        init();
        Live(30);
        Page(0);
        Save(W(), "charts_live_30");
        cleanup();
        init();
        Live(600);
        Page(0);
        Save(W(), "charts_live_600");
    }
};

QTEST_MAIN(ChartMenusTest)
#include "chart_menus_test.moc"
