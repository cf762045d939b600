#include "ui/param_vorn_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

#include "app/app.h"
#include "model/model.h"
#include "ui/qt_ports.h"

namespace zelui {

using namespace zel;

namespace {

constexpr int kCol[3] = {16, 103, 190};
constexpr int kColWidth = 81;

QGroupBox* RadioGroup(QWidget* parent, int x, const char* a, const char* b, QButtonGroup*& g) {
    auto* box = new QGroupBox(parent);
    box->setGeometry(x, 8, kColWidth, 65);
    g = new QButtonGroup(box);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(6, 2, 2, 2);
    v->setSpacing(0);
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(i == 0 ? a : b, box);
        g->addButton(r, i);
        v->addWidget(r);
    }
    return box;
}

QLineEdit* Edit(QWidget* parent, int x, int y, int w, bool readOnly, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(x, y, w, 22);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setReadOnly(readOnly);
    return e;
}

QLabel* Lbl(QWidget* parent, int x, int y, int w, int h = 18) {
    auto* l = new QLabel(parent);
    l->setGeometry(x, y, w, h);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    return l;
}

void Show(QLineEdit* e, const std::string& s) {
    // Fields show "?" until a reply fills them.
    const QString q = s.empty() ? QString("?") : ToQt(s);
    if (e->text() != q) e->setText(q);
}

void Check(QButtonGroup* g, int id) {
    if (auto* b = g->button(id)) {
        if (!b->isChecked()) b->setChecked(true);
    } else {
        g->setExclusive(false);
        for (auto* x : g->buttons())
            x->setChecked(false);
        g->setExclusive(true);
    }
}

} // namespace

Tcg_param_vornx::Tcg_param_vornx(QWidget* parent) : QDialog(parent) {
    setObjectName("cg_param_vornx");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(285, 391);
    setModal(true);
    // Laid out for a small 8-point dialog font.
    QFont f = font();
    f.setFamilies({"Tahoma", f.family()});
    f.setPointSize(8);
    setFont(f);

    led = RadioGroup(this, kCol[0], "On", "Off", led_items);
    buz = RadioGroup(this, kCol[1], "On", "Off", buz_items);
    unites = RadioGroup(this, kCol[2], "µSv", "CPM", unites_items);

    label_facteur_conversion = Lbl(this, kCol[0], 74, 2 * kColWidth + 6, 25);
    label_seuil = Lbl(this, kCol[2], 74, kColWidth, 25);
    facteur_conversion = Edit(this, kCol[0], 99, kColWidth, false, "facteur_conversion");
    seuil = Edit(this, kCol[2], 99, kColWidth, false, "seuil");

    label_version = Lbl(this, kCol[0], 126, kColWidth);
    label_version->setText("Version");
    label_batterie = Lbl(this, kCol[2], 126, kColWidth);
    version = Edit(this, kCol[0], 145, kColWidth, true, "version");
    batterie = Edit(this, kCol[2], 145, kColWidth, true, "batterie");

    label_mem_max = Lbl(this, kCol[0], 168, kColWidth, 34);
    label_mem_used = Lbl(this, kCol[1], 168, kColWidth, 34);
    label_jours = Lbl(this, kCol[2], 168, 285 - kCol[2] - 2, 34);
    mem_max = Edit(this, kCol[0], 203, kColWidth, true, "mem_max");
    mem_used = Edit(this, kCol[1], 203, kColWidth, true, "mem_used");
    jours = Edit(this, kCol[2], 203, kColWidth, true, "jours");

    Label_pile = Lbl(this, 24, 236, 96, 22);
    Label_pile->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Pile_Utilisee = new QComboBox(this);
    Pile_Utilisee->setObjectName("Pile_Utilisee");
    Pile_Utilisee->addItems({"Lithium 3,6V", "Alcaline 4,5V"});
    Pile_Utilisee->setCurrentIndex(-1);
    Pile_Utilisee->setGeometry(126, 234, 145, 24);

    Label_date = Lbl(this, kCol[0], 262, kColWidth);
    Label_heure = Lbl(this, kCol[1], 262, kColWidth);
    Date = Edit(this, kCol[0], 281, kColWidth, true, "Date");
    Heure = Edit(this, kCol[1], 281, kColWidth, true, "Heure");
    Label_Ajust = Lbl(this, kCol[2], 283, 54);
    Label_Ajust->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Ajust = new QCheckBox(this);
    Ajust->setObjectName("Ajust");
    Ajust->setGeometry(246, 281, 22, 22);

    etat = new QLineEdit(this);
    etat->setObjectName("etat");
    etat->setReadOnly(true);
    etat->setFocusPolicy(Qt::NoFocus);
    etat->setGeometry(14, 318, 257, 22);

    Lire = new QPushButton(this);
    Lire->setObjectName("Lire");
    Lire->setGeometry(16, 351, 75, 27);
    sortir = new QPushButton(this);
    sortir->setObjectName("sortir");
    sortir->setGeometry(106, 351, 75, 27);
    envoyer = new QPushButton(this);
    envoyer->setObjectName("envoyer");
    envoyer->setGeometry(196, 351, 75, 27);

    connect(Lire, &QPushButton::clicked, this, [this] {
        if (acting_) return;
        acting_ = true;
        ParamVornLireClick();
        acting_ = false;
    });
    connect(envoyer, &QPushButton::clicked, this, [this] {
        if (acting_) return;
        acting_ = true;
        StoreInputs();
        ParamVornEnvoyerClick();
        acting_ = false;
    });
    connect(sortir, &QPushButton::clicked, this, [this] { reject(); });

    // What the user edits goes to the model at once, so a reply never overwrites a newer entry
    // with an older copy of the widgets.
    // A switch the user picks may be sent, even when it shows what it showed before.
    const std::pair<QButtonGroup*, TVornSwitch> switches[] = {{led_items, TVornSwitch::Led},
                                                              {buz_items, TVornSwitch::Buzzer},
                                                              {unites_items, TVornSwitch::Units}};
    for (const auto& [g, which] : switches)
        connect(g, &QButtonGroup::idClicked, this, [this, which = which](int id) {
            StoreInputs();
            ParamVornPick(which, id);
        });
    connect(Pile_Utilisee, &QComboBox::activated, this, [this](int index) {
        StoreInputs();
        ParamVornPick(TVornSwitch::Battery, index);
    });
    connect(Ajust, &QCheckBox::toggled, this, [this] {
        if (!updating_) StoreInputs();
    });
    connect(seuil, &QLineEdit::textEdited, this, [this] { StoreInputs(); });
    connect(facteur_conversion, &QLineEdit::textEdited, this, [this] { StoreInputs(); });

    ChangeLangueParamVORN();
    UpdateFromModel();
}

void Tcg_param_vornx::StoreInputs() {
    if (updating_) return;
    TParamVornModel& m = cg_param_vornx;
    m.led = led_items->checkedId();
    m.buz = buz_items->checkedId();
    m.unites = unites_items->checkedId();
    m.seuil = FromQt(seuil->text());
    m.facteur_conversion = FromQt(facteur_conversion->text());
    m.Pile_Utilisee = Pile_Utilisee->currentIndex();
    m.Ajust = Ajust->isChecked();
}

void Tcg_param_vornx::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    ParamVornFormShow();
}

bool Tcg_param_vornx::event(QEvent* e) {
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate && read_on_activate && !acting_) {
        acting_ = true;
        ParamVornLireClick();
        acting_ = false;
    }
    return r;
}

void Tcg_param_vornx::UpdateFromModel() {
    const TParamVornModel& m = cg_param_vornx;
    updating_ = true;
    const auto& t = m.textes;
    if (t.size() > 17) {
        setWindowTitle(ToQt(t[1]));
        led->setTitle(ToQt(t[2]));
        buz->setTitle(ToQt(t[3]));
        unites->setTitle(ToQt(t[4]));
        label_facteur_conversion->setText(ToQt(t[5]));
        label_seuil->setText(ToQt(t[6]));
        label_batterie->setText(ToQt(t[7]));
        Lire->setText(ToQt(t[8]));
        envoyer->setText(ToQt(t[9]));
        sortir->setText(ToQt(t[10]));
        label_mem_max->setText(ToQt(t[11]));
        label_mem_used->setText(ToQt(t[12]));
        label_jours->setText(ToQt(t[13]));
        Label_pile->setText(ToQt(t[14]));
        Label_Ajust->setText(ToQt(t[15]));
        Label_date->setText(ToQt(t[16]));
        Label_heure->setText(ToQt(t[17]));
    }
    Check(led_items, m.led);
    Check(buz_items, m.buz);
    Check(unites_items, m.unites);
    Show(seuil, m.seuil);
    Show(facteur_conversion, m.facteur_conversion);
    Show(version, m.version);
    Show(batterie, m.batterie);
    Show(mem_used, m.mem_used);
    Show(mem_max, m.mem_max);
    Show(jours, m.jours);
    Show(Date, m.Date);
    Show(Heure, m.Heure);
    if (Pile_Utilisee->currentIndex() != m.Pile_Utilisee)
        Pile_Utilisee->setCurrentIndex(m.Pile_Utilisee);
    if (Ajust->isChecked() != m.Ajust) Ajust->setChecked(m.Ajust);

    unites->setEnabled(m.unites_enabled);
    Pile_Utilisee->setEnabled(m.vorn10_enabled);
    Ajust->setEnabled(m.vorn10_enabled);
    // Date and time are read-only and shown disabled; model 10 makes them available.
    Date->setEnabled(m.vorn10_enabled);
    Heure->setEnabled(m.vorn10_enabled);

    if (etat->text() != ToQt(m.etat)) etat->setText(ToQt(m.etat));
    etat->setStyleSheet(m.etat_red ? "background: #ff0000; color: white;" : "");
    const bool busy = Principal.commande_en_cours;
    Lire->setEnabled(!busy);
    envoyer->setEnabled(!busy);
    updating_ = false;
}

} // namespace zelui
