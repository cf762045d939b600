#include "ui/chart_menus.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSaveFile>
#include <QTabWidget>
#include <memory>

#include "settings/texts.h"
#include "ui/chart_widget.h"
#include "ui/main_window.h"
#include "ui/qt_ports.h"

namespace zelui {

using namespace zel;

namespace {

ChartWidget* WidgetInFront(Tprincipal& w) {
    TNiceChart* c = ChartInFront();
    if (!c) return nullptr;
    for (ChartWidget* cw : {w.chartComptageMn, w.chartComptageSV, w.chartHisto, w.chartGauss})
        if (cw && cw->chart() == c) return cw;
    return nullptr;
}

void SaveAs(ChartWidget* cw) {
    if (!cw) return;
    SaveChartAs(
        [cw](const std::string& path, PictureFormat f) { return WriteChartPicture(*cw, path, f); });
}

void Copy(ChartWidget* cw) {
    if (cw) cw->copyToClipboard();
}

QString Text(ProgramText t) {
    return ToQt(GetProgramText(t));
}

} // namespace

bool WriteChartPicture(ChartWidget& w, const std::string& path, PictureFormat format) {
    const QSize size = w.size().isEmpty() ? QSize(800, 600) : w.size();
    QSaveFile file(ToQt(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (format == PictureFormat::Svg) {
        const QByteArray svg = w.createSvg(size);
        if (svg.isEmpty() || file.write(svg) != svg.size()) return false;
    } else {
        const QImage img = w.createImage(size);
        if (img.isNull() || !img.save(&file, "PNG")) return false;
    }
    return file.commit();
}

void AttachChartMenus(Tprincipal& w) {
    Tprincipal* win = &w;
    QMenu* file = w.cg_menu_fichier;
    auto entry = [&](const char* name, ProgramText text, auto&& slot) {
        auto* a = new QAction(Text(text), file);
        a->setObjectName(name);
        QObject::connect(a, &QAction::triggered, file, slot);
        file->insertAction(w.cg_menuitem_pref, a);
        return a;
    };
    QAction* copy = entry("cg_menuitem_copier_graphique", ProgramText::CopyChart,
                          [win] { Copy(WidgetInFront(*win)); });
    QAction* save = entry("cg_menuitem_enregistrer_graphique", ProgramText::SaveChartAs,
                          [win] { SaveAs(WidgetInFront(*win)); });
    QAction* exp =
        entry("cg_menuitem_exporter", ProgramText::ExportRecords, [] { ExportRecordsClick(); });
    file->insertSeparator(w.cg_menuitem_pref);
    // Texts in the language of the moment; the chart entries only while a chart is in front.
    auto refresh = [win, copy, save, exp] {
        copy->setText(Text(ProgramText::CopyChart));
        save->setText(Text(ProgramText::SaveChartAs));
        exp->setText(Text(ProgramText::ExportRecords));
        const bool chart = WidgetInFront(*win) != nullptr;
        copy->setEnabled(chart);
        save->setEnabled(chart);
    };
    QObject::connect(file, &QMenu::aboutToShow, file, refresh);
    QObject::connect(w.cg_PageControl, &QTabWidget::currentChanged, file, refresh);

    for (ChartWidget* cw : {w.chartComptageMn, w.chartComptageSV, w.chartHisto, w.chartGauss}) {
        cw->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(cw, &QWidget::customContextMenuRequested, cw, [cw](const QPoint& pt) {
            std::unique_ptr<QMenu> menu(ChartContextMenu(*cw));
            menu->exec(cw->mapToGlobal(pt));
        });
    }
}

QMenu* ChartContextMenu(ChartWidget& w) {
    ChartWidget* cw = &w;
    auto* menu = new QMenu(cw);
    QAction* copy = menu->addAction(Text(ProgramText::CopyChart));
    copy->setObjectName("copier_graphique");
    QObject::connect(copy, &QAction::triggered, cw, [cw] { Copy(cw); });
    QAction* save = menu->addAction(Text(ProgramText::SaveChartAs));
    save->setObjectName("enregistrer_graphique");
    QObject::connect(save, &QAction::triggered, cw, [cw] { SaveAs(cw); });
    menu->addSeparator();
    QAction* exp = menu->addAction(Text(ProgramText::ExportRecords));
    exp->setObjectName("exporter");
    QObject::connect(exp, &QAction::triggered, cw, [] { ExportRecordsClick(); });
    return menu;
}

} // namespace zelui
