#pragma once
// Parameters of a Gamma Scout: version, serial number, log size, clock.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zelui {

class Tcg_param_Gamma : public QDialog {
    Q_OBJECT
  public:
    explicit Tcg_param_Gamma(QWidget* parent);
    void UpdateFromModel();

    QPushButton* lire = nullptr;
    QPushButton* envoyer = nullptr;
    QLabel* label_version = nullptr;
    QLineEdit* version = nullptr;
    QPushButton* sortir = nullptr;
    QLineEdit* etat = nullptr;
    QLabel* label_serial = nullptr;
    QLineEdit* serie = nullptr;
    QLabel* label_EEPROM = nullptr;
    QLineEdit* EEPROM = nullptr;
    QLabel* label_DateHeure = nullptr;
    QLineEdit* DateHeure = nullptr;

    bool read_on_activate = true;

  protected:
    bool event(QEvent* e) override;

  private:
    void Act(void (*action)());
    bool acting_ = false;
};

} // namespace zelui
