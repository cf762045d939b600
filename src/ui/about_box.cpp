#include "ui/about_box.h"

#include <QLabel>
#include <QMouseEvent>

#include "app/app.h"
#include "base/ports.h"
#include "model/model.h"
#include "ui/qt_ports.h"
#include "ui/widgets.h"

namespace zelui {

using namespace zel;

namespace {

const char* const kMakerPage = "https://zelvanor.github.io";

// A label that opens the maker's page when clicked.
class LinkLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) Links().openUrl(kMakerPage);
        QLabel::mouseReleaseEvent(e);
    }
};

} // namespace

Tcg_a_propos::Tcg_a_propos(QWidget* parent) : QDialog(parent) {
    setObjectName("cg_a_propos");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(229, 171);
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setGeometry(229 - 83 - 8, 8, 83, 82);
    Image1->setPixmap(AppIconPixmap(82));
    Image1->setAlignment(Qt::AlignCenter);

    STATICTEXT1 = new QLabel(this);
    STATICTEXT1->setObjectName("STATICTEXT1");
    STATICTEXT1->setWordWrap(true);
    STATICTEXT1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    STATICTEXT1->setGeometry(8, 8, 120, 84);

    cg_version_number = new QLabel(this);
    cg_version_number->setObjectName("cg_version_number");
    cg_version_number->setAlignment(Qt::AlignCenter);
    cg_version_number->setGeometry(0, 96, 229, 20);

    StaticText2 = new QLabel("Zelvanor", this);
    StaticText2->setAlignment(Qt::AlignCenter);
    StaticText2->setGeometry(0, 116, 229, 20);
    QFont bold = StaticText2->font();
    bold.setBold(true);
    StaticText2->setFont(bold);

    StaticText3 = new LinkLabel("zelvanor.github.io", this);
    StaticText3->setObjectName("StaticText3");
    StaticText3->setAlignment(Qt::AlignCenter);
    StaticText3->setCursor(Qt::PointingHandCursor);
    StaticText3->setAutoFillBackground(true);
    StaticText3->setStyleSheet("color: blue; background: silver; text-decoration: underline;");
    StaticText3->setGeometry(0, 143, 229, 28);

    ChangeLangueAPropos();
    UpdateFromModel();
}

void Tcg_a_propos::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    cg_a_propos.cg_version_number = VersionLine();
    UpdateFromModel();
}

void Tcg_a_propos::UpdateFromModel() {
    const TAProposModel& m = cg_a_propos;
    if (m.textes.size() > 2) {
        setWindowTitle(ToQt(m.textes[1]));
        STATICTEXT1->setText(ToQt(m.textes[2]));
    }
    cg_version_number->setText(ToQt(m.cg_version_number));
}

} // namespace zelui
