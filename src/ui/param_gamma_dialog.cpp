#include "ui/param_gamma_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <mutex>

#include "app/app.h"
#include "model/model.h"
#include "ui/qt_ports.h"
#include "ui/report_view.h"

namespace zelui {

using namespace zel;

namespace {

QLineEdit* Field(QWidget* parent, int x, int y, int w, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(x, y, w, 22);
    e->setAlignment(Qt::AlignCenter);
    e->setReadOnly(true);
    return e;
}

QLabel* Lbl(QWidget* parent, int x, int y, int w) {
    auto* l = new QLabel(parent);
    l->setGeometry(x, y, w, 18);
    return l;
}

void Show(QLineEdit* e, const std::string& s) {
    const QString q = s.empty() ? QString("?") : ToQt(s);
    if (e->text() != q) e->setText(q);
}

} // namespace

Tcg_param_Gamma::Tcg_param_Gamma(QWidget* parent) : QDialog(parent) {
    setObjectName("cg_param_gamma");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(285, 215);
    setModal(true);
    // Laid out for a small 8-point dialog font.
    QFont f = font();
    f.setFamilies({"Tahoma", f.family()});
    f.setPointSize(8);
    setFont(f);

    label_version = Lbl(this, 16, 8, 81);
    label_version->setText("Version");
    label_serial = Lbl(this, 103, 8, 81);
    label_EEPROM = Lbl(this, 190, 8, 81);
    label_EEPROM->setText("EEPROM");
    version = Field(this, 16, 27, 81, "version");
    serie = Field(this, 103, 27, 81, "serie");
    EEPROM = Field(this, 190, 27, 81, "EEPROM");
    label_DateHeure = Lbl(this, 16, 64, 160);
    DateHeure = Field(this, 16, 83, 140, "DateHeure");
    etat = new QLineEdit(this);
    etat->setObjectName("etat");
    etat->setReadOnly(true);
    etat->setFocusPolicy(Qt::NoFocus);
    etat->setGeometry(16, 124, 255, 22);
    OpenReportOnClick(etat);

    lire = new QPushButton(this);
    lire->setObjectName("lire");
    lire->setGeometry(13, 177, 75, 27);
    sortir = new QPushButton(this);
    sortir->setObjectName("sortir");
    sortir->setGeometry(103, 177, 75, 27);
    envoyer = new QPushButton(this);
    envoyer->setObjectName("envoyer");
    envoyer->setGeometry(193, 177, 80, 27);

    connect(lire, &QPushButton::clicked, this, [this] { Act(&ParamGammaLireClick); });
    connect(envoyer, &QPushButton::clicked, this, [this] { Act(&ParamGammaEnvoyerClick); });
    connect(sortir, &QPushButton::clicked, this, [this] { reject(); });

    ChangeLangueParamGS();
    UpdateFromModel();
}

void Tcg_param_Gamma::Act(void (*action)()) {
    if (acting_) return;
    acting_ = true;
    action();
    acting_ = false;
}

bool Tcg_param_Gamma::event(QEvent* e) {
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate && read_on_activate) Act(&ParamGammaLireClick);
    return r;
}

void Tcg_param_Gamma::UpdateFromModel() {
    TParamGammaModel& m = cg_param_gamma;
    const auto& t = m.textes;
    if (t.size() > 6) {
        setWindowTitle(ToQt(t[1]));
        label_serial->setText(ToQt(t[2]));
        lire->setText(ToQt(t[3]));
        envoyer->setText(ToQt(t[4]));
        sortir->setText(ToQt(t[5]));
        label_DateHeure->setText(ToQt(t[6]));
    }
    {
        // The session thread writes these while decoding a dump.
        std::lock_guard<std::mutex> lock(m.mutex);
        Show(version, m.version);
        Show(serie, m.serie);
        Show(EEPROM, m.EEPROM);
        Show(DateHeure, m.DateHeure);
    }
    if (etat->text() != ToQt(m.etat)) etat->setText(ToQt(m.etat));
    etat->setStyleSheet(m.etat_red ? "background: #ff0000; color: white;" : "");
    const bool busy = Principal.commande_en_cours;
    lire->setEnabled(!busy);
    envoyer->setEnabled(!busy);
}

} // namespace zelui
