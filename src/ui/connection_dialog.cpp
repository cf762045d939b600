#include "ui/connection_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "model/model.h"
#include "settings/config.h"
#include "ui/qt_ports.h"

namespace zelui {

using namespace zel;

Tcg_connection::Tcg_connection(QWidget* parent) : QDialog(parent) {
    setObjectName("cg_Connection");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(301, 349);
    setModal(true);
    // Laid out for a small 8-point dialog font.
    QFont f = font();
    f.setFamilies({"Tahoma", f.family()});
    f.setPointSize(8);
    setFont(f);

    cg_portcom = new QGroupBox(this);
    cg_portcom->setObjectName("cg_portcom");
    cg_portcom->setGeometry(6, 8, 289, 161);
    // The longest item must fit the group's width.
    cg_portcom->setStyleSheet("QRadioButton { spacing: 3px; }");
    portcom_group = new QButtonGroup(this);
    auto* v = new QVBoxLayout(cg_portcom);
    v->setContentsMargins(4, 4, 2, 6);
    v->setSpacing(2);
    const auto& items = LignesSerieTextes();
    for (size_t i = 0; i < items.size(); ++i) {
        auto* r = new QRadioButton(ToQt(items[i]), cg_portcom);
        portcom_group->addButton(r, static_cast<int>(i));
        v->addWidget(r);
    }
    connect(portcom_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (!updating_) cg_portcomClick(id);
    });

    STATICTEXT1 = new QLabel(this);
    STATICTEXT1->setObjectName("STATICTEXT1");
    STATICTEXT1->setWordWrap(true);
    STATICTEXT1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    STATICTEXT1->setGeometry(10, 176, 283, 52);

    cg_liste_connect_com = new QComboBox(this);
    cg_liste_connect_com->setObjectName("cg_liste_connect_com");
    cg_liste_connect_com->setGeometry(8, 233, 285, 26);
    connect(cg_liste_connect_com, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int i) {
                if (!updating_) cg_liste_connect_comChange(i);
            });

    connect_error = new QLabel(this);
    connect_error->setObjectName("connect_error");
    connect_error->setWordWrap(true);
    connect_error->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect_error->setStyleSheet("color: #b00000;");
    connect_error->hide();

    cg_connect_info = new QLineEdit(this);
    cg_connect_info->setObjectName("cg_connect_info");
    cg_connect_info->setReadOnly(true);
    cg_connect_info->setFocusPolicy(Qt::NoFocus);
    cg_connect_info->setGeometry(8, 265, 285, 22);

    cg_bouton_connect_ok = new QPushButton("&OK", this);
    cg_bouton_connect_ok->setObjectName("cg_bouton_connect_ok");
    cg_bouton_connect_ok->setGeometry(8, 300, 84, 31);
    cg_bouton_connect_ok->setDefault(true);
    cg_bouton_annulation = new QPushButton(this);
    cg_bouton_annulation->setObjectName("cg_bouton_annulation");
    cg_bouton_annulation->setGeometry(209, 300, 84, 31);
    connect(cg_bouton_connect_ok, &QPushButton::clicked, this,
            [this] { cg_bouton_connect_okClick(); });
    connect(cg_bouton_annulation, &QPushButton::clicked, this, [this] { reject(); });

    ChangeLangueConnexion();
    UpdateFromModel();
}

void Tcg_connection::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!ConnectionFormShow()) {
        // No port at all: the dialog closes right after it has appeared.
        QTimer::singleShot(0, this, [this] { reject(); });
    }
}

void Tcg_connection::cg_bouton_connect_okClick() {
    if (connecting_) return;
    connecting_ = true;
    cg_bouton_connect_ok->setEnabled(false);
    cg_bouton_annulation->setEnabled(false);
    // The list may show a port with a mark; the name is what the model holds.
    const int i = cg_liste_connect_com->currentIndex();
    const auto& names = cg_Connection.cg_liste_connect_com;
    const std::string port =
        i >= 0 && i < static_cast<int>(names.size()) ? names[i] : std::string();
    const bool opened = AppConnect(port, Fichier_conf.PortCom);
    cg_bouton_connect_ok->setEnabled(true);
    cg_bouton_annulation->setEnabled(true);
    connecting_ = false;
    // A port that did not open keeps the dialog up, with the reason under the list, so that
    // the user can pick another port or fix the cause and press OK again.
    if (opened) accept();
}

void Tcg_connection::PlaceBelowTheList(int errorHeight) {
    const int shift = errorHeight > 0 ? errorHeight + 6 : 0;
    connect_error->setGeometry(8, 263, 285, errorHeight);
    cg_connect_info->setGeometry(8, 265 + shift, 285, 22);
    cg_bouton_connect_ok->setGeometry(8, 300 + shift, 84, 31);
    cg_bouton_annulation->setGeometry(209, 300 + shift, 84, 31);
    setFixedSize(301, 349 + shift);
}

void Tcg_connection::UpdateFromModel() {
    const TConnectionModel& m = cg_Connection;
    updating_ = true;
    if (m.textes.size() > 4) {
        setWindowTitle(ToQt(m.textes[1]));
        STATICTEXT1->setText(ToQt(m.textes[2]));
        cg_bouton_annulation->setText(ToQt(m.textes[3]));
        cg_portcom->setTitle(ToQt(m.textes[4]));
    }
    if (auto* b = portcom_group->button(m.cg_portcom); b && !b->isChecked()) b->setChecked(true);
    QStringList ports;
    for (size_t i = 0; i < m.cg_liste_connect_com.size(); ++i)
        ports << ToQt(i < m.port_labels.size() ? m.port_labels[i] : m.cg_liste_connect_com[i]);
    QStringList shown;
    for (int i = 0; i < cg_liste_connect_com->count(); ++i)
        shown << cg_liste_connect_com->itemText(i);
    if (shown != ports) {
        cg_liste_connect_com->clear();
        cg_liste_connect_com->addItems(ports);
    }
    cg_liste_connect_com->setCurrentIndex(m.cg_liste_connect_com_index);
    if (cg_connect_info->text() != ToQt(m.cg_connect_info))
        cg_connect_info->setText(ToQt(m.cg_connect_info));
    cg_connect_info->setStyleSheet(m.cg_connect_info_red ? "background: #ff0000; color: white;"
                                                         : "background: #e3e3e3;");
    const QString error = ToQt(m.connect_error);
    if (connect_error->text() != error || connect_error->isHidden() != error.isEmpty()) {
        connect_error->setText(error);
        connect_error->setVisible(!error.isEmpty());
        PlaceBelowTheList(error.isEmpty() ? 0 : connect_error->heightForWidth(285));
    }
    updating_ = false;
}

} // namespace zelui
