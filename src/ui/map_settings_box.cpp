#include "ui/map_settings_box.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <cstring>

#include "app/map_prefs.h"
#include "base/ports.h"
#include "net/map_texts.h"
#include "settings/messages.h"
#include "ui/qt_ports.h"

namespace zelui {

using namespace zel;

namespace {

QString Text(MapText t) {
    return ToQt(GetMapText(t));
}

QLineEdit* Field(QWidget* parent, const char* name, bool secret = false) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (secret) e->setEchoMode(QLineEdit::Password);
    return e;
}

QDoubleSpinBox* Degrees(QWidget* parent, const char* name, double limit) {
    auto* d = new QDoubleSpinBox(parent);
    d->setObjectName(name);
    d->setRange(-limit, limit);
    d->setDecimals(5); // about a metre
    return d;
}

} // namespace

MapSettingsBox::MapSettingsBox(QWidget* parent) : QWidget(parent) {
    setObjectName("map_settings");
    auto* g = new QGridLayout(this);
    g->setContentsMargins(0, 0, 0, 0);
    g->setVerticalSpacing(3);
    int row = 0;
    int label = 0;
    auto addRow = [&](QWidget* field) {
        labels_[label] = new QLabel(this);
        g->addWidget(labels_[label++], row, 0);
        g->addWidget(field, row++, 1, 1, 2);
    };
    auto addService = [&](QCheckBox*& box, const char* name, MapService s) {
        box = new QCheckBox(this);
        box->setObjectName(name);
        const int i = static_cast<int>(s);
        test[i] = new QPushButton(this);
        test[i]->setObjectName(QString(name) + "_test");
        g->addWidget(box, row, 0, 1, 2);
        g->addWidget(test[i], row++, 2);
        connect(test[i], &QPushButton::clicked, this, [this, s] { Test(s); });
    };
    auto addResult = [&](MapService s) {
        QLabel*& r = result[static_cast<int>(s)];
        r = new QLabel(this);
        r->setObjectName(QString("result_%1").arg(static_cast<int>(s)));
        r->setWordWrap(true);
        g->addWidget(r, row++, 0, 1, 3);
    };

    addService(radmon, "radmon", MapService::Radmon);
    addRow(radmon_user = Field(this, "radmon_user"));
    addRow(radmon_password = Field(this, "radmon_password", true));
    addResult(MapService::Radmon);

    addService(gmcmap, "gmcmap", MapService::Gmcmap);
    addRow(gmcmap_account = Field(this, "gmcmap_account"));
    addRow(gmcmap_counter = Field(this, "gmcmap_counter"));
    addResult(MapService::Gmcmap);

    addService(safecast, "safecast", MapService::Safecast);
    addRow(safecast_key = Field(this, "safecast_key", true));
    addRow(latitude = Degrees(this, "latitude", 90));
    addRow(longitude = Degrees(this, "longitude", 180));
    device = new QSpinBox(this);
    device->setObjectName("device");
    device->setRange(0, 999999999);
    addRow(device);
    addResult(MapService::Safecast);

    upload_every = new QSpinBox(this);
    upload_every->setObjectName("upload_every");
    upload_every->setRange(kMinUploadSeconds, 86400);
    upload_every->setSingleStep(60);
    addRow(upload_every);
    secrets_ = new QLabel(this);
    secrets_->setWordWrap(true);
    g->addWidget(secrets_, row++, 0, 1, 3);
    g->setColumnStretch(1, 1);
    g->setRowStretch(row, 1);

    ApplyTexts();
}

void MapSettingsBox::ApplyTexts() {
    radmon->setText(Text(MapText::PrefRadmon));
    gmcmap->setText(Text(MapText::PrefGmcmap));
    safecast->setText(Text(MapText::PrefSafecast));
    const MapText names[] = {
        MapText::PrefUser,      MapText::PrefPassword, MapText::PrefAccount,
        MapText::PrefCounter,   MapText::PrefApiKey,   MapText::PrefLatitude,
        MapText::PrefLongitude, MapText::PrefDevice,   MapText::PrefUploadEvery};
    for (size_t i = 0; i < std::size(names); ++i)
        labels_[i]->setText(Text(names[i]));
    for (QPushButton* b : test)
        b->setText(Text(MapText::PrefTest));
    secrets_->setText(Text(MapText::PrefSecretsKept));
}

void MapSettingsBox::Load() {
    loaded_ = MapPrefs();
    const MapUploadSettings& s = loaded_;
    radmon->setChecked(s.radmon.enabled);
    radmon_user->setText(ToQt(s.radmon.user));
    radmon_password->setText(ToQt(s.radmon.password));
    gmcmap->setChecked(s.gmcmap.enabled);
    gmcmap_account->setText(ToQt(s.gmcmap.account));
    gmcmap_counter->setText(ToQt(s.gmcmap.counter));
    safecast->setChecked(s.safecast.enabled);
    safecast_key->setText(ToQt(s.safecast.apiKey));
    latitude->setValue(s.safecast.latitude);
    longitude->setValue(s.safecast.longitude);
    device->setValue(s.safecast.deviceId ? static_cast<int>(*s.safecast.deviceId) : 0);
    upload_every->setValue(s.intervalSeconds);
    for (QLabel* r : result)
        r->clear();
}

MapUploadSettings MapSettingsBox::Settings() const {
    MapUploadSettings s = loaded_;
    // Blanks around what was typed or pasted are no part of a name, an id or a key.
    auto text = [](const QLineEdit* e) { return FromQt(e->text().trimmed()); };
    s.radmon.enabled = radmon->isChecked();
    s.radmon.user = text(radmon_user);
    s.radmon.password = FromQt(radmon_password->text());
    s.gmcmap.enabled = gmcmap->isChecked();
    s.gmcmap.account = text(gmcmap_account);
    s.gmcmap.counter = text(gmcmap_counter);
    s.safecast.enabled = safecast->isChecked();
    s.safecast.apiKey = text(safecast_key);
    s.safecast.latitude = latitude->value();
    s.safecast.longitude = longitude->value();
    s.safecast.deviceId.reset();
    if (device->value() > 0) s.safecast.deviceId = device->value();
    s.intervalSeconds = upload_every->value();
    return s;
}

void MapSettingsBox::Apply() {
    int err = 0;
    if (!SetMapPrefs(Settings(), &err))
        Dialogs().information(GetMessagePgm(pb_ecr_fichier) + " " + MapPrefsFile() + " (" +
                              std::strerror(err) + ")");
}

void MapSettingsBox::Test(MapService s) {
    QLabel* r = result[static_cast<int>(s)];
    r->setText(Text(MapText::TestSending));
    // The box may be gone (the program closing) when the answer comes.
    QPointer<QLabel> label(r);
    TestMapService(s, Settings(), [label](bool passed, const std::string& words) {
        if (!label) return;
        label->setStyleSheet(passed ? "color: darkgreen" : "color: darkred");
        label->setText(ToQt(words));
    });
}

} // namespace zelui
