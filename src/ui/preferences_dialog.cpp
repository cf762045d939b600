#include "ui/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/mqtt_settings.h"
#include "model/model.h"
#include "net/map_texts.h"
#include "settings/texts.h"
#include "ui/map_settings_box.h"
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
    setFixedSize(452, 420);
    setModal(true);

    pages = new QTabWidget(this);
    pages->setObjectName("pages");
    pages->setGeometry(6, 8, 440, 362);
    auto* general = new QWidget;
    general->setObjectName("general_page");
    pages->addTab(general, QString());
    // The network page: the broker, then the radiation maps, scrolled as a whole.
    auto* network = new QWidget;
    auto* column = new QVBoxLayout(network);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(NetworkPage());
    maps_box = new QGroupBox(network);
    maps_box->setObjectName("maps_box");
    auto* maps = new QVBoxLayout(maps_box);
    maps->setContentsMargins(10, 6, 10, 8);
    map_box = new MapSettingsBox(maps_box);
    maps->addWidget(map_box);
    column->addWidget(maps_box);
    column->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("network_scroll");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(network);
    pages->addTab(scroll, QString());
    connect(pages, &QTabWidget::currentChanged, this, [this](int i) {
        if (!updating_) cg_preference.page = i;
    });

    const int lx = 12, fx = 150, fw = 258;
    Label3 = new QLabel(general);
    Label3->setGeometry(lx, 16, 134, 24);
    cg_pref_langue = new QComboBox(general);
    cg_pref_langue->setObjectName("cg_pref_langue");
    cg_pref_langue->setGeometry(fx, 16, fw, 26);

    Label2 = new QLabel(general);
    Label2->setGeometry(lx, 54, 134, 24);
    cg_pref_rep = new QLineEdit(general);
    cg_pref_rep->setObjectName("cg_pref_rep");
    cg_pref_rep->setReadOnly(true);
    cg_pref_rep->setGeometry(fx, 54, fw - 30, 24);
    open_data_dir = new QToolButton(general);
    open_data_dir->setObjectName("open_data_dir");
    open_data_dir->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    open_data_dir->setGeometry(fx + fw - 28, 53, 28, 26);

    Label4 = new QLabel(general);
    Label4->setGeometry(lx, 92, 134, 24);
    cg_liste_alarme = new QComboBox(general);
    cg_liste_alarme->setObjectName("cg_liste_alarme");
    cg_liste_alarme->setGeometry(fx, 92, fw - 64, 26);
    cg_test_alarme = new QToolButton(general);
    cg_test_alarme->setObjectName("cg_test_alarme");
    cg_test_alarme->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    cg_test_alarme->setGeometry(fx + fw - 58, 92, 28, 26);
    cg_stop_alarme = new QToolButton(general);
    cg_stop_alarme->setObjectName("cg_stop_alarme");
    cg_stop_alarme->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    cg_stop_alarme->setGeometry(fx + fw - 28, 92, 28, 26);

    connection_box = new QGroupBox(general);
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
    cg_pref_OK->setGeometry(12, 382, 96, 28);
    cg_pref_OK->setDefault(true);
    cg_pref_abort = new QPushButton(this);
    cg_pref_abort->setObjectName("cg_pref_abort");
    cg_pref_abort->setGeometry(344, 382, 96, 28);

    connect(cg_pref_langue, &QComboBox::activated, this, [](int i) { cg_pref_langueChange(i); });
    connect(cg_liste_alarme, &QComboBox::activated, this, [](int i) { cg_alarme_listeChange(i); });
    connect(cg_test_alarme, &QToolButton::clicked, this, [] { cg_test_alarmeClick(); });
    connect(cg_stop_alarme, &QToolButton::clicked, this, [] { cg_stop_alarmeClick(); });
    connect(open_data_dir, &QToolButton::clicked, this, [] { cg_pref_open_dirClick(); });
    connect(cg_pref_OK, &QPushButton::clicked, this, [this] {
        if (!cg_pref_OKClick()) return;
        map_box->Apply();
        accept();
    });
    connect(cg_pref_abort, &QPushButton::clicked, this, [this] { reject(); });

    PreferenceFormCreate();
    UpdateFromModel();
}

QWidget* Tcg_preference::NetworkPage() {
    auto* page = new QWidget;
    page->setObjectName("network_page");
    auto* form = new QFormLayout(page);
    form->setContentsMargins(12, 10, 12, 8);
    form->setVerticalSpacing(6);
    auto line = [&](QLineEdit*& e, QLabel*& label, const char* name,
                    std::string TPreferenceModel::*f) {
        e = new QLineEdit(page);
        e->setObjectName(name);
        label = new QLabel(page);
        connect(e, &QLineEdit::textEdited, this, [this, f](const QString& t) {
            if (!updating_) cg_preference.*f = FromQt(t);
        });
    };
    auto check = [&](QCheckBox*& c, const char* name, bool TPreferenceModel::*f) {
        c = new QCheckBox(page);
        c->setObjectName(name);
        connect(c, &QCheckBox::toggled, this, [this, f](bool on) {
            if (updating_) return;
            cg_preference.*f = on;
            UpdateFromModel();
        });
    };
    check(mqtt_enabled, "mqtt_enabled", &TPreferenceModel::mqtt_enabled);
    line(mqtt_url, mqtt_url_label, "mqtt_url", &TPreferenceModel::mqtt_url);
    mqtt_url->setPlaceholderText("mqtt://192.168.1.10:1883");
    line(mqtt_user, mqtt_user_label, "mqtt_user", &TPreferenceModel::mqtt_user);
    line(mqtt_password, mqtt_password_label, "mqtt_password", &TPreferenceModel::mqtt_password);
    mqtt_password->setEchoMode(QLineEdit::Password);
    check(mqtt_save_password, "mqtt_save_password", &TPreferenceModel::mqtt_save_password);
    line(mqtt_ca, mqtt_ca_label, "mqtt_ca", &TPreferenceModel::mqtt_ca);
    mqtt_ca_browse = new QToolButton(page);
    mqtt_ca_browse->setObjectName("mqtt_ca_browse");
    mqtt_ca_browse->setText("...");
    connect(mqtt_ca_browse, &QToolButton::clicked, this, [] { MqttCaBrowseClick(); });
    auto* ca = new QHBoxLayout;
    ca->setSpacing(4);
    ca->addWidget(mqtt_ca, 1);
    ca->addWidget(mqtt_ca_browse);
    line(mqtt_prefix, mqtt_prefix_label, "mqtt_prefix", &TPreferenceModel::mqtt_prefix);
    mqtt_prefix->setPlaceholderText("zelvanor");
    check(mqtt_discovery, "mqtt_discovery", &TPreferenceModel::mqtt_discovery);
    line(mqtt_ha_prefix, mqtt_ha_prefix_label, "mqtt_ha_prefix", &TPreferenceModel::mqtt_ha_prefix);
    mqtt_ha_prefix->setPlaceholderText("homeassistant");
    mqtt_test = new QPushButton(page);
    mqtt_test->setObjectName("mqtt_test");
    connect(mqtt_test, &QPushButton::clicked, this, [] { MqttTestClick(); });
    mqtt_result = new QLabel(page);
    mqtt_result->setObjectName("mqtt_result");
    mqtt_result->setWordWrap(true);
    mqtt_result->setMinimumHeight(36);
    mqtt_result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mqtt_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    form->addRow(mqtt_enabled);
    form->addRow(mqtt_url_label, mqtt_url);
    form->addRow(mqtt_user_label, mqtt_user);
    form->addRow(mqtt_password_label, mqtt_password);
    form->addRow(mqtt_save_password);
    form->addRow(mqtt_ca_label, ca);
    form->addRow(mqtt_prefix_label, mqtt_prefix);
    form->addRow(mqtt_discovery);
    form->addRow(mqtt_ha_prefix_label, mqtt_ha_prefix);
    auto* test = new QHBoxLayout;
    test->addWidget(mqtt_test, 0, Qt::AlignTop);
    test->addWidget(mqtt_result, 1);
    form->addRow(test);
    return page;
}

void Tcg_preference::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    PreferenceFormShow();
    map_box->Load();
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
    cg_pref_rep->setToolTip(cg_pref_rep->text());
    open_data_dir->setToolTip(ToQt(GetProgramText(ProgramText::PrefOpenDataDir)));
    connection_box->setTitle(ToQt(GetProgramText(ProgramText::PrefConnection)));
    reconnect->setText(ToQt(GetProgramText(ProgramText::PrefReconnect)));
    resume_at_start->setText(ToQt(GetProgramText(ProgramText::PrefResume)));
    alarm_on_loss->setText(ToQt(GetProgramText(ProgramText::PrefAlarmOnLoss)));
    reconnect->setChecked(m.reconnect);
    resume_at_start->setChecked(m.resume_at_start);
    alarm_on_loss->setChecked(m.alarm_on_loss);

    pages->setTabText(0, ToQt(GetProgramText(ProgramText::PrefGeneral)));
    pages->setTabText(1, ToQt(GetProgramText(ProgramText::PrefNetwork)));
    maps_box->setTitle(ToQt(GetMapText(MapText::PrefMaps)));
    map_box->ApplyTexts();
    pages->setCurrentIndex(m.page);
    mqtt_enabled->setText(ToQt(GetProgramText(ProgramText::PrefMqttEnabled)));
    mqtt_url_label->setText(ToQt(GetProgramText(ProgramText::PrefMqttUrl)));
    mqtt_user_label->setText(ToQt(GetProgramText(ProgramText::PrefMqttUser)));
    mqtt_password_label->setText(ToQt(GetProgramText(ProgramText::PrefMqttPassword)));
    mqtt_save_password->setText(ToQt(GetProgramText(ProgramText::PrefMqttSavePassword)));
    mqtt_ca_label->setText(ToQt(GetProgramText(ProgramText::PrefMqttCa)));
    mqtt_prefix_label->setText(ToQt(GetProgramText(ProgramText::PrefMqttPrefix)));
    mqtt_discovery->setText(ToQt(GetProgramText(ProgramText::PrefMqttDiscovery)));
    mqtt_ha_prefix_label->setText(ToQt(GetProgramText(ProgramText::PrefMqttHaPrefix)));
    mqtt_test->setText(ToQt(GetProgramText(ProgramText::PrefMqttTest)));
    mqtt_enabled->setChecked(m.mqtt_enabled);
    auto setText = [](QLineEdit* e, const std::string& t) {
        if (e->text() != ToQt(t)) e->setText(ToQt(t));
    };
    setText(mqtt_url, m.mqtt_url);
    setText(mqtt_user, m.mqtt_user);
    setText(mqtt_password, m.mqtt_password);
    setText(mqtt_ca, m.mqtt_ca);
    setText(mqtt_prefix, m.mqtt_prefix);
    setText(mqtt_ha_prefix, m.mqtt_ha_prefix);
    mqtt_save_password->setChecked(m.mqtt_save_password);
    mqtt_discovery->setChecked(m.mqtt_discovery);
    mqtt_ha_prefix->setEnabled(m.mqtt_discovery);
    mqtt_test->setEnabled(!m.mqtt_testing);
    mqtt_result->setText(ToQt(m.mqtt_result));
    updating_ = false;
}

} // namespace zelui
