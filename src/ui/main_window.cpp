#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/connection_state.h"
#include "base/datetime.h"
#include "base/regional.h"
#include "session/emission.h"
#include "settings/config.h"
#include "settings/texts.h"
#include "ui/about_box.h"
#include "ui/chart_menus.h"
#include "ui/chart_widget.h"
#include "ui/connection_dialog.h"
#include "ui/param_gamma_dialog.h"
#include "ui/param_vorn_dialog.h"
#include "ui/preferences_dialog.h"
#include "ui/qt_ports.h"
#include "ui/report_view.h"
#include "ui/widgets.h"
#include "ui/windows.h"

namespace zelui {

using namespace zel;

namespace {

constexpr int kClientWidth = 753;
constexpr int kClientHeight = 669;

QLineEdit* ReadOnlyField(QWidget* parent, Qt::Alignment align = Qt::AlignRight) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setAlignment(align | Qt::AlignVCenter);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

QLabel* Label(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

// Setters that leave a widget alone when it already shows the value, so the cursor and
// selection of a field are not reset by an unrelated change of the model.
void SetText(QLineEdit* e, const std::string& s) {
    const QString q = ToQt(s);
    if (e->text() != q) e->setText(q);
}

QDateTime ToQDateTime(TDateTime t) {
    const DateTimeParts p = DecodeDateTime(t);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec));
}

TDateTime FromQDateTime(const QDateTime& d) {
    return EncodeDateTime(d.date().year(), d.date().month(), d.date().day(), d.time().hour(),
                          d.time().minute(), d.time().second(), d.time().msec());
}

// The regional short date ("DD/MM/YYYY") as Qt writes it ("dd/MM/yyyy").
QString PickerFormat() {
    QString f = ToQt(Regional().short_date);
    f.replace("YYYY", "yyyy").replace("DD", "dd").replace('/', QChar(Regional().date_sep));
    return f;
}

} // namespace

Tprincipal::Tprincipal(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Principal");
    setWindowTitle("Zelvanor");
    setWindowIcon(QIcon(AppIconPixmap(64)));

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    BuildTop(client);
    BuildPages(client);
    BuildBottom(client);
    BuildMenus();
    AttachChartMenus(*this);
    AttachReportMenu(*this);

    FlipTimer.setSingleShot(false);
    connect(&FlipTimer, &QTimer::timeout, this, [this] {
        FlipTimerTimer();
        // The next blink fires after the time the model asks for.
        if (Principal.FlipTimer_enabled) FlipTimer.setInterval(Principal.FlipTimer_interval);
    });

    connect(&close_retry, &QTimer::timeout, this, [this] {
        if (!AppCommandInProgress()) close();
    });

    connection_label = new QLabel(this);
    connection_label->setObjectName("connection_label");
    statusBar()->addPermanentWidget(connection_label, 1);
    statusBar()->setSizeGripEnabled(false);
    connect(&connection_timer, &QTimer::timeout, this, [] {
        if (AppRunning()) ConnectionTick();
    });
    connection_timer.start(250);

    ApplyTexts();
    // Fixed size, no maximise.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

Tprincipal::~Tprincipal() = default;

void Tprincipal::BuildTop(QWidget* client) {
    cg_info_status = new QPlainTextEdit(client);
    cg_info_status->setObjectName("cg_info_status");
    cg_info_status->setReadOnly(true);
    cg_info_status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long lines (a Gamma Scout's hex dump) wrap, so the newest line is always in view.
    cg_info_status->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    cg_info_status->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    cg_info_status->setGeometry(4, 4, 485, 104);

    auto* live = new QFrame(client);
    live->setFrameShape(QFrame::StyledPanel);
    live->setGeometry(499, 4, 246, 103);
    QFont big = font();
    big.setPointSize(18);
    big.setBold(true);
    cg_cpm_mn = ReadOnlyField(live);
    cg_cpm_mn->setObjectName("cg_cpm_mn");
    cg_cpm_mn->setFont(big);
    cg_cpm_mn->setGeometry(6, 8, 104, 40);
    cg_sv_H = ReadOnlyField(live);
    cg_sv_H->setObjectName("cg_sv_H");
    cg_sv_H->setFont(big);
    cg_sv_H->setGeometry(6, 55, 104, 40);
    Label("CPM", live)->setGeometry(114, 18, 44, 20);
    Label("µSv/h", live)->setGeometry(114, 65, 44, 20);
    alarm_area = new AlarmArea(live);
    alarm_area->setObjectName("alarm_area");
    alarm_area->move(160, 11);
    cg_ra_i = new AlarmPicture(false, alarm_area);
    cg_ra_i->setObjectName("cg_ra_i");
    cg_ra_a = new AlarmPicture(true, alarm_area);
    cg_ra_a->setObjectName("cg_ra_a");
    cg_ra_a->hide();
    // The area takes the clicks: a single click stops a raised alarm as a double click does,
    // on whichever picture is in front.
    cg_ra_i->setAttribute(Qt::WA_TransparentForMouseEvents);
    cg_ra_a->setAttribute(Qt::WA_TransparentForMouseEvents);
    alarm_area->onClick = [] { cg_ra_iClick(); };
    alarm_area->onDoubleClick = [] { cg_ra_iClick(); };

    const int y = 114;
    label_enr = Label("Enr.", client);
    label_enr->setGeometry(6, y, 34, 22);
    enr = ReadOnlyField(client);
    enr->setObjectName("enr");
    enr->setGeometry(40, y, 70, 22);
    Label("Com", client)->setGeometry(120, y, 30, 22);
    cg_indicator = new Indicator(client);
    cg_indicator->setObjectName("cg_indicator");
    cg_indicator->move(150, y + 3);
    cg_alarme_active = new QCheckBox(client);
    cg_alarme_active->setObjectName("cg_alarme_active");
    cg_alarme_active->setGeometry(180, y, 120, 22);
    cg_alarme_sonore = new QCheckBox(client);
    cg_alarme_sonore->setObjectName("cg_alarme_sonore");
    cg_alarme_sonore->setGeometry(304, y, 124, 22);
    Label("CpM", client)->setGeometry(436, y, 32, 22);
    cg_seuil_alarme = new QSpinBox(client);
    cg_seuil_alarme->setObjectName("cg_seuil_alarme");
    cg_seuil_alarme->setRange(0, 9999);
    cg_seuil_alarme->setAlignment(Qt::AlignRight);
    cg_seuil_alarme->setGeometry(468, y, 72, 22);
    Label("µSv/h", client)->setGeometry(552, y, 40, 22);
    cg_seuil_alarme_SV = ReadOnlyField(client);
    cg_seuil_alarme_SV->setObjectName("cg_seuil_alarme_SV");
    cg_seuil_alarme_SV->setGeometry(594, y, 90, 22);
    broker_label = Label("MQTT", client);
    broker_label->setObjectName("broker_label");
    broker_label->setGeometry(694, y, 38, 22);
    broker_indicator = new Indicator(client);
    broker_indicator->setObjectName("broker_indicator");
    broker_indicator->move(732, y + 3);

    connect(cg_alarme_active, &QCheckBox::clicked, this, [](bool c) { cg_alarme_activeClick(c); });
    connect(cg_alarme_sonore, &QCheckBox::clicked, this, [](bool c) { cg_alarme_sonoreClick(c); });
    connect(cg_seuil_alarme, &QSpinBox::valueChanged, this, [this](int v) {
        if (!updating_) cg_seuil_alarmeChange(v);
    });
}

void Tprincipal::BuildPages(QWidget* client) {
    cg_PageControl = new QTabWidget(client);
    cg_PageControl->setObjectName("cg_PageControl");
    cg_PageControl->setGeometry(6, 142, 740, 462);

    // Capture: the two live charts in one place, the 24-hour means below them.
    TabSheet1 = new QWidget;
    auto* v1 = new QVBoxLayout(TabSheet1);
    v1->setContentsMargins(0, 0, 0, 4);
    v1->setSpacing(4);
    chartComptageMn = new ChartWidget(nullptr, TabSheet1);
    chartComptageMn->setObjectName("chartComptageMn");
    chartComptageSV = new ChartWidget(nullptr, TabSheet1);
    chartComptageSV->setObjectName("chartComptageSV");
    v1->addWidget(chartComptageMn, 1);
    v1->addWidget(chartComptageSV, 1);
    auto* h24 = new QHBoxLayout;
    h24->setContentsMargins(8, 0, 8, 0);
    label_moy_24h = Label("", TabSheet1);
    cg_tr_moy_cpm = ReadOnlyField(TabSheet1);
    cg_tr_moy_cpm->setObjectName("cg_tr_moy_cpm");
    cg_tr_moy_cpm->setFixedWidth(80);
    cg_tr_moy_sv = ReadOnlyField(TabSheet1);
    cg_tr_moy_sv->setObjectName("cg_tr_moy_sv");
    cg_tr_moy_sv->setFixedWidth(80);
    h24->addWidget(label_moy_24h);
    h24->addSpacing(8);
    h24->addWidget(cg_tr_moy_cpm);
    h24->addWidget(Label("CPM", TabSheet1));
    h24->addSpacing(16);
    h24->addWidget(cg_tr_moy_sv);
    h24->addWidget(Label("µSv/h", TabSheet1));
    h24->addStretch(1);
    v1->addLayout(h24);

    // Graphique: the history chart fills the page (its placeholder is 20 pixels shorter).
    TabSheet2 = new QWidget;
    auto* v2 = new QVBoxLayout(TabSheet2);
    v2->setContentsMargins(0, 0, 0, 0);
    chartHisto = new ChartWidget(nullptr, TabSheet2);
    chartHisto->setObjectName("chartHisto");
    v2->addWidget(chartHisto);

    // Gaussienne: 2 pixels right of and below the page's corner.
    TabSheet3 = new QWidget;
    auto* v3 = new QVBoxLayout(TabSheet3);
    v3->setContentsMargins(2, 2, 0, 0);
    chartGauss = new ChartWidget(nullptr, TabSheet3);
    chartGauss->setObjectName("chartGauss");
    v3->addWidget(chartGauss);

    // Statistiques.
    TabSheet4 = new QWidget;
    auto* outer = new QVBoxLayout(TabSheet4);
    outer->setContentsMargins(24, 24, 24, 24);
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(14);
    auto field = [this](const char* name) {
        QLineEdit* e = ReadOnlyField(TabSheet4);
        e->setObjectName(name);
        e->setFixedWidth(110);
        return e;
    };
    label_moyenne = Label("", TabSheet4);
    label_max = Label("", TabSheet4);
    label_nb_events = Label("", TabSheet4);
    label_facteur = Label("", TabSheet4);
    label_ecart_type = Label("", TabSheet4);
    cg_moyenne_cpm = field("cg_moyenne_cpm");
    cg_moyenne_Sv = field("cg_moyenne_Sv");
    Cg_max_CPM = field("Cg_max_CPM");
    Cg_Max_SV = field("Cg_Max_SV");
    cg_date_max = field("cg_date_max");
    cg_date_max->setFixedWidth(140);
    cg_nb_events = field("cg_nb_events");
    cg_facteur_conversion = field("cg_facteur_conversion");
    cg_ecart_type_CPM = field("cg_ecart_type_CPM");
    cg_ecart_type_SV = field("cg_ecart_type_SV");
    g->addWidget(Label("CPM", TabSheet4), 0, 1, Qt::AlignHCenter);
    g->addWidget(Label("µSv/h", TabSheet4), 0, 2, Qt::AlignHCenter);
    g->addWidget(label_moyenne, 1, 0);
    g->addWidget(cg_moyenne_cpm, 1, 1);
    g->addWidget(cg_moyenne_Sv, 1, 2);
    g->addWidget(label_max, 2, 0);
    g->addWidget(Cg_max_CPM, 2, 1);
    g->addWidget(Cg_Max_SV, 2, 2);
    g->addWidget(cg_date_max, 2, 3);
    g->addWidget(label_ecart_type, 3, 0);
    g->addWidget(cg_ecart_type_CPM, 3, 1);
    g->addWidget(cg_ecart_type_SV, 3, 2);
    g->addWidget(label_nb_events, 4, 0);
    g->addWidget(cg_nb_events, 4, 1);
    g->addWidget(label_facteur, 5, 0);
    g->addWidget(cg_facteur_conversion, 5, 1);
    label_records_span = Label("", TabSheet4);
    records_span = ReadOnlyField(TabSheet4, Qt::AlignLeft);
    records_span->setObjectName("records_span");
    g->addWidget(label_records_span, 6, 0);
    g->addWidget(records_span, 6, 1, 1, 3);
    g->setColumnMinimumWidth(0, 150);
    outer->addLayout(g);
    outer->addStretch(1);

    cg_PageControl->addTab(TabSheet1, "");
    cg_PageControl->addTab(TabSheet2, "");
    cg_PageControl->addTab(TabSheet3, "");
    cg_PageControl->addTab(TabSheet4, "");

    connect(cg_PageControl, &QTabWidget::currentChanged, this, [this](int i) {
        if (updating_) return;
        const int before = Principal.cg_PageControl;
        Principal.cg_PageControl = i;
        if (i == 0)
            TabSheet1Show();
        else if (before == 0)
            TabSheet1Hide();
    });

    // The zoom selection on the history chart.
    auto button = [](int b) {
        return b == Qt::LeftButton    ? TMouseButton::Left
               : b == Qt::RightButton ? TMouseButton::Right
                                      : TMouseButton::Middle;
    };
    chartHisto->onMouseDown = [button](int b, int x, int y) {
        ChartMouseClickDown(button(b), x, y);
    };
    chartHisto->onMouseMove = [](int x, int y) { ChartMouseMove(x, y); };
    chartHisto->onMouseUp = [button](int b, int x, int y) { ChartMouseClickUP(button(b), x, y); };
}

void Tprincipal::BuildBottom(QWidget* client) {
    const int y = 608;
    cg_Tab_RadioGroup_unit = new QGroupBox(client);
    cg_Tab_RadioGroup_unit->setObjectName("cg_Tab_RadioGroup_unit");
    cg_Tab_RadioGroup_unit->setGeometry(6, y, 180, 56);
    unit_group = new QButtonGroup(this);
    auto* hu = new QHBoxLayout(cg_Tab_RadioGroup_unit);
    hu->setContentsMargins(8, 2, 8, 4);
    const char* units[2] = {"µSv/h", "CPM"};
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(units[i], cg_Tab_RadioGroup_unit);
        unit_group->addButton(r, i);
        hu->addWidget(r);
    }
    connect(unit_group, &QButtonGroup::idClicked, this,
            [](int id) { cg_Tab_RadioGroup_unitClick(id); });

    cg_source = new QGroupBox("Source", client);
    cg_source->setObjectName("cg_source");
    cg_source->setGeometry(356, y, 196, 56);
    source_group = new QButtonGroup(this);
    auto* hs = new QHBoxLayout(cg_source);
    hs->setContentsMargins(8, 2, 8, 4);
    for (int i = 0; i < 2; ++i) {
        source_items[i] = new QRadioButton(cg_source);
        source_group->addButton(source_items[i], i);
        hs->addWidget(source_items[i]);
    }
    connect(source_group, &QButtonGroup::idClicked, this, [](int id) { cg_sourceClick(id); });

    cg_reset = new QPushButton("Reset", client);
    cg_reset->setObjectName("cg_reset");
    cg_reset->setGeometry(558, y + 16, 60, 28);
    connect(cg_reset, &QPushButton::clicked, this, [] { cg_resetClick(); });

    auto picker = [&](const char* name, int py) {
        auto* d = new QDateTimeEdit(client);
        d->setObjectName(name);
        d->setCalendarPopup(true);
        d->setDisplayFormat(PickerFormat());
        d->setGeometry(624, py, 122, 24);
        return d;
    };
    cg_date_deb = picker("cg_date_deb", y + 4);
    cg_date_fin = picker("cg_date_fin", y + 32);
    connect(cg_date_deb, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& d) {
        if (!updating_) cg_date_debChange(FromQDateTime(d));
    });
    connect(cg_date_fin, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& d) {
        if (!updating_) cg_date_finChange(FromQDateTime(d));
    });
}

void Tprincipal::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* m, const char* name, auto&& slot) {
        QAction* a = m->addAction("");
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    cg_menu_fichier = bar->addMenu("");
    cg_menu_fichier->setObjectName("cg_menu_fichier");
    cg_menuitem_connexion =
        item(cg_menu_fichier, "cg_menuitem_connexion", [this] { cg_menuitem_connexionClick(); });
    cg_menuitem_ouvrir =
        item(cg_menu_fichier, "cg_menuitem_ouvrir", [] { cg_menuitem_ouvrirClick(); });
    cg_menuitem_pref =
        item(cg_menu_fichier, "cg_menuitem_pref", [this] { cg_menuitem_prefClick(); });
    cg_menuitme_quitter = item(cg_menu_fichier, "cg_menuitme_quitter", [this] { close(); });

    cg_menu_compteur = bar->addMenu("");
    cg_menu_compteur->setObjectName("cg_menu_compteur");
    cg_menuitem_B = item(cg_menu_compteur, "cg_menuitem_B", [] { cg_menuitem_BClick(); });
    cg_menuitem_F = item(cg_menu_compteur, "cg_menuitem_F", [] { cg_menuitem_FClick(); });
    cg_menuitem_V = item(cg_menu_compteur, "cg_menuitem_V", [] { cg_menuitem_VClick(); });
    cg_menuitem_D = item(cg_menu_compteur, "cg_menuitem_D", [] { cg_menuitem_DClick(); });
    cg_menuitem_I = item(cg_menu_compteur, "cg_menuitem_I", [] { cg_menuitem_IClick(); });
    cg_menu_param_compteur =
        item(cg_menu_compteur, "cg_menu_param_compteur", [this] { cg_menu_param_compteurClick(); });
    cg_menu_get_data = item(cg_menu_compteur, "cg_menu_get_data", [] { cg_menu_get_dataClick(); });
    cg_menuitem_Mode_PC =
        item(cg_menu_compteur, "cg_menuitem_Mode_PC", [] { cg_menuitem_Mode_PCClick(); });
    cg_menuitem_Mode_acq =
        item(cg_menu_compteur, "cg_menuitem_Mode_acq", [] { cg_menuitem_Mode_acqClick(); });
    cg_menuitem_RazMemoire =
        item(cg_menu_compteur, "cg_menuitem_RazMemoire", [] { cg_menuitem_RazMemoireClick(); });
    // These two keep their built-in texts in every language.
    cg_menuitem_B->setText("Re-&Boot");
    cg_menuitem_D->setText("&Download");

    cg_menu_outils = bar->addMenu("");
    cg_menu_outils->setObjectName("cg_menu_outils");
    cg_menuitem_CombineCSV =
        item(cg_menu_outils, "cg_menuitem_CombineCSV", [] { cg_menuitem_CombineCSVClick(); });

    MenuItem4 = bar->addMenu("");
    MenuItem4->setObjectName("MenuItem4");
    cg_menu_aide = item(MenuItem4, "cg_menu_aide", [] { cg_menu_aideClick(); });
    cg_menu_a_propos = item(MenuItem4, "cg_menu_a_propos", [this] { cg_menu_a_proposClick(); });
}

void Tprincipal::ApplyTexts() {
    const auto& t = Principal.textes;
    if (t.size() < 40) return;
    applied_texts_ = t;
    auto q = [&](int i) { return ToQt(t[i]); };
    cg_ra_i->setProperty("hintText", q(1));
    cg_ra_a->setProperty("hintText", q(1));
    cg_alarme_active->setText(q(2));
    cg_alarme_sonore->setText(q(3));
    cg_seuil_alarme->setToolTip(q(4));
    cg_seuil_alarme_SV->setToolTip(q(5));
    for (int i = 0; i < 4; ++i)
        cg_PageControl->setTabText(i, q(6 + i));
    label_moy_24h->setText(q(10));
    label_moyenne->setText(q(11));
    label_max->setText(q(12));
    label_nb_events->setText(q(13));
    label_facteur->setText(q(14));
    label_ecart_type->setText(q(15));
    cg_nb_events->setToolTip(q(16));
    label_records_span->setText(ToQt(GetProgramText(ProgramText::RecordsSpan)));
    cg_Tab_RadioGroup_unit->setTitle(q(17));
    cg_menu_fichier->setTitle(q(18));
    cg_menuitem_connexion->setText(q(19));
    cg_menuitem_pref->setText(q(20));
    cg_menuitem_ouvrir->setText(q(21));
    cg_menuitme_quitter->setText(q(22));
    MenuItem4->setTitle(q(23));
    cg_menu_aide->setText(q(24));
    cg_menu_a_propos->setText(q(25));
    cg_menu_compteur->setTitle(q(26));
    cg_menuitem_F->setText(q(27));
    cg_menuitem_V->setText(q(28));
    cg_menuitem_I->setText(q(29));
    cg_menuitem_Mode_PC->setText(q(30));
    cg_menuitem_Mode_acq->setText(q(31));
    cg_menuitem_RazMemoire->setText(q(32));
    cg_menu_outils->setTitle(q(33));
    cg_menuitem_CombineCSV->setText(q(34));
    cg_menu_param_compteur->setText(q(35));
    cg_menu_get_data->setText(q(36));
    source_items[0]->setText(q(37));
    source_items[1]->setText(q(38));
    label_enr->setText(q(39));
}

void Tprincipal::UpdateFromModel() {
    const TprincipalModel& m = Principal;
    updating_ = true;

    setWindowTitle(m.caption.empty() ? QString("Zelvanor") : ToQt(m.caption));
    if (m.textes != applied_texts_) ApplyTexts();

    AppendStatusLines();
    ShowLiveValues();
    SetText(enr, m.enr);
    cg_indicator->setColor(m.cg_indicator);
    cg_indicator->setToolTip(ToQt(m.connection_text));
    broker_label->setVisible(m.broker_shown);
    broker_indicator->setVisible(m.broker_shown);
    broker_indicator->setColor(m.broker_indicator);
    broker_label->setToolTip(ToQt(m.broker_text));
    broker_indicator->setToolTip(ToQt(m.broker_text));
    if (connection_label->text() != ToQt(m.connection_text))
        connection_label->setText(ToQt(m.connection_text));

    cg_ra_a->setVisible(m.cg_ra_a_visible);
    cg_ra_i->setVisible(m.cg_ra_i_visible);
    const QString hint = m.alarm_hints ? cg_ra_i->property("hintText").toString() : QString();
    alarm_area->setToolTip(hint);
    // While the alarm blinks, the way to stop it is written where the user looks too.
    const QString stopHint =
        m.alarm_hints ? ToQt(GetProgramText(ProgramText::StopAlarmHint)) : QString();
    if (statusBar()->currentMessage() != stopHint) {
        if (stopHint.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(stopHint);
    }
    if (m.FlipTimer_enabled) {
        FlipTimer.setInterval(m.FlipTimer_interval);
        if (!FlipTimer.isActive()) FlipTimer.start();
    } else {
        FlipTimer.stop();
    }

    if (cg_alarme_active->isChecked() != m.cg_alarme_active)
        cg_alarme_active->setChecked(m.cg_alarme_active);
    if (cg_alarme_sonore->isChecked() != m.cg_alarme_sonore)
        cg_alarme_sonore->setChecked(m.cg_alarme_sonore);
    cg_alarme_sonore->setEnabled(m.cg_alarme_sonore_enabled);
    if (cg_seuil_alarme->value() != m.cg_seuil_alarme) cg_seuil_alarme->setValue(m.cg_seuil_alarme);
    SetText(cg_seuil_alarme_SV, m.cg_seuil_alarme_SV);

    SetText(cg_tr_moy_cpm, m.cg_tr_moy_cpm);
    SetText(cg_tr_moy_sv, m.cg_tr_moy_sv);
    SetText(cg_moyenne_cpm, m.cg_moyenne_cpm);
    SetText(cg_moyenne_Sv, m.cg_moyenne_Sv);
    SetText(Cg_max_CPM, m.Cg_max_CPM);
    SetText(Cg_Max_SV, m.Cg_Max_SV);
    SetText(cg_date_max, m.cg_date_max);
    SetText(cg_nb_events, m.cg_nb_events);
    SetText(records_span, m.records_span);
    SetText(cg_facteur_conversion, m.cg_facteur_conversion);
    SetText(cg_ecart_type_CPM, m.cg_ecart_type_CPM);
    SetText(cg_ecart_type_SV, m.cg_ecart_type_SV);

    // Attaching a chart lays it out again: only when the chart itself changed.
    const std::pair<ChartWidget*, TNiceChart*> charts[4] = {{chartComptageMn, m.chartComptageMn},
                                                            {chartComptageSV, m.chartComptageSV},
                                                            {chartHisto, m.chartHisto},
                                                            {chartGauss, m.chartGauss}};
    for (const auto& [w, c] : charts)
        if (w->chart() != c) w->setChart(c);
    chartComptageMn->setVisible(m.chartComptageMn_visible);
    chartComptageSV->setVisible(m.chartComptageSV_visible);

    if (auto* b = unit_group->button(m.cg_Tab_RadioGroup_unit); b && !b->isChecked())
        b->setChecked(true);
    if (auto* b = source_group->button(m.cg_source); b && !b->isChecked()) b->setChecked(true);
    cg_source->setVisible(m.cg_selection_visible);
    cg_reset->setVisible(m.cg_selection_visible);
    cg_date_deb->setVisible(m.cg_selection_visible);
    cg_date_fin->setVisible(m.cg_selection_visible);
    if (m.date_debut != 0 && FromQDateTime(cg_date_deb->dateTime()) != m.date_debut)
        cg_date_deb->setDateTime(ToQDateTime(m.date_debut));
    if (m.date_fin != 0 && FromQDateTime(cg_date_fin->dateTime()) != m.date_fin)
        cg_date_fin->setDateTime(ToQDateTime(m.date_fin));
    if (cg_PageControl->currentIndex() != m.cg_PageControl)
        cg_PageControl->setCurrentIndex(m.cg_PageControl);

    // No counter command while another one is waiting for its reply.
    cg_menu_compteur->setEnabled(m.cg_menu_compteur_enabled && !m.commande_en_cours);
    cg_menuitem_B->setEnabled(m.cg_menuitem_B_enabled);
    cg_menuitem_F->setEnabled(m.cg_menuitem_F_enabled);
    cg_menuitem_V->setEnabled(m.cg_menuitem_V_enabled);
    cg_menuitem_D->setEnabled(m.cg_menuitem_D_enabled);
    cg_menuitem_I->setEnabled(m.cg_menuitem_I_enabled);
    cg_menu_param_compteur->setEnabled(m.cg_menu_param_compteur_enabled);
    cg_menu_get_data->setEnabled(m.cg_menu_get_data_enabled);
    cg_menuitem_Mode_PC->setEnabled(m.cg_menuitem_Mode_PC_enabled);
    cg_menuitem_Mode_acq->setEnabled(m.cg_menuitem_Mode_acq_enabled);
    cg_menuitem_RazMemoire->setEnabled(m.cg_menuitem_RazMemoire_enabled);
    cg_menuitem_connexion->setEnabled(!m.commande_en_cours);

    updating_ = false;
}

// The status box shows the new lines only; a cleared list clears the box. It follows the newest
// line unless the user has scrolled up to read.
void Tprincipal::AppendStatusLines() {
    const TprincipalModel& m = Principal;
    if (m.cg_info_status.size() < status_lines_shown_) {
        cg_info_status->clear();
        status_lines_shown_ = 0;
    }
    if (status_lines_shown_ == m.cg_info_status.size()) return;
    QScrollBar* v = cg_info_status->verticalScrollBar();
    const bool following = v->value() >= v->maximum();
    for (; status_lines_shown_ < m.cg_info_status.size(); ++status_lines_shown_)
        cg_info_status->appendPlainText(ToQt(m.cg_info_status[status_lines_shown_]));
    if (following) {
        v->setValue(v->maximum());
        cg_info_status->horizontalScrollBar()->setValue(0);
    }
}

// The last values, greyed with the time of the last count while the counter is silent or lost.
void Tprincipal::ShowLiveValues() {
    const TprincipalModel& m = Principal;
    SetText(cg_cpm_mn, m.cg_cpm_mn.empty() ? "0" : m.cg_cpm_mn);
    SetText(cg_sv_H, m.cg_sv_H.empty() ? "0.000" : m.cg_sv_H);
    const QString tip = ToQt(m.live_stale_hint);
    for (QLineEdit* e : {cg_cpm_mn, cg_sv_H}) {
        if (e->property("stale").toBool() != m.live_stale) {
            QPalette pal = e->palette();
            pal.setColor(QPalette::Text, m.live_stale
                                             ? QColor(0x90, 0x90, 0x90)
                                             : QApplication::palette().color(QPalette::Text));
            e->setPalette(pal);
            e->setProperty("stale", m.live_stale);
        }
        if (e->toolTip() != tip) e->setToolTip(tip);
    }
}

void Tprincipal::cg_menuitem_connexionClick() {
    if (auto* d = Windows().cg_Connection) d->exec();
}

void Tprincipal::cg_menuitem_prefClick() {
    if (auto* d = Windows().cg_preference) d->exec();
}

void Tprincipal::cg_menu_param_compteurClick() {
    switch (ParamDialogPourModele(Fichier_conf.type_compteur_Capture)) {
    case 1:
        if (auto* d = Windows().cg_param_vornx) d->exec();
        break;
    case 2:
        if (auto* d = Windows().cg_param_gamma) d->exec();
        break;
    default:
        break;
    }
}

void Tprincipal::cg_menu_a_proposClick() {
    if (auto* d = Windows().cg_a_propos) d->exec();
}

void Tprincipal::closeEvent(QCloseEvent* e) {
    // A command waiting for its reply, or a reply handler, runs this very event loop: releasing
    // the session under it would pull the session from under that wait. The command is told to
    // end, and the close follows as soon as it has returned.
    if (!shutdown_done && AppCommandInProgress()) {
        e->ignore();
        AppCloseDuringCommand();
        if (!close_retry.isActive()) close_retry.start(20);
        return;
    }
    close_retry.stop();
    if (!shutdown_done) {
        shutdown_done = true;
        FlipTimer.stop();
        AppShutdown();
    }
    e->accept();
}

} // namespace zelui
