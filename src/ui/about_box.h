#pragma once
// The about box: icon, description, version line and the maker's link.
#include <QDialog>

class QLabel;

namespace zelui {

class Tcg_a_propos : public QDialog {
    Q_OBJECT
  public:
    explicit Tcg_a_propos(QWidget* parent);
    void UpdateFromModel();

    QLabel* Image1 = nullptr;
    QLabel* STATICTEXT1 = nullptr;
    QLabel* cg_version_number = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* StaticText3 = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;
};

} // namespace zelui
