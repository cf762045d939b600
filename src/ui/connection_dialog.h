#pragma once
// The connection dialog: line setting, port, and the OK that connects and identifies.
#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelui {

class Tcg_connection : public QDialog {
    Q_OBJECT
  public:
    explicit Tcg_connection(QWidget* parent);
    void UpdateFromModel();

    QPushButton* cg_bouton_annulation = nullptr;
    QPushButton* cg_bouton_connect_ok = nullptr;
    QComboBox* cg_liste_connect_com = nullptr;
    QLabel* STATICTEXT1 = nullptr;
    QLineEdit* cg_connect_info = nullptr;
    QLabel* connect_error = nullptr; // why the port did not open, under the port list
    QGroupBox* cg_portcom = nullptr;
    QButtonGroup* portcom_group = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void cg_bouton_connect_okClick();
    void PlaceBelowTheList(int errorHeight);
    bool updating_ = false;
    bool connecting_ = false;
};

} // namespace zelui
