#include "ui/report_view.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "app/report_view.h"
#include "gammascout/gamma_scout.h"
#include "settings/texts.h"
#include "ui/main_window.h"
#include "ui/qt_ports.h"

namespace zelui {

using namespace zel;

namespace {

QString Text(ProgramText t) {
    return ToQt(GetProgramText(t));
}

class ReportOnClick : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = static_cast<QWidget*>(o);
        const bool report = !LastDownloadReport().empty();
        if (e->type() == QEvent::Enter) {
            w->setCursor(report ? Qt::PointingHandCursor : Qt::ArrowCursor);
            w->setToolTip(report ? Text(ProgramText::ReportMenu) : QString());
        } else if (e->type() == QEvent::MouseButtonRelease && report) {
            NewReportView(w->window())->open();
            return true;
        }
        return false;
    }
};

} // namespace

QDialog* NewReportView(QWidget* parent) {
    std::string path, text;
    const bool found = LastReport(path, text);

    auto* dlg = new QDialog(parent);
    dlg->setObjectName("report_view");
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowTitle(found ? QFileInfo(ToQt(path)).fileName() : Text(ProgramText::ReportMenu));
    auto* view = new QPlainTextEdit(dlg);
    view->setObjectName("report_text");
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The report's columns line up only in a fixed-width font.
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setPlainText(ToQt(text));
    auto* buttons = new QDialogButtonBox(dlg);
    QPushButton* save =
        buttons->addButton(Text(ProgramText::ReportSaveAs), QDialogButtonBox::ActionRole);
    save->setObjectName("report_save");
    save->setEnabled(found);
    QPushButton* close =
        buttons->addButton(Text(ProgramText::ReportClose), QDialogButtonBox::RejectRole);
    close->setObjectName("report_close");
    QObject::connect(save, &QPushButton::clicked, dlg, [text] { SaveReportAs(text); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    auto* layout = new QVBoxLayout(dlg);
    layout->addWidget(view);
    layout->addWidget(buttons);
    dlg->resize(760, 560);
    return dlg;
}

void AttachReportMenu(Tprincipal& w) {
    QMenu* counter = w.cg_menu_compteur;
    auto* a = new QAction(Text(ProgramText::ReportMenu), counter);
    a->setObjectName("cg_menuitem_rapport");
    // Right below the download that writes the report.
    const QList<QAction*> all = counter->actions();
    const qsizetype i = all.indexOf(w.cg_menu_get_data);
    counter->insertAction(i >= 0 && i + 1 < all.size() ? all[i + 1] : nullptr, a);
    Tprincipal* win = &w;
    QObject::connect(a, &QAction::triggered, counter, [win] { NewReportView(win)->open(); });
    QObject::connect(counter, &QMenu::aboutToShow, counter,
                     [a] { a->setText(Text(ProgramText::ReportMenu)); });
}

void OpenReportOnClick(QWidget* w) {
    w->installEventFilter(new ReportOnClick(w));
}

} // namespace zelui
