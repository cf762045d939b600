#include "ui/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "model/model.h"
#include "settings/texts.h"
#include "ui/qt_ports.h"

namespace zelui {

using namespace zel;

namespace {
void FillCombo(QComboBox* c, const std::vector<std::string>& items, int index) {
    QStringList wanted;
    for (const auto& s : items)
        wanted << ToQt(s);
    QStringList shown;
    for (int i = 0; i < c->count(); ++i)
        shown << c->itemText(i);
    if (shown != wanted) {
        c->clear();
        c->addItems(wanted);
    }
    c->setCurrentIndex(index);
}
} // namespace

Tcg_preference::Tcg_preference(QWidget* parent) : QDialog(parent) {
    setObjectName("cg_preference");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(420, 282);
    setModal(true);

    const int lx = 12, fx = 150, fw = 258;
    Label3 = new QLabel(this);
    Label3->setGeometry(lx, 16, 134, 24);
    cg_pref_langue = new QComboBox(this);
    cg_pref_langue->setObjectName("cg_pref_langue");
    cg_pref_langue->setGeometry(fx, 16, fw, 26);

    Label2 = new QLabel(this);
    Label2->setGeometry(lx, 54, 134, 24);
    cg_pref_rep = new QLineEdit(this);
    cg_pref_rep->setObjectName("cg_pref_rep");
    cg_pref_rep->setReadOnly(true);
    cg_pref_rep->setGeometry(fx, 54, fw, 24);

    Label4 = new QLabel(this);
    Label4->setGeometry(lx, 92, 134, 24);
    cg_liste_alarme = new QComboBox(this);
    cg_liste_alarme->setObjectName("cg_liste_alarme");
    cg_liste_alarme->setGeometry(fx, 92, fw - 64, 26);
    cg_test_alarme = new QToolButton(this);
    cg_test_alarme->setObjectName("cg_test_alarme");
    cg_test_alarme->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    cg_test_alarme->setGeometry(fx + fw - 58, 92, 28, 26);
    cg_stop_alarme = new QToolButton(this);
    cg_stop_alarme->setObjectName("cg_stop_alarme");
    cg_stop_alarme->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    cg_stop_alarme->setGeometry(fx + fw - 28, 92, 28, 26);

    connection_box = new QGroupBox(this);
    connection_box->setObjectName("connection_box");
    connection_box->setGeometry(lx, 128, 396, 102);
    auto* v = new QVBoxLayout(connection_box);
    v->setContentsMargins(10, 4, 10, 6);
    v->setSpacing(2);
    reconnect = new QCheckBox(connection_box);
    reconnect->setObjectName("reconnect");
    resume_at_start = new QCheckBox(connection_box);
    resume_at_start->setObjectName("resume_at_start");
    alarm_on_loss = new QCheckBox(connection_box);
    alarm_on_loss->setObjectName("alarm_on_loss");
    v->addWidget(reconnect);
    v->addWidget(resume_at_start);
    v->addWidget(alarm_on_loss);
    connect(reconnect, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) cg_preference.reconnect = on;
    });
    connect(resume_at_start, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) cg_preference.resume_at_start = on;
    });
    connect(alarm_on_loss, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) cg_preference.alarm_on_loss = on;
    });

    cg_pref_OK = new QPushButton("&OK", this);
    cg_pref_OK->setObjectName("cg_pref_OK");
    cg_pref_OK->setGeometry(12, 242, 96, 28);
    cg_pref_OK->setDefault(true);
    cg_pref_abort = new QPushButton(this);
    cg_pref_abort->setObjectName("cg_pref_abort");
    cg_pref_abort->setGeometry(312, 242, 96, 28);

    connect(cg_pref_langue, &QComboBox::activated, this, [](int i) { cg_pref_langueChange(i); });
    connect(cg_liste_alarme, &QComboBox::activated, this, [](int i) { cg_alarme_listeChange(i); });
    connect(cg_test_alarme, &QToolButton::clicked, this, [] { cg_test_alarmeClick(); });
    connect(cg_stop_alarme, &QToolButton::clicked, this, [] { cg_stop_alarmeClick(); });
    connect(cg_pref_OK, &QPushButton::clicked, this, [this] {
        cg_pref_OKClick();
        accept();
    });
    connect(cg_pref_abort, &QPushButton::clicked, this, [this] { reject(); });

    PreferenceFormCreate();
    UpdateFromModel();
}

void Tcg_preference::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    PreferenceFormShow();
}

void Tcg_preference::UpdateFromModel() {
    const TPreferenceModel& m = cg_preference;
    updating_ = true;
    if (m.textes.size() > 5) {
        setWindowTitle(ToQt(m.textes[1]));
        cg_pref_abort->setText(ToQt(m.textes[2]));
        Label2->setText(ToQt(m.textes[3]));
        Label3->setText(ToQt(m.textes[4]));
        Label4->setText(ToQt(m.textes[5]));
    }
    FillCombo(cg_pref_langue, m.cg_pref_langue, m.cg_pref_langue_index);
    FillCombo(cg_liste_alarme, m.cg_liste_alarme, m.cg_liste_alarme_index);
    cg_pref_rep->setText(ToQt(m.cg_pref_rep));
    connection_box->setTitle(ToQt(GetProgramText(ProgramText::PrefConnection)));
    reconnect->setText(ToQt(GetProgramText(ProgramText::PrefReconnect)));
    resume_at_start->setText(ToQt(GetProgramText(ProgramText::PrefResume)));
    alarm_on_loss->setText(ToQt(GetProgramText(ProgramText::PrefAlarmOnLoss)));
    reconnect->setChecked(m.reconnect);
    resume_at_start->setChecked(m.resume_at_start);
    alarm_on_loss->setChecked(m.alarm_on_loss);
    updating_ = false;
}

} // namespace zelui
